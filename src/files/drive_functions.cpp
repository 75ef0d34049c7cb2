// Drive types, volume captions and the list of drive roots.
#include <windows.h>

#include <string>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "files/drive_texts.h"
#include "files/functions.h"

namespace larch {
namespace {

constexpr DWORD kLabelCapacity = 128;
constexpr DWORD kDriveListCapacity = 127;

}  // namespace

void APIGetDriveType(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(0);
  TextParam root = p.text(1);
  // Too long to be a root: what the system answers for a root it cannot find.
  if (UnusablePath(root.view())) return ReturnInt(DRIVE_NO_ROOT_DIR);
  ReturnInt(static_cast<int32_t>(GetDriveTypeA(root.c_str())));
}

void APIGetVolumeInfo(ParamBlock* block) {
  Params p(block);
  if (p.length(1) < 2) return ReturnText("xx");
  std::string root = p.text(1).str();
  // Upper-cased as text of the ANSI code page, so double-byte characters
  // keep their second bytes.
  CharUpperBuffA(root.data(), static_cast<DWORD>(root.size()));
  const LeadBytes& leads = AnsiLeadBytes();
  // A root too long for the system names no volume: it is captioned
  // without asking for its label or its type.
  if (RefusePath(root)) return ReturnText(UnlabelledVolumeText(root, 0, leads));
  char label[kLabelCapacity] = {};
  if (GetVolumeInformationA(root.c_str(), label, kLabelCapacity, nullptr, nullptr, nullptr, nullptr, 0) &&
      label[0] != '\0') {
    return ReturnText(LabelledVolumeText(label, root, leads));
  }
  RecordSystemError();
  unsigned type = IsFloppyRoot(root) ? 0 : GetDriveTypeA(root.c_str());
  ReturnText(UnlabelledVolumeText(root, type, leads));
}

void KVGetLogicalDrive(ParamBlock*) {
  char buffer[kDriveListCapacity + 1] = {};
  DWORD length = GetLogicalDriveStringsA(kDriveListCapacity, buffer);
  // PathFromService refuses a list that needs the whole buffer or more.
  ReturnText(DriveListText(PathFromService(length, buffer, kDriveListCapacity)));
}

}  // namespace larch
