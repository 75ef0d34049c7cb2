#include "dialogs/modal.h"

#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/lifecycle.h"

namespace larch {

INT_PTR ShowLibraryDialog(int id, DLGPROC proc, const void* initial) {
  if (!DesktopAvailable()) return -1;
  HWND owner = static_cast<HWND>(HostMainWindow());
  HMODULE templates = DialogInstance() ? DialogInstance() : LibraryModule();
  INT_PTR result = DialogBoxParamA(templates, MAKEINTRESOURCEA(id), owner, proc, reinterpret_cast<LPARAM>(initial));
  // The system answers 0, not -1, when the owner is no longer a window (a
  // host main window already destroyed); our dialogs end only with 1 or 2,
  // so 0 too means the dialog was never shown.
  return result == 0 ? -1 : result;
}

void WarnUser(HWND owner, const char* text) {
  // Without a display the box is answered as closed, without calling.
  if (!DesktopAvailable()) return;
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
  // The whole text, however it got there: a text set by the program may be
  // longer than the box lets a user type, and a buffer that cut it could
  // cut a character in two. The storage then cuts it cleanly.
  HWND box = GetDlgItem(dialog, id);
  int length = GetWindowTextLengthA(box);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(box, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

}  // namespace larch
