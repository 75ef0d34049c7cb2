// Path rules of the cabinet functions: how a cabinet path splits into the
// folder and name the cabinet library takes, the name a file is stored
// under, and the destination of an extraction. Over-long paths are refused
// here, before anything is created or written. Separators are judged by
// character under the given lead bytes: the second byte of a double-byte
// character is never taken for a '\'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"
#include "bridge/path_length.h"

namespace larch {

// Fixed size of the cabinet library's name fields.
constexpr size_t kCabNameField = 256;  // folder and name of a cabinet, with NUL

struct CabinetPath {
  std::string folder;  // up to and including the last separator; "" for the current folder
  std::string name;
};

// Position just after the last '\' or '/' character, 0 when there is none.
size_t NameStart(const LeadBytes& leads, std::string_view path);

// Splits a cabinet path. Nothing when the path is empty, names a folder
// (ends in a separator), is longer than 259 characters, or its folder or
// name part is longer than 255.
std::optional<CabinetPath> SplitCabinetPath(const LeadBytes& leads, std::string_view path);

// The name a file is stored under: its path after the last separator.
// Nothing when that is empty or longer than 255 characters, or the path is
// longer than 259.
std::optional<std::string> StoredFileName(const LeadBytes& leads, std::string_view path);

// The destination folder of an extraction with a closing backslash.
// Nothing when it is empty, longer than 259 characters with the
// backslash, or ends in the first half of a double-byte character (the
// backslash would complete it).
std::optional<std::string> ExtractionFolder(const LeadBytes& leads, std::string_view folder);

// True when a name read from a cabinet stays inside the destination folder:
// not empty, not rooted, no drive, no ".." part, no control character.
bool IsContainedName(const LeadBytes& leads, std::string_view name);

// True when one part of a path names a device rather than a file: CON,
// PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (also with the superscript digits
// of single-byte code pages), CONIN$ and CONOUT$, in any letter case. The
// system takes a device name before the first dot and drops blanks and
// dots after it, so "con.txt", "NUL.", "aux  " and "com1 .log" are devices
// too.
bool IsDeviceName(const LeadBytes& leads, std::string_view part);

// True when a stored name may be written into the destination folder: it
// stays inside it (IsContainedName) and none of its parts is a device.
bool IsWritableStoredName(const LeadBytes& leads, std::string_view name);

// The notifications of the cabinet library during an extraction.
enum class CabNotice { kCabinetInfo, kCopyFile, kCloseFile, kPartialFile, kNextCabinet, kOther };

// Whether the extraction goes on after a notification. This library reads
// single cabinets: a cabinet whose header names a next one (given with
// kCabinetInfo, before any file is written), a file begun in an earlier
// cabinet, or a folder going on into a next one ends the extraction at
// once. The cabinet library would otherwise open the next cabinet by the
// name the header gives (which may lead out of the cabinet's folder) and,
// when it is missing, ask again for as long as it is told to go on.
bool ContinuesAfter(CabNotice notice, std::string_view nextCabinet = {});

// Whether a name holds only ASCII characters, which every code page reads
// alike; other names are stored as UTF-8.
bool IsAsciiName(std::string_view name);

}  // namespace larch
