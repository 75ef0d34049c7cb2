// The file-buffer cipher's key block, loaded from the library's MYRES 117
// resource on first use and kept until the release hook.
#pragma once

#include "crypto/file_buffer_cipher.h"

namespace larch {

// The loaded key block, or null after telling the user (a message box)
// that the resource is missing; the next call tries again.
const KeyBlock* ResourceKey();
void ReleaseResourceKey();

}  // namespace larch
