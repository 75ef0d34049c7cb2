#include "archive/traverse_command.h"

namespace larch {
namespace {

// True when every percent sign starts "%s" or "%%". The path is put in by
// plain substitution, never by a printf-family call, so a command can hold
// nothing that reads further arguments.
bool OnlyPathConversions(std::string_view command) {
  for (size_t i = 0; i < command.size(); ++i) {
    if (command[i] != '%') continue;
    if (i + 1 == command.size()) return false;
    char next = command[i + 1];
    if (next != 's' && next != '%') return false;
    ++i;
  }
  return true;
}

}  // namespace

std::optional<std::string> PrepareWalkCommand(std::string_view command) {
  if (command.empty() || !OnlyPathConversions(command)) return std::nullopt;
  std::string prepared(command);
  // A plain text search, as a caller reads it: "%%s" also counts.
  if (prepared.find("%s") == std::string::npos) prepared += "(\"%s\")";
  return prepared;
}

}  // namespace larch
