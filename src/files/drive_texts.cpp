// Volume captions, drive lists and shell name lists.
#include "files/drive_texts.h"

#include <algorithm>

namespace larch {
namespace {

std::string Caption(std::string_view prefix, std::string_view root, const LeadBytes& leads) {
  std::string text(prefix);
  text += " (";
  text.append(root.substr(0, CharBoundaryAtOrBefore(leads, root, 2)));
  text += ')';
  return text;
}

}  // namespace

bool IsFloppyRoot(std::string_view root) { return !root.empty() && (root[0] == 'A' || root[0] == 'B'); }

std::string LabelledVolumeText(std::string_view label, std::string_view root, const LeadBytes& leads) {
  return Caption(label, root, leads);
}

std::string UnlabelledVolumeText(std::string_view root, unsigned driveType, const LeadBytes& leads) {
  if (IsFloppyRoot(root)) return Caption("FLOPPY", root, leads);
  if (driveType == kDriveRemovable) return Caption("REMOVABLE", root, leads);
  if (driveType == kDriveCdRom) return Caption("CD-ROM", root, leads);
  return Caption("No Volume", root, leads);
}

std::string DriveListText(std::string_view roots) {
  std::string text(roots);
  std::replace(text.begin(), text.end(), '\0', '|');
  return text;
}

std::string ShellNameList(std::string_view names) {
  std::string list(names);
  list.append(2, '\0');
  return list;
}

bool AllNamesListed(std::string_view names) {
  if (names.find('\0') == std::string_view::npos) return true;
  return names.front() != '\0' && names.back() != '\0' &&
         names.find(std::string_view("\0\0", 2)) == std::string_view::npos;
}

size_t LongestShellName(std::string_view names) {
  size_t longest = 0;
  size_t start = 0;
  for (;;) {
    size_t end = names.find('\0', start);
    if (end == std::string_view::npos) end = names.size();
    longest = std::max(longest, end - start);
    if (end == names.size()) return longest;
    start = end + 1;
  }
}

}  // namespace larch
