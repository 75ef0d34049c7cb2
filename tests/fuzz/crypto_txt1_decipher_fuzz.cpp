// Cipher one's decipher on any bytes; and for texts without NUL, the
// decipher of the cipher gives the text back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crypto/text_cipher_one.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string plain = larch::DecipherTxt1(input);
  if (plain.find('\0') != std::string::npos) std::abort();

  std::string text(input.substr(0, input.find('\0')));
  if (!text.empty() && larch::DecipherTxt1(larch::EncipherTxt1(text)) != text) std::abort();
  return 0;
}
