// The open-file and save-file pickers.
#include <algorithm>
#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "dialogs/file_dialog_record.h"
#include "dialogs/functions.h"
#include "dialogs/picker_text.h"

namespace larch {

void KVGetFile2(ParamBlock* block) {
  Params p(block);
  // Several files only when the switch is given as the third parameter.
  bool multiple = p.count() == 3 && p.integer(3) != 0;
  std::string filter = BuildFilterList(p.text(1).view());
  TextParam folder = p.text(2);
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
  std::string filter = BuildFilterList(p.text(1).view());
  std::string extension = p.textOr(2);
  std::string initialName = p.textOr(3);
  std::vector<char> names(kNameBufferSize, '\0');
  initialName.copy(names.data(), std::min<size_t>(initialName.size(), kNameBufferSize - 1));
  OPENFILENAMEA record =
      MakeFileRecord(static_cast<HWND>(HostMainWindow()), filter, names.data(), kNameBufferSize, kSaveFlags);
  record.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ReturnText(GetSaveFileNameA(&record) ? names.data() : "");
}

}  // namespace larch
