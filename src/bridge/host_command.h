// Text from outside (a path, a file name) put into a host command line.
//
// Such a text is data. Wherever "%s" stands in a command, the host must
// read the text back as one string, whatever characters it holds, and
// nothing of it may become code. Inside a literal ('..', "..", [..]) a
// character that would end the literal ('\'' in '..', ']' in [..]) or start
// a macro ('&') is put in as a literal of another kind joined with +, and
// the whole literal is wrapped in parentheses so that it stays one operand:
//   ? '%s'   with  C:\it's.txt   runs   ? ('C:\it' + "'" + 's.txt')
// Where no such form exists the command is not run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// The command line for one text: every "%s" of the command becomes the
// text, put in so that the host reads it back unchanged, and every "%%" a
// single percent sign. Nothing when the text cannot be put in safely: it
// holds a control character (CR, LF, ...), ends in half a double-byte
// character, or goes where no literal stands ("DO %s") and holds anything
// but letters, digits, double-byte characters and \ / : . _ - ~.
// Characters are judged under the given lead bytes, as the host reads them
// under the same code page.
std::optional<std::string> ExpandHostCommand(const LeadBytes& leads, std::string_view command, std::string_view text);

// A host expression that evaluates to exactly this text: the text in
// double quotes, spliced as above where it needs it. Nothing when no safe
// form exists.
std::optional<std::string> HostTextExpression(const LeadBytes& leads, std::string_view text);

}  // namespace larch
