// Each family names the entry points of the rows it has built; the function
// table publishes a row only when its family supplies the entry point.
#pragma once

#include <cstddef>

#include "bridge/records.h"

namespace larch {

using EntryPoint = void (*)(ParamBlock*);
using HookEntryPoint = void (*)();

struct NamedEntry {
  const char* name;
  EntryPoint entry;
};

struct EntryList {
  const NamedEntry* rows;
  size_t count;
};

template <size_t N>
constexpr EntryList MakeEntryList(const NamedEntry (&rows)[N]) {
  return {rows, N};
}

// One per family, each defined in that family's entries.cpp.
EntryList BridgeEntries();
EntryList TextEntries();
EntryList CryptoEntries();
EntryList RegistryEntries();
EntryList FilesEntries();
EntryList ArchiveEntries();  // directory walk and cabinets
EntryList SystemEntries();
EntryList NetEntries();
EntryList DialogsEntries();

// The table handed to the host (built once, valid for the process).
const FunctionTableHeader* PublishedTable();

}  // namespace larch
