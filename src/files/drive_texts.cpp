// Volume captions, drive lists and shell name lists.
#include "files/drive_texts.h"

#include <algorithm>

namespace larch {
namespace {

std::string Caption(std::string_view prefix, std::string_view root) {
  std::string text(prefix);
  text += " (";
  text.append(root.substr(0, 2));
  text += ')';
  return text;
}

}  // namespace

bool IsFloppyRoot(std::string_view root) { return !root.empty() && (root[0] == 'A' || root[0] == 'B'); }

std::string LabelledVolumeText(std::string_view label, std::string_view root) { return Caption(label, root); }

std::string UnlabelledVolumeText(std::string_view root, unsigned driveType) {
  if (IsFloppyRoot(root)) return Caption("FLOPPY", root);
  if (driveType == kDriveRemovable) return Caption("REMOVABLE", root);
  if (driveType == kDriveCdRom) return Caption("CD-ROM", root);
  return Caption("No Volume", root);
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

}  // namespace larch
