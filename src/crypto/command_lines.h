// Splitting a deciphered batch into the host command lines it runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace larch {

// The text ends at its first NUL. CR and LF separate lines; empty lines and
// runs of line breaks give nothing, every other line (spaces only too) is
// one command, in order.
std::vector<std::string> SplitCommandLines(std::string_view text);

}  // namespace larch
