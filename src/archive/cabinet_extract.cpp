#include "archive/cabinet_extract.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <cstdio>
#include <optional>
#include <string>

#include "archive/cabinet_io.h"
#include "archive/cabinet_paths.h"
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"

namespace larch {
namespace {

// ---- call-backs ------------------------------------------------------------

INT_PTR DIAMONDAPI FdiOpen(char* path, int flags, int mode) {
  return CallbackGuard<INT_PTR>(-1, [&] { return CabOpen(path, flags, mode); });
}
UINT DIAMONDAPI FdiRead(INT_PTR file, void* buffer, UINT size) {
  return CallbackGuard<UINT>(static_cast<UINT>(-1), [&] { return CabRead(file, buffer, size); });
}
UINT DIAMONDAPI FdiWrite(INT_PTR file, void* buffer, UINT size) {
  return CallbackGuard<UINT>(static_cast<UINT>(-1), [&] { return CabWrite(file, buffer, size); });
}
int DIAMONDAPI FdiClose(INT_PTR file) {
  return CallbackGuard(-1, [&] { return CabClose(file); });
}
LONG DIAMONDAPI FdiSeek(INT_PTR file, LONG distance, int origin) {
  return CallbackGuard<LONG>(-1, [&] { return CabSeek(file, distance, origin); });
}

// The stored time becomes both the creation and the last-write time; the
// last-access time is left as the system set it.
void RestoreTimes(const std::string& path, USHORT date, USHORT time) {
  UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  FILETIME local, utc;
  if (DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file.get(), &utc, nullptr, &utc);
  }
}

// A file as the system knows it: its volume and its index there, the same
// whatever path (a short name, another letter case, a link) leads to it.
struct FileId {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileId& other) const {
    return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
  }
};

// Opening for the identity needs no access right and leaves every kind of
// sharing to others, so it never disturbs the reader of the cabinet.
std::optional<FileId> IdentifyFile(const std::string& path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFileHandle file(CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The full path the system makes of a path, "" when it cannot.
std::string FullPath(const std::string& path) {
  char full[kReturnedPathCapacity] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), kReturnedPathCapacity, full, nullptr);
  return length == 0 || length >= kReturnedPathCapacity ? std::string() : std::string(full, length);
}

// The cabinet being read: an entry whose destination is this file would
// truncate it under the reader.
struct CabinetFile {
  std::string fullPath;
  std::optional<FileId> id;

  bool isAt(const std::string& path) const {
    const std::string full = FullPath(path);
    if (!full.empty() && !fullPath.empty() &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, full.c_str(), -1, fullPath.c_str(), -1) == CSTR_EQUAL) {
      return true;
    }
    if (!id) return false;
    const std::optional<FileId> there = IdentifyFile(path);
    return there && *there == *id;
  }
};

// What the notifications share: the destination folder (closing backslash
// included), the cabinet being read, the path and the stored size of the
// file being written, and whether a refusal has already been recorded.
struct ExtractState {
  std::string folder;
  CabinetFile cabinet;
  std::string path;
  long size = 0;
  bool recorded = false;

  INT_PTR refuse(uint32_t code) {
    RecordFailure(code);
    recorded = true;
    return -1;
  }
};

// The output path of a stored file. A name marked as UTF-8 is converted to
// the ANSI code page; one that does not convert exactly, that would leave
// the destination folder (rooted, with a drive or a ".." part), that names
// a device, or whose destination is the cabinet itself fails the
// extraction, as does a path too long for the system. The files written
// before it stay.
INT_PTR OpenOutput(ExtractState& state, const FDINOTIFICATION& info) {
  std::optional<std::string> name(info.psz1);
  if (info.attribs & _A_NAME_IS_UTF) name = Utf8ToAnsi(*name);
  if (!name || !IsWritableStoredName(AnsiLeadBytes(), *name)) return state.refuse(ERROR_INVALID_NAME);
  state.path = state.folder + *name;
  if (ResolvedPathTooLong(state.path)) return state.refuse(ERROR_FILENAME_EXCED_RANGE);
  if (state.cabinet.isAt(state.path)) return state.refuse(ERROR_INVALID_NAME);
  INT_PTR file = CabOpen(state.path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_SEQUENTIAL, 0x180);
  if (file == -1) {
    RecordSystemError();
    state.recorded = true;
  }
  state.size = info.cb;
  return file;
}

// The end of a file: its time and attributes are restored. A file whose
// data did not all arrive (the extraction failed inside it, and the
// cabinet library still reports it closed) is removed rather than left
// looking extracted.
BOOL CloseOutput(ExtractState& state, const FDINOTIFICATION& info) {
  const bool whole = CabSeek(info.hf, 0, SEEK_END) == state.size;
  CabClose(info.hf);
  if (!whole) {
    DeleteFileA(state.path.c_str());
    return FALSE;
  }
  RestoreTimes(state.path, info.date, info.time);
  SetFileAttributesA(state.path.c_str(), info.attribs & kCabAttributeMask);
  return TRUE;
}

CabNotice NoticeOf(FDINOTIFICATIONTYPE type) {
  switch (type) {
    case fdintCABINET_INFO: return CabNotice::kCabinetInfo;
    case fdintCOPY_FILE: return CabNotice::kCopyFile;
    case fdintCLOSE_FILE_INFO: return CabNotice::kCloseFile;
    case fdintPARTIAL_FILE: return CabNotice::kPartialFile;
    case fdintNEXT_CABINET: return CabNotice::kNextCabinet;
    default: return CabNotice::kOther;
  }
}

INT_PTR DIAMONDAPI FdiNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info) {
  return CallbackGuard<INT_PTR>(-1, [&]() -> INT_PTR {
    ExtractState& state = *static_cast<ExtractState*>(info->pv);
    const CabNotice notice = NoticeOf(type);
    // A set of cabinets is not read: -1 ends the extraction before the
    // library looks for (or opens) any other cabinet. The first
    // notification names the next cabinet, if any.
    const std::string_view next = notice == CabNotice::kCabinetInfo && info->psz1 ? info->psz1 : "";
    if (!ContinuesAfter(notice, next)) return state.refuse(ERROR_NOT_SUPPORTED);
    switch (notice) {
      case CabNotice::kCopyFile: return OpenOutput(state, *info);
      case CabNotice::kCloseFile: return CloseOutput(state, *info);
      default: return 0;
    }
  });
}

bool IsCabinetFile(HFDI fdi, const std::string& path) {
  INT_PTR file = CabOpen(path.c_str(), _O_BINARY | _O_SEQUENTIAL, 0);
  if (file == -1) return false;
  FDICABINETINFO info{};
  bool cabinet = FDIIsCabinet(fdi, file, &info);
  CabClose(file);
  return cabinet;
}

}  // namespace

bool ExtractCabinet(std::string_view cabinet, std::string_view destination) {
  if (RefusePath(cabinet) || RefuseNul(destination)) return false;
  std::optional<CabinetPath> split = SplitCabinetPath(AnsiLeadBytes(), cabinet);
  if (!split) {
    RecordFailure(ERROR_INVALID_NAME);
    return false;
  }
  std::optional<std::string> folder = ExtractionFolder(AnsiLeadBytes(), destination);
  if (!folder) {
    RecordFailure(ERROR_FILENAME_EXCED_RANGE);  // only an empty folder is refused otherwise, before the call
    return false;
  }

  ERF error{};
  UniqueFdi fdi(FDICreate(CabAlloc, CabFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386, &error));
  if (!fdi) {
    RecordSystemError();
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  if (!IsCabinetFile(fdi.get(), std::string(cabinet))) {
    // A file that opens but is no cabinet leaves no system error behind.
    RecordFailure(LastErrorOr(ERROR_BAD_FORMAT));
    return false;
  }
  const std::string cabinetPath(cabinet);
  ExtractState state{*folder, {FullPath(cabinetPath), IdentifyFile(cabinetPath)}, {}};
  if (!FDICopy(fdi.get(), split->name.data(), split->folder.data(), 0, FdiNotify, nullptr, &state)) {
    if (!state.recorded) RecordSystemError();
    return false;
  }
  return Recorded(FDIDestroy(fdi.release()));
}

}  // namespace larch
