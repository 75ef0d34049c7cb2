// APIDeleteFolder and APIDisposeFolder: the shell's own file operations,
// with undo allowed (deleted items go to the Recycle Bin) and the shell's
// usual confirmation and progress windows.
#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shellapi.h>

#include <string>

#include "bridge/host.h"
#include "bridge/params.h"
#include "files/drive_texts.h"
#include "files/functions.h"
#include "files/system_results.h"

namespace larch {
namespace {

bool RunShellOperation(HWND owner, UINT operation, const std::string& from, const std::string* to) {
  SHFILEOPSTRUCTA record{};
  record.hwnd = owner;
  record.wFunc = operation;
  record.pFrom = from.c_str();
  record.pTo = to ? to->c_str() : nullptr;
  record.fFlags = FOF_ALLOWUNDO;
  if (SHFileOperationA(&record) != 0) {
    RecordSystemError();
    return false;
  }
  // A confirmation the user declined ends the call "successfully" with
  // nothing done: that is reported as the cancellation it is.
  if (record.fAnyOperationsAborted) {
    SetLastSystemError(ERROR_CANCELLED);
    return false;
  }
  return true;
}

}  // namespace

void APIDeleteFolder(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  std::string items = ShellNameList(p.text(1).view());
  ReturnLogical(RunShellOperation(nullptr, FO_DELETE, items, nullptr));
}

void APIDisposeFolder(ParamBlock* block) {
  Params p(block);
  int32_t operation = p.integer(2);
  if (operation < FO_MOVE || operation > FO_RENAME) return ReturnLogical(false);
  int32_t owner = p.integer(1);
  HWND window = owner > 0 ? reinterpret_cast<HWND>(static_cast<uintptr_t>(owner)) : nullptr;
  std::string items = ShellNameList(p.text(3).view());
  std::string target = ShellNameList(p.text(4).view());
  ReturnLogical(RunShellOperation(window, static_cast<UINT>(operation), items, &target));
}

}  // namespace larch
