// The About box: two lines and a caption, all from the application.
#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/functions.h"
#include "dialogs/modal.h"

namespace larch {
namespace {

struct AboutTexts {
  const char* line1;
  const char* line2;
  const char* caption;
};

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallbackGuard<INT_PTR>(FALSE, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      const auto& texts = *reinterpret_cast<const AboutTexts*>(lParam);
      SetDlgItemTextA(dialog, IDC_ABOUT_LINE1, texts.line1);
      SetDlgItemTextA(dialog, IDC_ABOUT_LINE2, texts.line2);
      SetWindowTextA(dialog, texts.caption);
      return TRUE;
    }
    // OK and Enter send 1; Esc and the close box send 2.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    }
    return FALSE;
  });
}

}  // namespace

void KVShowAboutDlg(ParamBlock* block) {
  Params p(block);
  TextParam line1 = p.text(1);
  TextParam line2 = p.text(2);
  TextParam caption = p.text(3);
  AboutTexts texts{line1.c_str(), line2.c_str(), caption.c_str()};
  ReturnInt(static_cast<int32_t>(ShowLibraryDialog(IDD_ABOUT, AboutProc, &texts)));
}

}  // namespace larch
