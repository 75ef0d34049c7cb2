// Extracting every file of a cabinet with FDI.
#pragma once

#include <string_view>

namespace larch {

// Extracts into the destination folder (a closing backslash is added when
// missing), restoring each file's stored time and attributes. False when a
// path is refused, the file is not a cabinet, or any file fails.
bool ExtractCabinet(std::string_view cabinet, std::string_view destination);

}  // namespace larch
