#include "crypto/text_cipher_one.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bridge/reverse_bytes.h"
#include "crypto/base64_codec.h"

namespace larch {
namespace {

constexpr std::string_view kMarker = "abcd";

}  // namespace

void TextShuffle(char* text, size_t length) {
  if (length < 2) return;
  std::rotate(text, text + 1, text + length);  // first character to the end
  ReverseBytes(text, length);
  std::rotate(text, text + length - 1, text + length);  // last character to the front
}

std::string EncipherTxt1(std::string_view plain) {
  Base64Codec codec;
  codec.encode(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
  std::string text(codec.encoded(), codec.encodedLength());
  text += kMarker;
  TextShuffle(text.data(), text.size());
  return text;
}

std::string DecipherTxt1(std::string_view cipher) {
  if (cipher.size() < kMarker.size()) return {};
  std::string text(cipher);
  TextShuffle(text.data(), text.size());
  Base64Codec codec;
  codec.decode(text.data(), text.size() - kMarker.size());
  return reinterpret_cast<const char*>(codec.plain());
}

}  // namespace larch
