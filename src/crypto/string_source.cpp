#include "crypto/string_source.h"

#include <algorithm>
#include <cstring>

#include "bridge/reverse_bytes.h"
#include "crypto/additive_xor.h"
#include "crypto/md5.h"

namespace larch {

const char kStreamTag[] = "Larch string source stream seal v1";
static_assert(sizeof kStreamTag == 35, "the stream tag holds 34 characters");

namespace {

constexpr uint32_t kStreamKind = 0;

uint32_t CountNonBlankLines(std::string_view text) {
  uint32_t lines = 0;
  bool holding = false;
  for (char c : text) {
    if (c == '\0') continue;
    if (c == '\r' || c == '\n') {
      lines += holding;
      holding = false;
    } else {
      holding = true;
    }
  }
  return lines + holding;
}

char ClosingDelimiter(char c) {
  switch (c) {
    case '"':
    case '\'': return c;
    case '[': return ']';
    default: return '\0';
  }
}

}  // namespace

Trailer StreamTrailer(uint32_t payloadLength, const char* key) {
  Trailer t = TrailerFields(kStreamKind, kStreamTag, payloadLength, key);
  char seal[kDigestTextSize];
  Md5HexSwapped(seal, key, std::strlen(key));
  AdditiveXor(t.data(), t.size(), seal);
  return t;
}

std::string StreamPayloadKey(const Trailer& expected, const char* key) {
  Trailer d;
  std::transform(expected.begin(), expected.end(), d.begin(), [](char c) { return c ? '\x10' : '\0'; });
  AdditiveXor(d.data(), d.size(), key);
  ReverseBytes(d.data(), d.size());
  AdditiveXor(d.data(), d.size(), key);
  return Md5HexSwapped(std::string_view(d.data(), d.size()));
}

std::optional<std::string> OpenStringStream(std::string_view stream, const char* key) {
  if (stream.size() <= kTrailerSize || !key || !*key) return std::nullopt;
  size_t payload = stream.size() - kTrailerSize;
  Trailer expected = StreamTrailer(static_cast<uint32_t>(payload), key);
  if (stream.substr(payload) != std::string_view(expected.data(), expected.size())) return std::nullopt;
  std::string text(stream.substr(0, payload));
  AdditiveXor(text.data(), text.size(), StreamPayloadKey(expected, key).c_str());
  return text;
}

std::string MakeStringStream(std::string_view payload, const char* key) {
  Trailer expected = StreamTrailer(static_cast<uint32_t>(payload.size()), key);
  std::string stream(payload);
  AdditiveXor(stream.data(), stream.size(), StreamPayloadKey(expected, key).c_str());
  stream.append(expected.data(), expected.size());
  return stream;
}

StringSourceShape StringSrcTable::load(std::string_view text) {
  StringSourceShape shape;
  shape.lines = CountNonBlankLines(text);
  std::vector<char> block(text.begin(), text.end());
  block.push_back('\0');
  std::vector<uint32_t> offsets;
  offsets.reserve(shape.lines);

  char closing = '\0';  // none while outside a string
  bool opened = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char& c = block[i];
    if (c == '\0') continue;
    if (opened) {
      if (offsets.size() < shape.lines) offsets.push_back(static_cast<uint32_t>(i));
      opened = false;
    }
    if (c == '\r' || c == '\n') {
      c = '\0';
    } else if (closing == '\0') {
      if (char close = ClosingDelimiter(c)) {
        c = '\0';
        closing = close;
        opened = true;
        ++shape.strings;
      }
    } else if (c == closing) {
      c = '\0';
      closing = '\0';
    }
  }
  // A string opened by the last byte is empty: it points at the final NUL.
  if (opened && offsets.size() < shape.lines) offsets.push_back(static_cast<uint32_t>(text.size()));

  offsets_ = std::move(offsets);
  text_ = std::move(block);
  return shape;
}

const char* StringSrcTable::entry(uint32_t n) const {
  if (n < 1 || n > offsets_.size()) return nullptr;
  return text_.data() + offsets_[n - 1];
}

}  // namespace larch
