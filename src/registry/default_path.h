// The session's default key path, built from the application identity.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace larch {

// Capacity of the buffer the default path is built in, NUL included.
constexpr size_t kDefaultPathCapacity = 276;
constexpr std::string_view kDefaultPathPrefix = "Software\\Brenwick\\";

// "Software\Brenwick\" + identity; nothing when the identity is empty or
// the path would not fit the buffer.
std::optional<std::string> DefaultRegistryPath(std::string_view identity);

// Longest default text a string read hands back (its buffer is 513 bytes).
constexpr size_t kRegistryTextLimit = 512;

}  // namespace larch
