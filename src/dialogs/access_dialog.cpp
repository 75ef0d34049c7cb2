// The Access connection dialog: a database file (with a browse button),
// a user name and a password.
#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/connection_rules.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/file_dialog_record.h"
#include "dialogs/functions.h"
#include "dialogs/modal.h"
#include "dialogs/picker_text.h"

namespace larch {
namespace {

struct AccessInitial {
  const char* file;
  const char* user;
  const char* password;
  bool enabled;  // false: the user-name and password boxes are disabled
};

void BrowseForDatabase(HWND dialog) {
  std::string filter = BuildFilterList(AnsiLeadBytes(), "Access DataBase (*.mdb)|*.mdb|");
  std::vector<char> name(MAX_PATH, '\0');
  OPENFILENAMEA record = MakeFileRecord(dialog, filter, name.data(), MAX_PATH, kOpenFlags);
  if (GetOpenFileNameA(&record)) SetDlgItemTextA(dialog, IDC_MDB_FILE, name.data());
}

bool PathExists(const char* path) { return PathFileExistsA(path) != FALSE; }

void OnAccessOk(HWND dialog) {
  AccessForm form{ReadBox(dialog, IDC_MDB_FILE), ReadBox(dialog, IDC_MDB_USER), ReadBox(dialog, IDC_MDB_PASSWORD)};
  FinishOk(dialog, AcceptAccess(form, Connections().access, AnsiLeadBytes(), PathExists));
}

INT_PTR CALLBACK AccessProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallbackGuard<INT_PTR>(FALSE, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      const auto& initial = *reinterpret_cast<const AccessInitial*>(lParam);
      SendDlgItemMessageA(dialog, IDC_MDB_FILE, EM_LIMITTEXT, kFileNameLimit, 0);
      SendDlgItemMessageA(dialog, IDC_MDB_USER, EM_LIMITTEXT, kNameLimit, 0);
      SendDlgItemMessageA(dialog, IDC_MDB_PASSWORD, EM_LIMITTEXT, kNameLimit, 0);
      SetDlgItemTextA(dialog, IDC_MDB_FILE, initial.file);
      SetDlgItemTextA(dialog, IDC_MDB_USER, initial.user);
      SetDlgItemTextA(dialog, IDC_MDB_PASSWORD, initial.password);
      if (!initial.enabled) {
        EnableWindow(GetDlgItem(dialog, IDC_MDB_USER), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_MDB_PASSWORD), FALSE);
      }
      return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
      case IDC_MDB_BROWSE: BrowseForDatabase(dialog); return TRUE;
      case IDOK: OnAccessOk(dialog); return TRUE;
      case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
  });
}

}  // namespace

void KVShowAccessSetDlg(ParamBlock* block) {
  Params p(block);
  TextParam file = p.text(1);
  TextParam user = p.text(2);
  TextParam password = p.text(3);
  AccessInitial initial{file.c_str(), user.c_str(), password.c_str(), p.integerOr(4, 1) != 0};
  ReturnInt(static_cast<int32_t>(ShowLibraryDialog(IDD_ACCESS, AccessProc, &initial)));
}

void KVGetMdbFileName(ParamBlock*) { ReturnText(Connections().access.file.c_str()); }
void KVGetMdbUserName(ParamBlock*) { ReturnText(Connections().access.user.c_str()); }
void KVGetMdbPassword(ParamBlock*) { ReturnText(Connections().access.password.c_str()); }

}  // namespace larch
