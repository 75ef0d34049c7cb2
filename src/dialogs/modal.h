// What every dialog of the library shares: showing a template of the
// library as a modal dialog of the host and the warning box. Dialog
// procedures run their bodies inside CallbackGuard, failing with FALSE
// (the message counts as unhandled).
#pragma once

#include <windows.h>

#include <string>

#include "bridge/callback_guard.h"
#include "dialogs/connection_rules.h"

namespace larch {

// Shows dialog template `id` of the library, owned by the host's main
// window. Returns the dialog's end code, or -1 when it cannot be created
// (no display included).
INT_PTR ShowLibraryDialog(int id, DLGPROC proc, const void* initial);

// The one warning routine of the dialogs: exclamation icon, OK button,
// caption "larch.dll", owned by the dialog (the active window without one).
// Without a display nothing is shown.
void WarnUser(HWND owner, const char* text);

// Ends the dialog with OK when the form was accepted; otherwise warns with
// the verdict's text and leaves the dialog open.
void FinishOk(HWND dialog, OkVerdict verdict);

// The whole text of a dialog box, however long; the storage cuts it to
// its own size.
std::string ReadBox(HWND dialog, int id);

}  // namespace larch
