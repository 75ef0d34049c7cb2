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

  virtual void Encode(const char* text);
  virtual void Encode(const uint8_t* data, size_t length);
  virtual void Decode(const char* text);
  // Characters outside the alphabet are not rejected: they decode through
  // the formulas like any other value.
  virtual void Decode(const char* chars, size_t length);

  virtual const uint8_t* Plain() const { return plain_.data(); }
  virtual const char* Encoded() const { return reinterpret_cast<const char*>(encoded_.data()); }
  virtual size_t PlainLength() const { return plainLength_; }
  virtual size_t EncodedLength() const { return encodedLength_; }

 protected:
  // Capacity grows to the next multiple of 4096 strictly above the size
  // whenever it does not already exceed it;
  // the whole buffer is zeroed and its length reset in every case.
  virtual void ReserveEncoded(size_t size);
  virtual void ReservePlain(size_t size);
  // Copies the characters, leaving out the ignorable ones.
  virtual void LoadEncoded(const char* chars, size_t length);
  virtual void LoadPlain(const uint8_t* data, size_t length);
  virtual void EncodeGroup(const uint8_t group[3], int realBytes, size_t at);
  // Returns how many of the three bytes written are not 0xFF.
  virtual int DecodeGroup(const uint8_t sextets[4], int count, size_t at);
  virtual void SplitGroup(const uint8_t bytes[3], uint8_t sextets[4]) const;
  virtual void JoinGroup(const uint8_t sextets[4], uint8_t bytes[3]) const;
  virtual bool IsIgnorable(uint8_t c) const;

 private:
  static void Reserve(std::vector<uint8_t>& buffer, size_t& length, size_t size);

  std::vector<uint8_t> plain_;
  std::vector<uint8_t> encoded_;
  size_t plainLength_ = 0;
  size_t encodedLength_ = 0;
};

}  // namespace larch
