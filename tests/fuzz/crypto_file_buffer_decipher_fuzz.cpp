// The file-buffer decipher on any bytes and key; every enciphered buffer
// deciphers back. Input: one byte of key length, the key, the buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/file_buffer_cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t keyLength = std::min<size_t>(data[0] % 40, size - 1);
  std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
  key = key.c_str();  // the key text ends at its first NUL
  if (key.empty()) return 0;
  std::string buffer(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);

  static const std::vector<char> block = [] {
    std::vector<char> b(97);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 37 + 11);
    return b;
  }();
  larch::KeyBlock keyBlock{block.data(), block.size()};

  if (buffer.size() > larch::kTrailerSize) {
    std::vector<char> out(buffer.size() - larch::kTrailerSize);
    larch::DecipherFileBuffer(out.data(), buffer.data(), buffer.size(), key.c_str(), keyBlock);
  }
  if (!buffer.empty()) {
    std::vector<char> cipher(buffer.size() + larch::kTrailerSize), back(buffer.size());
    larch::EncipherFileBuffer(cipher.data(), buffer.data(), buffer.size(), key.c_str(), keyBlock);
    if (!larch::DecipherFileBuffer(back.data(), cipher.data(), cipher.size(), key.c_str(), keyBlock)) std::abort();
    if (std::memcmp(back.data(), buffer.data(), buffer.size()) != 0) std::abort();
  }
  return 0;
}
