// Folders: creating and removing them, the system's folders, the current
// folder, long path names and the shell's special folders. A name longer
// than the system's path size is refused before the call and recorded as
// ERROR_FILENAME_EXCED_RANGE.
#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shlobj.h>

#include <string_view>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/win_handles.h"
#include "files/functions.h"
#include "files/system_results.h"

namespace larch {

void APICreateDirectory(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefuseLongPath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(CreateDirectoryA(path.c_str(), nullptr)));
}

void APIRemoveDirectory(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam path = p.text(1);
  if (RefuseLongPath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(RemoveDirectoryA(path.c_str())));
}

void APIGetLongPathName(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam path = p.text(1);
  if (RefuseLongPath(path.view())) return ReturnText("");
  char buffer[kPathCapacity] = {};
  ReturnText(PathFromService(GetLongPathNameA(path.c_str(), buffer, kPathCapacity), buffer, kPathCapacity));
}

void APIGetSystemDirectory(ParamBlock*) {
  char buffer[kPathCapacity] = {};
  ReturnText(PathFromService(GetSystemDirectoryA(buffer, kPathCapacity), buffer, kPathCapacity));
}

void APIGetWindowsDirectory(ParamBlock*) {
  char buffer[kPathCapacity] = {};
  ReturnText(PathFromService(GetWindowsDirectoryA(buffer, kPathCapacity), buffer, kPathCapacity));
}

void APIGetTempPath(ParamBlock*) {
  char shortForm[kPathCapacity] = {};
  std::string temp = PathFromService(GetTempPathA(kPathCapacity, shortForm), shortForm, kPathCapacity);
  if (temp.empty()) return ReturnText("");
  char longForm[kPathCapacity] = {};
  ReturnText(PathFromService(GetLongPathNameA(temp.c_str(), longForm, kPathCapacity), longForm, kPathCapacity));
}

void KVCurPath(ParamBlock*) {
  char buffer[kCurrentFolderCapacity] = {};
  ReturnText(PathFromService(GetCurrentDirectoryA(kCurrentFolderCapacity, buffer), buffer, kCurrentFolderCapacity));
}

void KVSetPath(ParamBlock* block) {
  Params p(block);
  // An empty path is left to the system, which refuses it.
  TextParam path = p.text(1);
  if (RefuseLongPath(path.view())) return ReturnLogical(false);
  ReturnLogical(Recorded(SetCurrentDirectoryA(path.c_str())));
}

void KVGetSpecialFolder(ParamBlock* block) {
  Params p(block);
  UniqueItemList folder;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, p.integer(1), folder.put())) || !folder) {
    return ReturnText("");
  }
  char buffer[kPathCapacity] = {};
  if (!SHGetPathFromIDListA(folder.get(), buffer)) return ReturnText("");
  // A virtual folder has no file-system path; some shells name it by its
  // class ("::{...}") instead of failing.
  std::string_view path(buffer);
  if (path.substr(0, 2) == "::") return ReturnText("");
  ReturnText(path);
}

}  // namespace larch
