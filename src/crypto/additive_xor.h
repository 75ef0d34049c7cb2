// The repeating-key XOR of the second text cipher and of the string-source
// streams: every key character is raised by 53 before it is used.
#pragma once

#include <cstddef>

namespace larch {

// The key is the text up to its first NUL; a null or empty key, or n = 0,
// leaves the data unchanged.
void AdditiveXor(char* data, size_t n, const char* key);

// The key of KVEncryptTxt2 when the call passes none: 41 printable ASCII
// characters, fixed for good (values enciphered without a key open only
// under this text):
//   "Larch/TextCipher2:default-key#0413$bW7qZk"
extern const char kDefaultTxt2Key[];

}  // namespace larch
