#include "archive/cabinet_extract.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <optional>
#include <string>

#include "archive/cabinet_io.h"
#include "archive/cabinet_paths.h"
#include "bridge/dbcs.h"
#include "bridge/host.h"
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

// What the notifications share: the destination folder (closing backslash
// included), the path of the file being written, and whether a refusal has
// already been recorded.
struct ExtractState {
  std::string folder;
  std::string path;
  bool recorded = false;

  INT_PTR refuse(uint32_t code) {
    RecordFailure(code);
    recorded = true;
    return -1;
  }
};

// The output path of a stored file. A name marked as UTF-8 is converted to
// the ANSI code page; one that does not convert exactly, or that would
// leave the destination folder (rooted, with a drive or a ".." part),
// fails the extraction, as does a path too long for the system.
INT_PTR OpenOutput(ExtractState& state, const FDINOTIFICATION& info) {
  std::optional<std::string> name(info.psz1);
  if (info.attribs & _A_NAME_IS_UTF) name = Utf8ToAnsi(*name);
  if (!name || !IsContainedName(AnsiLeadBytes(), *name)) return state.refuse(ERROR_INVALID_NAME);
  state.path = state.folder + *name;
  if (PathTooLong(state.path)) return state.refuse(ERROR_FILENAME_EXCED_RANGE);
  INT_PTR file = CabOpen(state.path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_SEQUENTIAL, 0x180);
  if (file == -1) {
    RecordSystemError();
    state.recorded = true;
  }
  return file;
}

INT_PTR DIAMONDAPI FdiNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info) {
  return CallbackGuard<INT_PTR>(-1, [&]() -> INT_PTR {
    ExtractState& state = *static_cast<ExtractState*>(info->pv);
    switch (type) {
      case fdintCOPY_FILE: return OpenOutput(state, *info);
      case fdintCLOSE_FILE_INFO:
        CabClose(info->hf);
        RestoreTimes(state.path, info->date, info->time);
        SetFileAttributesA(state.path.c_str(), info->attribs & kCabAttributeMask);
        return TRUE;
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
  if (RefuseLongPath(cabinet)) return false;
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
    DWORD code = GetLastError();
    RecordFailure(code != ERROR_SUCCESS ? code : ERROR_BAD_FORMAT);
    return false;
  }
  ExtractState state{*folder, {}};
  if (!FDICopy(fdi.get(), split->name.data(), split->folder.data(), 0, FdiNotify, nullptr, &state)) {
    if (!state.recorded) RecordSystemError();
    return false;
  }
  if (!FDIDestroy(fdi.release())) {
    RecordSystemError();
    return false;
  }
  return true;
}

}  // namespace larch
