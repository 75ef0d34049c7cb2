// The open-file and save-file pickers.
#include <vector>

#include "bridge/dbcs.h"
#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/file_dialog_record.h"
#include "dialogs/functions.h"
#include "dialogs/picker_text.h"

namespace larch {

void KVGetFile2(ParamBlock* block) {
  Params p(block);
  // Several files only when the switch is given as the third parameter.
  bool multiple = p.has(3) && p.integer(3) != 0;
  TextParam filterText = p.text(1);
  TextParam folder = p.text(2);
  // A folder the system cannot take (a NUL, too long), or no display to show the
  // dialog on: answered as a cancelled dialog, without calling.
  if (UnusablePath(folder.view()) || !DesktopAvailable()) {
    ReturnText("");
    return;
  }
  std::string filter = BuildFilterList(AnsiLeadBytes(), filterText.view());
  std::vector<char> names(kNameBufferSize, '\0');
  OPENFILENAMEA record = MakeFileRecord(static_cast<HWND>(HostMainWindow()), filter, names.data(), kNameBufferSize,
                                        multiple ? kOpenFlags | OFN_ALLOWMULTISELECT : kOpenFlags);
  record.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  if (!GetOpenFileNameA(&record)) {
    ReturnText("");
  } else if (multiple) {
    ReturnBytes(JoinMultiSelection(names.data(), names.size()));
  } else {
    ReturnText(names.data());
  }
}

void KVPutFile2(ParamBlock* block) {
  Params p(block);
  TextParam filterText = p.text(1);
  std::string extension = p.textOr(2);
  std::string initialName = p.textOr(3);
  // As for the open dialog: a name the system cannot take, or no display.
  if (UnusablePath(initialName) || !DesktopAvailable()) {
    ReturnText("");
    return;
  }
  std::string filter = BuildFilterList(AnsiLeadBytes(), filterText.view());
  std::vector<char> names(kNameBufferSize, '\0');
  initialName.copy(names.data(), initialName.size());
  OPENFILENAMEA record =
      MakeFileRecord(static_cast<HWND>(HostMainWindow()), filter, names.data(), kNameBufferSize, kSaveFlags);
  record.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ReturnText(GetSaveFileNameA(&record) ? names.data() : "");
}

}  // namespace larch
