#include "crypto/base64_codec.h"

#include <algorithm>
#include <cstring>

namespace larch {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr uint8_t kNotInAlphabet = 0xFE;
constexpr uint8_t kPad = 0xFF;

// A character with its top bit set decodes like the same character
// without it; "=" (and 0xBD) mark padding.
struct DecodeTable {
  uint8_t values[256];
  DecodeTable() {
    std::memset(values, kNotInAlphabet, sizeof values);
    for (int i = 0; i < 64; ++i) {
      uint8_t c = static_cast<uint8_t>(kAlphabet[i]);
      values[c] = static_cast<uint8_t>(i);
      values[c | 0x80] = static_cast<uint8_t>(i);
    }
    values[static_cast<uint8_t>('=')] = kPad;
    values[static_cast<uint8_t>('=' | 0x80)] = kPad;
  }
};

// Built on the first decode, never changed afterwards.
const DecodeTable& DecodeValues() {
  static const DecodeTable table;
  return table;
}

}  // namespace

void Base64Codec::encode(const uint8_t* data, size_t length) {
  loadPlain(data, length);
  reserveEncoded(2 * length);
  size_t whole = length / 3 * 3;
  for (size_t i = 0; i < whole; i += 3) {
    encodeGroup(plain_.data() + i, 3, encodedLength_);
    encodedLength_ += 4;
  }
  if (size_t rest = length - whole) {
    uint8_t group[3] = {};
    std::memcpy(group, plain_.data() + whole, rest);
    encodeGroup(group, static_cast<int>(rest), encodedLength_);
    encodedLength_ += 4;
  }
}

void Base64Codec::decode(const char* text) { decode(text, text ? std::strlen(text) : 0); }

void Base64Codec::decode(const char* chars, size_t length) {
  const uint8_t* table = DecodeValues().values;
  loadEncoded(chars, length);
  reservePlain(length);
  size_t i = 0;
  for (; encodedLength_ - i >= 4; i += 4) {
    uint8_t s[4];
    for (int k = 0; k < 4; ++k) s[k] = table[encoded_[i + k]];
    decodeGroup(s, 4, plainLength_);
    plainLength_ += 3;
  }
  if (size_t rest = encodedLength_ - i) {
    uint8_t s[4] = {};
    for (size_t k = 0; k < rest; ++k) s[k] = table[encoded_[i + k]];
    decodeGroup(s, static_cast<int>(rest), plainLength_);
    plainLength_ += rest;
  }
}

void Base64Codec::reserve(std::vector<uint8_t>& buffer, size_t& length, size_t size) {
  // The capacity always stays above the size asked for, so a buffer of
  // any size (0 included) ends in at least one NUL.
  if (buffer.size() <= size) {
    buffer = std::vector<uint8_t>();  // release first, then allocate
    buffer.resize((size / 4096 + 1) * 4096);
  } else {
    std::fill(buffer.begin(), buffer.end(), 0);
  }
  length = 0;
}

void Base64Codec::reserveEncoded(size_t size) { reserve(encoded_, encodedLength_, size); }
void Base64Codec::reservePlain(size_t size) { reserve(plain_, plainLength_, size); }

void Base64Codec::loadEncoded(const char* chars, size_t length) {
  reserveEncoded(length);
  for (size_t i = 0; i < length; ++i) {
    uint8_t c = static_cast<uint8_t>(chars[i]);
    if (!isIgnorable(c)) encoded_[encodedLength_++] = c;
  }
}

void Base64Codec::loadPlain(const uint8_t* data, size_t length) {
  reservePlain(length);
  if (length) std::memcpy(plain_.data(), data, length);
  plainLength_ = length;
}

void Base64Codec::encodeGroup(const uint8_t group[3], int realBytes, size_t at) {
  uint8_t s[4];
  splitGroup(group, s);
  for (int k = 0; k < 4; ++k) encoded_[at + k] = static_cast<uint8_t>(kAlphabet[s[k]]);
  if (realBytes < 3) encoded_[at + 3] = '=';
  if (realBytes < 2) encoded_[at + 2] = '=';
}

int Base64Codec::decodeGroup(const uint8_t sextets[4], int count, size_t at) {
  uint8_t s[4] = {sextets[0], sextets[1], sextets[2], sextets[3]};
  // Only the last two positions treat padding as zero in a whole group; a
  // short final group clears padding in every position.
  for (int k = count == 4 ? 2 : 0; k < 4; ++k) {
    if (s[k] == kPad) s[k] = 0;
  }
  uint8_t* out = plain_.data() + at;
  joinGroup(s, out);
  return (out[0] != 0xFF) + (out[1] != 0xFF) + (out[2] != 0xFF);
}

void Base64Codec::splitGroup(const uint8_t b[3], uint8_t s[4]) const {
  s[0] = b[0] >> 2;
  s[1] = ((b[0] << 4) & 0x3F) | (b[1] >> 4);
  s[2] = ((b[1] << 2) & 0x3F) | (b[2] >> 6);
  s[3] = b[2] & 0x3F;
}

void Base64Codec::joinGroup(const uint8_t s[4], uint8_t b[3]) const {
  b[0] = static_cast<uint8_t>((s[0] << 2) | ((s[1] >> 4) & 3));
  b[1] = static_cast<uint8_t>((s[1] << 4) | ((s[2] >> 2) & 0x0F));
  b[2] = static_cast<uint8_t>((s[2] << 6) | (s[3] & 0x3F));
}

bool Base64Codec::isIgnorable(uint8_t c) const { return (c >= 7 && c <= 13) || c == 32; }

}  // namespace larch
