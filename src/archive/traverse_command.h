// The host command lines of the directory walk: a command is prepared once
// per walk and then filled with each item's path.
//
// A path is data. Wherever "%s" stands in a command, the host must read the
// path back as one string, whatever characters it holds, and nothing of it
// may become code. Inside a literal ('..', "..", [..]) a character that
// would end the literal ('\'' in '..', ']' in [..]) or start a macro ('&')
// is put in as a literal of another kind joined with +, and the whole
// literal is wrapped in parentheses so that it stays one operand:
//   ? '%s'   with  C:\it's.txt   runs   ? ('C:\it' + "'" + 's.txt')
// Where no such form exists the command is not run for that item.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// Prepares a walk command. A command without "%s" gets ("%s") appended, so
// a bare procedure name becomes a call with the quoted path. Returns
// nothing for an empty command, and for one holding a percent sequence
// other than "%s" or "%%": such a command is never run.
std::optional<std::string> PrepareWalkCommand(std::string_view command);

// The command line for one path: every "%s" of a prepared command becomes
// the path, put in so that the host reads it back unchanged, and every
// "%%" a single percent sign. Nothing when the path cannot be put in
// safely: it holds a control character (CR, LF, ...), ends in half a
// double-byte character, or goes where no literal stands ("DO %s") and
// holds anything but letters, digits, double-byte characters and
// \ / : . _ - ~. Characters are judged under the given lead bytes, as the
// host reads them under the same code page.
std::optional<std::string> ExpandWalkCommand(const LeadBytes& leads, std::string_view prepared, std::string_view path);

// A host expression that evaluates to exactly this text: the text in
// double quotes, spliced as above where it needs it. Nothing when no safe
// form exists.
std::optional<std::string> HostTextExpression(const LeadBytes& leads, std::string_view text);

}  // namespace larch
