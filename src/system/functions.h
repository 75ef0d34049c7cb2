// The published process, window, display, session and error-text functions.
#pragma once

#include "bridge/records.h"

namespace larch {

// Processes (process_functions.cpp).
void KVKillProcess(ParamBlock* block);
void KVKillProcess2(ParamBlock* block);
void KVWinExec(ParamBlock* block);
void KVExeSleep(ParamBlock* block);
void KVShellExecAndWait(ParamBlock* block);
void KVShowTextInNotepad(ParamBlock* block);

// The process list (process_snapshot.cpp).
void KVGetProcessSnapshot(ParamBlock* block);

// The single-instance marker (instance_marker.cpp).
void KVTestExeIsRun(ParamBlock* block);

// Windows (window_functions.cpp).
void APIGetDesktopWindow(ParamBlock* block);
void APIBringWindowToTop(ParamBlock* block);
void APIIsIconic(ParamBlock* block);
void APIIsZoomed(ParamBlock* block);
void APIOpenIcon(ParamBlock* block);
void APISetForegroundWindow(ParamBlock* block);
void APIIsWindow(ParamBlock* block);
void APIGetWindowText(ParamBlock* block);
void APIFlashWindowEx(ParamBlock* block);
void APIFatalAppExit(ParamBlock* block);
void KVActiveWindow(ParamBlock* block);
void KVShowHideTaskbar(ParamBlock* block);

// Display (display_functions.cpp).
void APIGetSystemMetrics(ParamBlock* block);
void KVGetCursorPos(ParamBlock* block);
void KVChangeDisplaySettings(ParamBlock* block);
void KVGet2PixeFactor(ParamBlock* block);

// Ending the session (session_functions.cpp).
void KVExitWindows(ParamBlock* block);
void KVExitRemoteWindows(ParamBlock* block);

// The shell, shortcuts and UUIDs (shell_functions.cpp).
void APIShellExecute(ParamBlock* block);
void KVCreateShortcut(ParamBlock* block);
void KVGetGUID(ParamBlock* block);

// The system's text for an error code (last_error_message.cpp).
void KVGetLastErrorMsg(ParamBlock* block);

}  // namespace larch
