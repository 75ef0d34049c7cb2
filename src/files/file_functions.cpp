// Deleting, copying, moving files; their attributes, lengths, existence.
// A name longer than the system's path size is refused before the call:
// the functions that record errors record ERROR_FILENAME_EXCED_RANGE.
#include <windows.h>
#include <shlwapi.h>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "files/functions.h"

namespace larch {

void APIDeleteFile(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(DeleteFileA(path.c_str())));
}

void APICopyFile(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnLogical(false);
  TextParam existing = p.text(1);
  TextParam target = p.text(2);
  if (RefusePath(existing.view()) || RefusePath(target.view())) return ReturnLogical(false);
  bool failIfExists = p.logicalOr(3, false);
  ReturnLogical(Recorded(CopyFileA(existing.c_str(), target.c_str(), failIfExists)));
}

void APIMoveFile(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnLogical(false);
  TextParam existing = p.text(1);
  TextParam target = p.text(2);
  if (RefusePath(existing.view()) || RefusePath(target.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(MoveFileA(existing.c_str(), target.c_str())));
}

void APIGetFileAttributes(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(-1);
  TextParam path = p.text(1);
  // No such path can exist: the answer for a path that cannot be read.
  if (UnusablePath(path.view())) return ReturnInt(-1);
  ReturnInt(static_cast<int32_t>(GetFileAttributesA(path.c_str())));
}

void APISetFileAttributes(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(SetFileAttributesA(path.c_str(), static_cast<DWORD>(p.integer(2)))));
}

void APIGetFileLength(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(0);
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnInt(0);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Recorded(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))) return ReturnInt(0);
  // Only the low word of the size: large files wrap in the host's integer.
  ReturnInt(static_cast<int32_t>(data.nFileSizeLow));
}

void KVPathFileExists(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (UnusablePath(path.view())) return ReturnLogical(false);
  ReturnLogical(PathFileExistsA(path.c_str()) != FALSE);
}

}  // namespace larch
