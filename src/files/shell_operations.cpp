// APIDeleteFolder and APIDisposeFolder: the shell's own file operations,
// with undo allowed (deleted items go to the Recycle Bin) and the shell's
// usual confirmation and progress windows.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "files/drive_texts.h"
#include "files/functions.h"

namespace larch {
namespace {

// The shell's operations walk every name of a list in buffers of the
// system's path size and fail badly on a longer one, so each name of both
// lists is measured before anything is handed over.
bool RefuseLongNames(std::string_view from, std::string_view to) {
  if (LongestShellName(from) <= kMaxPathLength && LongestShellName(to) <= kMaxPathLength) return false;
  RecordFailure(ERROR_FILENAME_EXCED_RANGE);
  return true;
}

bool RunShellOperation(HWND owner, UINT operation, std::string_view from, const std::string_view* to) {
  // The items may be several names separated by NULs; the target is one
  // name, which the shell would read only up to a NUL.
  if (!AllNamesListed(from) || (to && HoldsNul(*to))) {
    RecordFailure(ERROR_INVALID_NAME);
    return false;
  }
  if (RefuseLongNames(from, to ? *to : std::string_view())) return false;
  const std::string fromList = ShellNameList(from);
  const std::string toList = to ? ShellNameList(*to) : std::string();
  SHFILEOPSTRUCTA record{};
  // A handle the host no longer owns is not offered as the owner window.
  record.hwnd = owner && IsWindow(owner) ? owner : nullptr;
  record.wFunc = operation;
  record.pFrom = fromList.c_str();
  record.pTo = to ? toList.c_str() : nullptr;
  record.fFlags = FOF_ALLOWUNDO;
  // Without a display nobody can see a progress or error window: the shell
  // is asked not to try. Confirmations stay asked for, so an item is never
  // deleted or overwritten unconfirmed; unanswerable, they abort the call.
  if (!DesktopAvailable()) record.fFlags |= FOF_SILENT | FOF_NOERRORUI;
  const int result = SHFileOperationA(&record);
  if (result != 0) {
    // The shell often fails without setting the thread's error code; its
    // own result code is recorded then.
    RecordFailure(LastErrorOr(static_cast<uint32_t>(result)));
    return false;
  }
  // A confirmation the user declined ends the call "successfully" with
  // nothing done: that is reported as the cancellation it is.
  if (record.fAnyOperationsAborted) {
    RecordFailure(ERROR_CANCELLED);
    return false;
  }
  return true;
}

}  // namespace

void APIDeleteFolder(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  // Copies: the parameters are released before the shell's windows run.
  const std::string items = p.text(1).str();
  ReturnLogical(RunShellOperation(nullptr, FO_DELETE, items, nullptr));
}

void APIDisposeFolder(ParamBlock* block) {
  Params p(block);
  int32_t operation = p.integer(2);
  if (operation < FO_MOVE || operation > FO_RENAME) return ReturnLogical(false);
  int32_t owner = p.integer(1);
  HWND window = owner > 0 ? reinterpret_cast<HWND>(static_cast<uintptr_t>(owner)) : nullptr;
  const std::string items = p.text(3).str();
  const std::string target = p.text(4).str();
  const std::string_view targetView = target;
  ReturnLogical(RunShellOperation(window, static_cast<UINT>(operation), items, &targetView));
}

}  // namespace larch
