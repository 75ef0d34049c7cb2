// Load and release hooks, and the module handles they keep.
#pragma once

#include <windows.h>

namespace larch {

void OnLoadHook();
void OnQuitHook();

// The module handle of the library, recorded when the process attaches it.
void RecordLibraryModule(HMODULE module);
HMODULE LibraryModule();
// The copy ONLOAD records; it owns the dialog templates.
HMODULE DialogInstance();

// Families register what ONQUIT releases (the file-buffer cipher's key).
using QuitAction = void (*)();
void AtQuit(QuitAction action);

}  // namespace larch
