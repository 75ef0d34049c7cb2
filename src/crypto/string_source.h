// String-source streams: an enciphered text of delimited strings, bound to
// one executable by the digest of its file, and the table it loads into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/trailer.h"

namespace larch {

// The line whose digest stands in every stream trailer: 34 printable
// characters, fixed for good (streams made under it load only under it):
//   "Larch string source stream seal v1"
extern const char kStreamTag[];

// The trailer a stream of this payload length must end with, for the key
// text (the digest text of the executable).
Trailer StreamTrailer(uint32_t payloadLength, const char* key);
std::string StreamPayloadKey(const Trailer& expected, const char* key);

// The deciphered payload, or nothing when the stream is 84 bytes or
// shorter, the key is empty or the trailer does not match.
std::optional<std::string> OpenStringStream(std::string_view stream, const char* key);
// The inverse, for the tools: payload (at least one byte) and trailer.
std::string MakeStringStream(std::string_view payload, const char* key);

// How a payload parsed: a well-formed one has one string per non-blank line.
struct StringSourceShape {
  uint32_t lines = 0;    // non-blank lines
  uint32_t strings = 0;  // strings opened
};

// The strings of the last stream loaded, numbered from 1.
class StringSrcTable {
 public:
  StringSrcTable() = default;

  // Replaces the contents with the strings of the text. A payload whose
  // strings do not match its lines keeps those it can: never more entries
  // than non-blank lines, never an entry that no string filled.
  StringSourceShape load(std::string_view text);

  uint32_t count() const { return static_cast<uint32_t>(offsets_.size()); }
  // Entry n (from 1), or null when there is none of that number.
  const char* entry(uint32_t n) const;

 private:
  std::vector<uint32_t> offsets_;
  std::vector<char> text_;
};

}  // namespace larch
