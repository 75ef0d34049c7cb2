#include "dialogs/modal.h"

#include <vector>

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

std::string ReadBox(HWND dialog, int id, int capacity) {
  std::vector<char> text(static_cast<size_t>(capacity), '\0');
  GetDlgItemTextA(dialog, id, text.data(), capacity);
  return text.data();
}

}  // namespace larch
