#include "import_patch.h"

#include <cstring>

namespace larch::host {

ImportPatch::ImportPatch(HMODULE module, const std::string& dll, const std::string& function, const void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  if (!base) return;
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll.c_str()) != 0) continue;
    auto* names =
        reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function.c_str()) != 0) continue;
      slot_ = reinterpret_cast<const void**>(&slots->u1.Function);
      original_ = *slot_;
      write(replacement);
      return;
    }
  }
}

ImportPatch::~ImportPatch() {
  if (slot_) write(original_);
}

void ImportPatch::write(const void* value) {
  DWORD old = 0;
  VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
  *slot_ = value;
  VirtualProtect(slot_, sizeof *slot_, old, &old);
}

}  // namespace larch::host
