// Texts the pickers hand to and take from the system's dialogs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace larch {

// "Text files|*.txt|" -> "Text files\0*.txt\0\0": every '|' becomes a NUL
// and the list ends with two NULs. An empty text gives an empty string
// (no filter at all).
std::string BuildFilterList(std::string_view barSeparated);

// The name buffer of a multiple selection: the folder and the names, each
// NUL-terminated, the list ended by a second NUL. Returns the text up to
// that double NUL with every NUL turned into '|' (folder|name1|name2); a
// single chosen file is its full path. Never reads past capacity.
std::string JoinMultiSelection(const char* buffer, size_t capacity);

// Characters the folder browser's initial-selection buffer holds.
constexpr size_t kInitialFolderCapacity = 264;
// The folder the browser selects at the start: a path that does not fit
// the buffer opens without a selection rather than at a cut path.
std::string InitialFolderFor(std::string_view requested);

}  // namespace larch
