// MD5 (RFC 1321) and the digest texts every key of the ciphers is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larch {

struct Md5Context {
  uint32_t state[4];
  uint32_t count[2];  // bits processed, low word first
  uint8_t buffer[64];
};

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const void* data, size_t length);
// Pads, writes the 16 digest bytes and clears the context.
void Md5Final(uint8_t digest[16], Md5Context& context);

// Every buffer that receives a digest text holds 32 digits and a NUL.
constexpr size_t kDigestTextSize = 33;

// Lower-case digest text of the bytes; nothing happens when out is null.
void Md5HexOfBytes(char* out, const void* data, size_t length);
// Digest text of a file read in 1024-byte pieces. When the file cannot be
// opened or a read fails only out[0] is written (a NUL): callers treat that
// as "no digest".
void Md5HexOfFile(char* out, const char* path);
// The digest text with the two digits of every byte exchanged.
void Md5HexSwapped(char* out, const void* data, size_t length);

// Conveniences for callers that hold bytes in strings.
std::string Md5Hex(std::string_view bytes);
std::string Md5HexSwapped(std::string_view bytes);

}  // namespace larch
