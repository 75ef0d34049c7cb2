// Texts the pickers hand to and take from the system's dialogs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// "Text files|*.txt|" -> "Text files\0*.txt\0\0": every '|' character
// becomes a NUL and the list ends with two NULs. The second byte of a
// Chinese character is never taken for a '|'. An empty text gives an empty
// string (no filter at all).
std::string BuildFilterList(const LeadBytes& leads, std::string_view barSeparated);

// The name buffer of a multiple selection: the folder and the names, each
// NUL-terminated, the list ended by a second NUL. Returns the text up to
// that double NUL with every NUL turned into '|' (folder|name1|name2); a
// single chosen file is its full path. Never reads past capacity. No byte
// of a double-byte character is NUL, so the NULs are found byte by byte.
std::string JoinMultiSelection(const char* buffer, size_t capacity);

// Characters the folder browser's initial-selection buffer holds: room for
// any path the system takes.
constexpr size_t kInitialFolderCapacity = 264;

}  // namespace larch
