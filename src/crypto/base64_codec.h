// The base64 codec (standard alphabet, "=" padding, no line breaks) behind
// the first text cipher. Its buffers always stay larger than the data in
// them, so both results are NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace larch {

// The codec keeps both buffers between calls: encode fills the encoded
// text from the plain bytes, decode the plain bytes from the encoded text.
class Base64Codec {
 public:
  Base64Codec() = default;
  Base64Codec(const Base64Codec&) = delete;
  Base64Codec& operator=(const Base64Codec&) = delete;

  void encode(const uint8_t* data, size_t length);
  void decode(const char* text);
  // Characters outside the alphabet are not rejected: they decode through
  // the formulas like any other value.
  void decode(const char* chars, size_t length);

  const uint8_t* plain() const { return plain_.data(); }
  const char* encoded() const { return reinterpret_cast<const char*>(encoded_.data()); }
  size_t plainLength() const { return plainLength_; }
  size_t encodedLength() const { return encodedLength_; }

 private:
  // Capacity grows to the next multiple of 4096 strictly above the size
  // whenever it does not already exceed it;
  // the whole buffer is zeroed and its length reset in every case.
  static void reserve(std::vector<uint8_t>& buffer, size_t& length, size_t size);
  void reserveEncoded(size_t size);
  void reservePlain(size_t size);
  // Copies the characters, leaving out the ignorable ones.
  void loadEncoded(const char* chars, size_t length);
  void loadPlain(const uint8_t* data, size_t length);
  void encodeGroup(const uint8_t group[3], int realBytes, size_t at);
  // Returns how many of the three bytes written are not 0xFF.
  int decodeGroup(const uint8_t sextets[4], int count, size_t at);
  void splitGroup(const uint8_t bytes[3], uint8_t sextets[4]) const;
  void joinGroup(const uint8_t sextets[4], uint8_t bytes[3]) const;
  bool isIgnorable(uint8_t c) const;

  std::vector<uint8_t> plain_;
  std::vector<uint8_t> encoded_;
  size_t plainLength_ = 0;
  size_t encodedLength_ = 0;
};

}  // namespace larch
