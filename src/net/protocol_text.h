// Checks of the texts the network family hands to a server, and the cut of
// the FTP current-folder answer. No platform calls here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// The longest URL the internet services take (2,048 bytes of path and 35 of
// scheme, host and port), and the longest remote FTP path they take.
constexpr size_t kMaxUrlLength = 2083;
constexpr size_t kMaxFtpNameLength = 2048;

// A text that reaches a protocol line as an argument must not end that
// line early: CR or LF would start a command of the caller's choosing, and
// an embedded NUL would cut the text at a point the caller did not choose.
// The search is byte by byte on purpose: the server and the internet
// services split lines on bytes, so a CR hiding behind a stray lead byte
// must still be found. (No double-byte code page uses these bytes as the
// second byte of a character, so a valid character never matches.)
bool BreaksProtocolLine(std::string_view text);

// The system codes recorded for a refused name.
constexpr uint32_t kErrorInvalidName = 123;  // ERROR_INVALID_NAME
constexpr uint32_t kErrorNameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE

// A name of an FTP operation: a path on the server, sent in a command, or a
// local file the transfer reads or writes.
enum class FtpName { kRemote, kLocal };

// Whether the text holds a broken double-byte character: a first byte at
// the end, or one followed by a byte that no double-byte code page takes
// as a second byte (below 0x40, 0x7F or 0xFF; a blank among them). The
// system's conversion puts '?' in place of such a character, which a
// server may expand as a wildcard. Under a single-byte code page no text
// holds one.
bool HoldsBrokenCharacter(const LeadBytes& leads, std::string_view text);

// Why a name is refused before anything is sent, as the code to record: a
// name that would end its command line or holds a broken double-byte
// character under the given lead bytes (kErrorInvalidName), a remote name
// longer than kMaxFtpNameLength or a local path longer than the file calls
// take (kErrorNameTooLong); 0 when it may be used.
uint32_t FtpNameRefusal(std::string_view name, FtpName kind, const LeadBytes& leads);

// Whether a URL can be requested as given: not empty, at most
// kMaxUrlLength bytes, and without a control byte or a blank (any of them
// would end the request line or add a header).
bool UrlIsRequestable(std::string_view url);

// The current folder held in a buffer of buffer.size() bytes: the text up
// to its NUL. A buffer without a NUL is cut at the last whole character
// that leaves room for one.
std::string CurrentFolderText(std::string_view buffer, const LeadBytes& leads);

}  // namespace larch
