// Whether this process can show windows at all. Pickers and message boxes
// of the system crash or block in a process without a display; the library
// answers them as cancelled instead of calling.
#pragma once

namespace larch {

bool DesktopAvailable();

}  // namespace larch
