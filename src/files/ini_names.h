// What may go into one line of an INI file. The private-profile writer
// puts a section on a line of its own as "[section]" and an entry as
// "key=value", and does no quoting: a line break in any of them starts a
// new line (another key, another section), a ']' ends the section name
// early, an '=' moves the rest of a key into its value, and a key that
// begins with '[' reads back as a section, also after the blanks and
// control bytes the reader skips. Sections and keys therefore hold no
// control byte at all (below 0x20, and 0x7F); values hold no line break. Such texts are refused before
// the system sees them, so a text from the application is always data.
#pragma once

#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// What the reader of an INI line skips around a name or a value.
constexpr std::string_view kIniBlanks = " \t\v\f";

// Whether the text can stand as a section name, a key or a value. The
// searches go by character, so under a double-byte code page the second
// byte of a Chinese character is never taken for ']' or '='.
bool IniSectionAllowed(const LeadBytes& leads, std::string_view section);
bool IniKeyAllowed(const LeadBytes& leads, std::string_view key);
bool IniValueAllowed(std::string_view value);

// All three at once: what a write or a read checks.
bool IniEntryAllowed(const LeadBytes& leads, std::string_view section, std::string_view key, std::string_view value);

}  // namespace larch
