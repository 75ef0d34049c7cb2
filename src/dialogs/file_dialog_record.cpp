#include "dialogs/file_dialog_record.h"

namespace larch {

static_assert(sizeof(OPENFILENAMEA) >= kFileRecordSize, "the record holds the published layout");

OPENFILENAMEA MakeFileRecord(HWND owner, const std::string& filterList, char* names, DWORD capacity, DWORD flags) {
  OPENFILENAMEA record{};
  record.lStructSize = kFileRecordSize;
  record.hwndOwner = owner;
  record.lpstrFilter = filterList.empty() ? nullptr : filterList.c_str();
  record.lpstrFile = names;
  record.nMaxFile = capacity;
  record.Flags = flags;
  return record;
}

}  // namespace larch
