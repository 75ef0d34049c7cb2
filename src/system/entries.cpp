// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "system/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"KVGetProcessSnapshot", KVGetProcessSnapshot},
    {"KVKillProcess", KVKillProcess},
    {"KVKillProcess2", KVKillProcess2},
    {"KVWinExec", KVWinExec},
    {"KVExeSleep", KVExeSleep},
    {"KVShellExecAndWait", KVShellExecAndWait},
    {"KVTestExeIsRun", KVTestExeIsRun},
    {"KVShowTextInNotepad", KVShowTextInNotepad},
    {"APIGetDesktopWindow", APIGetDesktopWindow},
    {"APIBringWindowToTop", APIBringWindowToTop},
    {"APIIsIconic", APIIsIconic},
    {"APIIsZoomed", APIIsZoomed},
    {"APIOpenIcon", APIOpenIcon},
    {"APISetForegroundWindow", APISetForegroundWindow},
    {"APIIsWindow", APIIsWindow},
    {"APIGetWindowText", APIGetWindowText},
    {"APIFlashWindowEx", APIFlashWindowEx},
    {"APIFatalAppExit", APIFatalAppExit},
    {"KVActiveWindow", KVActiveWindow},
    {"KVShowHideTaskbar", KVShowHideTaskbar},
    {"APIGetSystemMetrics", APIGetSystemMetrics},
    {"KVGetCursorPos", KVGetCursorPos},
    {"KVChangeDisplaySettings", KVChangeDisplaySettings},
    {"KVGet2PixeFactor", KVGet2PixeFactor},
    {"KVExitWindows", KVExitWindows},
    {"KVExitRemoteWindows", KVExitRemoteWindows},
    {"APIShellExecute", APIShellExecute},
    {"KVCreateShortcut", KVCreateShortcut},
    {"KVGetGUID", KVGetGUID},
    {"KVGetLastErrorMsg", KVGetLastErrorMsg},
};

}  // namespace

EntryList SystemEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
