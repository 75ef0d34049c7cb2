#include "dialogs/modal.h"

#include "bridge/host.h"
#include "bridge/lifecycle.h"

namespace larch {

INT_PTR ShowLibraryDialog(int id, DLGPROC proc, const void* initial) {
  HWND owner = static_cast<HWND>(HostMainWindow());
  HMODULE templates = DialogInstance() ? DialogInstance() : LibraryModule();
  INT_PTR result = DialogBoxParamA(templates, MAKEINTRESOURCEA(id), owner, proc, reinterpret_cast<LPARAM>(initial));
  // The system answers 0, not -1, when the owner is no longer a window (a
  // host main window already destroyed); our dialogs end only with 1 or 2,
  // so 0 too means the dialog was never shown.
  return result == 0 ? -1 : result;
}

void WarnUser(HWND owner, const char* text) {
  MessageBoxA(owner ? owner : GetActiveWindow(), text, "larch.dll", MB_OK | MB_ICONWARNING);
}

void FinishOk(HWND dialog, OkVerdict verdict) {
  if (verdict == OkVerdict::Accept) {
    EndDialog(dialog, IDOK);
  } else {
    WarnUser(dialog, WarningText(verdict));
  }
}

std::string ReadBox(HWND dialog, int id) {
  // Room for every character of the longest box as two bytes.
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

}  // namespace larch
