#include "dialogs/modal.h"

#include "bridge/host.h"
#include "bridge/lifecycle.h"

namespace larch {

INT_PTR ShowLibraryDialog(int id, DLGPROC proc, const void* initial) {
  HWND owner = static_cast<HWND>(HostMainWindow());
  HMODULE templates = DialogInstance() ? DialogInstance() : LibraryModule();
  return DialogBoxParamA(templates, MAKEINTRESOURCEA(id), owner, proc, reinterpret_cast<LPARAM>(initial));
}

void WarnUser(HWND owner, const char* text) {
  MessageBoxA(owner ? owner : GetActiveWindow(), text, "larch.dll", MB_OK | MB_ICONWARNING);
}

std::string ReadBox(HWND dialog, int id) {
  // Room for every character of the longest box as two bytes.
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

}  // namespace larch
