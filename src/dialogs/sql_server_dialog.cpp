// The SQL Server connection dialog: server, database, user name, password,
// trusted Windows login and a time-out with an up-down control.
#include <windows.h>
#include <commctrl.h>

#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/connection_rules.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/functions.h"
#include "dialogs/modal.h"

namespace larch {
namespace {

struct SqlInitial {
  const char* server;
  const char* database;
  const char* user;
  const char* password;
  bool trusted;
  uint32_t timeOut;
  int32_t lockFlags;  // bit 0: server box, bit 1: database box
};

// While the login is trusted the user name and password mean nothing.
void ApplyTrustedRule(HWND dialog) {
  bool trusted = IsDlgButtonChecked(dialog, IDC_SQL_TRUSTED) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_SQL_USER), !trusted);
  EnableWindow(GetDlgItem(dialog, IDC_SQL_PASSWORD), !trusted);
}

// The box shows the control's position, kept within the allowed range
// (the control's own position is what the arrows move).
void ShowSpinPosition(HWND dialog) {
  LRESULT position = SendDlgItemMessageA(dialog, IDC_SQL_TIMEOUT_SPIN, UDM_GETPOS, 0, 0);
  int value = static_cast<short>(LOWORD(position));
  if (value < static_cast<int>(kMinTimeOut)) value = kMinTimeOut;
  if (value > static_cast<int>(kMaxTimeOut)) value = kMaxTimeOut;
  SetDlgItemInt(dialog, IDC_SQL_TIMEOUT, static_cast<UINT>(value), FALSE);
}

void InitSqlDialog(HWND dialog, const SqlInitial& initial) {
  for (int box : {IDC_SQL_SERVER, IDC_SQL_DATABASE, IDC_SQL_USER, IDC_SQL_PASSWORD}) {
    SendDlgItemMessageA(dialog, box, EM_LIMITTEXT, kNameLimit, 0);
  }
  SendDlgItemMessageA(dialog, IDC_SQL_TIMEOUT, EM_LIMITTEXT, kTimeOutDigits, 0);
  HWND spin = GetDlgItem(dialog, IDC_SQL_TIMEOUT_SPIN);
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SQL_TIMEOUT)), 0);
  SendMessageA(spin, UDM_SETBASE, 10, 0);
  SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(kMaxTimeOut, kMinTimeOut));
  SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(kMinTimeOut, 0));

  SetDlgItemTextA(dialog, IDC_SQL_SERVER, initial.server);
  SetDlgItemTextA(dialog, IDC_SQL_DATABASE, initial.database);
  SetDlgItemTextA(dialog, IDC_SQL_USER, initial.user);
  SetDlgItemTextA(dialog, IDC_SQL_PASSWORD, initial.password);
  CheckDlgButton(dialog, IDC_SQL_TRUSTED, initial.trusted ? BST_CHECKED : BST_UNCHECKED);
  // The caller's time-out replaces the control's 10, even out of range:
  // OK then refuses it until the user picks a valid one.
  SetDlgItemInt(dialog, IDC_SQL_TIMEOUT, initial.timeOut, FALSE);
  if (initial.lockFlags & 1) EnableWindow(GetDlgItem(dialog, IDC_SQL_SERVER), FALSE);
  if (initial.lockFlags & 2) EnableWindow(GetDlgItem(dialog, IDC_SQL_DATABASE), FALSE);
  ApplyTrustedRule(dialog);
}

void OnSqlOk(HWND dialog) {
  SqlForm form;
  form.timeOut = GetDlgItemInt(dialog, IDC_SQL_TIMEOUT, nullptr, FALSE);
  form.server = ReadBox(dialog, IDC_SQL_SERVER);
  form.database = ReadBox(dialog, IDC_SQL_DATABASE);
  form.user = ReadBox(dialog, IDC_SQL_USER);
  form.password = ReadBox(dialog, IDC_SQL_PASSWORD);
  form.trusted = IsDlgButtonChecked(dialog, IDC_SQL_TRUSTED) == BST_CHECKED;
  FinishOk(dialog, AcceptSql(form, Connections().sql, AnsiLeadBytes()));
}

INT_PTR CALLBACK SqlProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallbackGuard<INT_PTR>(FALSE, [&]() -> INT_PTR {
    switch (message) {
      case WM_INITDIALOG: InitSqlDialog(dialog, *reinterpret_cast<const SqlInitial*>(lParam)); return TRUE;
      case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_SQL_TIMEOUT_SPIN)) return FALSE;
        ShowSpinPosition(dialog);
        return TRUE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDC_SQL_TRUSTED: ApplyTrustedRule(dialog); return TRUE;
          case IDOK: OnSqlOk(dialog); return TRUE;
          case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
  });
}

}  // namespace

void KVShowSqlSetDlg(ParamBlock* block) {
  Params p(block);
  TextParam server = p.text(1);
  TextParam database = p.text(2);
  TextParam user = p.text(3);
  TextParam password = p.text(4);
  SqlInitial initial{};
  initial.server = server.c_str();
  initial.database = database.c_str();
  initial.user = user.c_str();
  initial.password = password.c_str();
  initial.timeOut = static_cast<uint32_t>(p.integer(5));
  initial.trusted = p.logical(6);
  initial.lockFlags = p.integerOr(7, 0);
  // The up-down class must be registered before the template is built.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  ReturnInt(static_cast<int32_t>(ShowLibraryDialog(IDD_SQL_SERVER, SqlProc, &initial)));
}

void KVGetSqlServerName(ParamBlock*) { ReturnText(Connections().sql.server.c_str()); }
void KVGetSqlDataBase(ParamBlock*) { ReturnText(Connections().sql.database.c_str()); }
void KVGetSqlUserName(ParamBlock*) { ReturnText(Connections().sql.user.c_str()); }
void KVGetSqlPassword(ParamBlock*) { ReturnText(Connections().sql.password.c_str()); }
void KVGetSqlTimeOut(ParamBlock*) { ReturnInt(static_cast<int32_t>(Connections().sql.timeOut)); }
void KVGetSqlTrusted(ParamBlock*) { ReturnLogical(Connections().sql.trusted != 0); }

}  // namespace larch
