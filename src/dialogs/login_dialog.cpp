// The login dialog: a user name and a password.
#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/connection_rules.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/functions.h"
#include "dialogs/modal.h"

namespace larch {
namespace {

struct LoginInitial {
  const char* user;
};

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallbackGuard<INT_PTR>(FALSE, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      auto* initial = reinterpret_cast<const LoginInitial*>(lParam);
      SendDlgItemMessageA(dialog, IDC_LOGIN_USER, EM_LIMITTEXT, kNameLimit, 0);
      SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, kNameLimit, 0);
      SetDlgItemTextA(dialog, IDC_LOGIN_USER, initial->user);
      return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
      case IDOK: {
        LoginForm form{ReadBox(dialog, IDC_LOGIN_USER), ReadBox(dialog, IDC_LOGIN_PASSWORD)};
        FinishOk(dialog, AcceptLogin(form, Connections().login, AnsiLeadBytes()));
        return TRUE;
      }
      case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
  });
}

}  // namespace

void KVShowLoginDlg(ParamBlock* block) {
  Params p(block);
  TextParam user = p.text(1);
  LoginInitial initial{user.c_str()};
  ReturnInt(static_cast<int32_t>(ShowLibraryDialog(IDD_LOGIN, LoginProc, &initial)));
}

void KVGetLoginName(ParamBlock*) { ReturnText(Connections().login.user.c_str()); }
void KVGetLoginPassword(ParamBlock*) { ReturnText(Connections().login.password.c_str()); }

}  // namespace larch
