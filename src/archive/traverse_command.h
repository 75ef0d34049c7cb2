// The host command lines of the directory walk: a command is prepared once
// per walk, then each item's path is put in with ExpandHostCommand
// (bridge/host_command.h), which keeps the path one string for the host.
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

}  // namespace larch
