// The host command lines of the directory walk: a command is prepared once
// per walk and then filled with each item's path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larch {

// Prepares a walk command. A command without "%s" gets ("%s") appended, so
// a bare procedure name becomes a call with the quoted path. Returns
// nothing for an empty command, and for one holding a percent sequence
// other than "%s" or "%%": such a command is never run.
std::optional<std::string> PrepareWalkCommand(std::string_view command);

// The command line for one path: every "%s" of a prepared command becomes
// the path and every "%%" a single percent sign.
std::string ExpandWalkCommand(std::string_view prepared, std::string_view path);

}  // namespace larch
