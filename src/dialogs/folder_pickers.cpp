// The folder browser, and the browser for a network computer or printer.
#include <windows.h>
#include <shlobj.h>

#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/win_handles.h"
#include "dialogs/functions.h"
#include "dialogs/picker_text.h"

namespace larch {
namespace {

// Read by the browser's call-back when the dialog opens; every KVGetDir2
// call that shows the dialog writes it first.
char g_initialFolder[kInitialFolderCapacity];
static_assert(kInitialFolderCapacity > kMaxPathLength, "every path the system takes fits");

int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED && g_initialFolder[0] != '\0') {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(g_initialFolder));
  }
  return 0;
}

constexpr UINT kDefaultBrowseFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNFSANCESTORS | BIF_RETURNONLYFSDIRS;

}  // namespace

void KVGetDir2(ParamBlock* block) {
  Params p(block);
  std::string initial = p.textOr(1);
  std::string title = p.textOr(2);
  if (title.empty()) title = "Select a directory";
  UINT flags = p.has(3) ? static_cast<UINT>(p.integer(3)) : kDefaultBrowseFlags;
  // A folder the system cannot take (a NUL, too long), or no display: answered as a
  // cancelled browser, without calling (the system's browser crashes in a
  // process without a display).
  if (UnusablePath(initial) || !DesktopAvailable()) {
    ReturnText("");
    return;
  }
  initial.copy(g_initialFolder, initial.size());
  g_initialFolder[initial.size()] = '\0';

  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = static_cast<HWND>(HostMainWindow());
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = SelectInitialFolder;
  UniqueItemList chosen(SHBrowseForFolderA(&info));
  char path[MAX_PATH] = {};
  if (!chosen || !SHGetPathFromIDListA(chosen.get(), path)) path[0] = '\0';
  ReturnText(path);
}

void KVGetOtherFolder(ParamBlock* block) {
  Params p(block);
  bool computers = p.integer(1) == 1;
  TextParam title = p.text(2);
  if (!DesktopAvailable()) {
    ReturnText("");
    return;
  }
  UniqueItemList root;
  SHGetSpecialFolderLocation(nullptr, computers ? CSIDL_NETWORK : CSIDL_PRINTERS, root.put());

  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.pidlRoot = root.get();
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = computers ? BIF_BROWSEFORCOMPUTER : BIF_BROWSEFORPRINTER;
  UniqueItemList chosen(SHBrowseForFolderA(&info));
  ReturnText(chosen ? displayName : "");
}

}  // namespace larch
