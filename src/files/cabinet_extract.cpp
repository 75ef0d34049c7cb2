#include "files/cabinet_extract.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <optional>
#include <string>

#include "bridge/win_handles.h"
#include "files/cabinet_io.h"
#include "files/cabinet_paths.h"

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
  UniqueHandle file(ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) return;
  FILETIME local, utc;
  if (DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file.get(), &utc, nullptr, &utc);
  }
}

// pv of every notification is the destination folder, closing backslash
// included. A stored name that would leave that folder (rooted, with a
// drive or a ".." part) fails the extraction.
INT_PTR DIAMONDAPI FdiNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION info) {
  return CallbackGuard<INT_PTR>(-1, [&]() -> INT_PTR {
    const std::string& folder = *static_cast<const std::string*>(info->pv);
    switch (type) {
      case fdintCOPY_FILE:
        if (!IsContainedName(info->psz1)) return -1;
        return CabOpen((folder + info->psz1).c_str(),
                       _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_SEQUENTIAL, 0x180);
      case fdintCLOSE_FILE_INFO: {
        std::string path = folder + info->psz1;
        CabClose(info->hf);
        RestoreTimes(path, info->date, info->time);
        SetFileAttributesA(path.c_str(), info->attribs & kCabAttributeMask);
        return TRUE;
      }
      default:
        return 0;
    }
  });
}

struct FdiDestroyFn {
  void operator()(HFDI fdi) const { FDIDestroy(fdi); }
};
using UniqueFdi = UniqueAny<HFDI, FdiDestroyFn>;

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
  std::optional<CabinetPath> split = SplitCabinetPath(cabinet);
  std::optional<std::string> folder = ExtractionFolder(destination);
  if (!split || !folder) return false;

  ERF error{};
  UniqueFdi fdi(FDICreate(CabAlloc, CabFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386, &error));
  if (!fdi || !IsCabinetFile(fdi.get(), std::string(cabinet))) return false;
  if (!FDICopy(fdi.get(), split->name.data(), split->folder.data(), 0, FdiNotify, nullptr, &*folder)) return false;
  return FDIDestroy(fdi.release());
}

}  // namespace larch
