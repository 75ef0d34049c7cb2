// The base64 codec (standard alphabet, "=" padding, no line breaks) behind
// the first text cipher. Its buffers always stay larger than the data in
// them, so both results are NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace larch {

// Nothing derives from the codec: its operations are virtual, in this order,
// because the object keeps the layout it has always had (a table of
// operations first, then the two buffers), not to be overridden.
class Base64Codec {
 public:
  Base64Codec() = default;
  Base64Codec(const Base64Codec&) = delete;
  Base64Codec& operator=(const Base64Codec&) = delete;
  virtual ~Base64Codec() = default;

  virtual void encode(const char* text);
  virtual void encode(const uint8_t* data, size_t length);
  virtual void decode(const char* text);
  // Characters outside the alphabet are not rejected: they decode through
  // the formulas like any other value.
  virtual void decode(const char* chars, size_t length);

  virtual const uint8_t* plain() const { return plain_.data(); }
  virtual const char* encoded() const { return reinterpret_cast<const char*>(encoded_.data()); }
  virtual size_t plainLength() const { return plainLength_; }
  virtual size_t encodedLength() const { return encodedLength_; }

 protected:
  // Capacity grows to the next multiple of 4096 strictly above the size
  // whenever it does not already exceed it;
  // the whole buffer is zeroed and its length reset in every case.
  virtual void reserveEncoded(size_t size);
  virtual void reservePlain(size_t size);
  // Copies the characters, leaving out the ignorable ones.
  virtual void loadEncoded(const char* chars, size_t length);
  virtual void loadPlain(const uint8_t* data, size_t length);
  virtual void encodeGroup(const uint8_t group[3], int realBytes, size_t at);
  // Returns how many of the three bytes written are not 0xFF.
  virtual int decodeGroup(const uint8_t sextets[4], int count, size_t at);
  virtual void splitGroup(const uint8_t bytes[3], uint8_t sextets[4]) const;
  virtual void joinGroup(const uint8_t sextets[4], uint8_t bytes[3]) const;
  virtual bool isIgnorable(uint8_t c) const;

 private:
  static void reserve(std::vector<uint8_t>& buffer, size_t& length, size_t size);

  std::vector<uint8_t> plain_;
  std::vector<uint8_t> encoded_;
  size_t plainLength_ = 0;
  size_t encodedLength_ = 0;
};

}  // namespace larch
