// Folders: creating and removing them, the system's folders, the current
// folder, long path names and the shell's special folders. A name longer
// than the system's path size is refused before the call and recorded as
// ERROR_FILENAME_EXCED_RANGE.
#include <windows.h>
#include <shlobj.h>

#include <string_view>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"
#include "files/functions.h"

namespace larch {

void APICreateDirectory(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(CreateDirectoryA(path.c_str(), nullptr)));
}

void APIRemoveDirectory(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(RemoveDirectoryA(path.c_str())));
}

void APIGetLongPathName(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnText("");
  char buffer[kReturnedPathCapacity] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, kReturnedPathCapacity);
  ReturnText(PathFromService(length, buffer, kReturnedPathCapacity));
}

void APIGetSystemDirectory(ParamBlock*) {
  char buffer[kReturnedPathCapacity] = {};
  ReturnText(PathFromService(GetSystemDirectoryA(buffer, kReturnedPathCapacity), buffer, kReturnedPathCapacity));
}

void APIGetWindowsDirectory(ParamBlock*) {
  char buffer[kReturnedPathCapacity] = {};
  ReturnText(PathFromService(GetWindowsDirectoryA(buffer, kReturnedPathCapacity), buffer, kReturnedPathCapacity));
}

void APIGetTempPath(ParamBlock*) {
  char shortForm[kReturnedPathCapacity] = {};
  std::string temp = PathFromService(GetTempPathA(kReturnedPathCapacity, shortForm), shortForm, kReturnedPathCapacity);
  if (temp.empty()) return ReturnText("");
  char longForm[kReturnedPathCapacity] = {};
  const DWORD length = GetLongPathNameA(temp.c_str(), longForm, kReturnedPathCapacity);
  ReturnText(PathFromService(length, longForm, kReturnedPathCapacity));
}

void KVCurPath(ParamBlock*) {
  char buffer[kPathCapacity] = {};
  ReturnText(PathFromService(GetCurrentDirectoryA(kPathCapacity, buffer), buffer, kPathCapacity));
}

void KVSetPath(ParamBlock* block) {
  Params p(block);
  // An empty path is left to the system, which refuses it.
  TextParam path = p.text(1);
  if (RefusePath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(SetCurrentDirectoryA(path.c_str())));
}

void KVGetSpecialFolder(ParamBlock* block) {
  Params p(block);
  UniqueItemList folder;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, p.integer(1), folder.put())) || !folder) {
    return ReturnText("");
  }
  char buffer[kReturnedPathCapacity] = {};
  if (!SHGetPathFromIDListA(folder.get(), buffer)) return ReturnText("");
  // A virtual folder has no file-system path; some shells name it by its
  // class ("::{...}") instead of failing.
  std::string_view path(buffer);
  if (path.substr(0, 2) == "::") return ReturnText("");
  ReturnText(path);
}

}  // namespace larch
