#include "archive/cabinet_compress.h"

#include <windows.h>
#include <fci.h>
#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "archive/cabinet_io.h"
#include "archive/cabinet_paths.h"
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"

namespace larch {
namespace {

constexpr ULONG kMaxCabinetSize = 1000000000;
constexpr ULONG kFolderThreshold = 900000;
constexpr USHORT kSetId = 12345;

// FCI reports errors into the record for as long as the context lives, so
// the record lives beside it.
// The context also tells the open-info call-back whether the file being
// added is stored under a UTF-8 name.
struct FciContext {
  ERF error{};
  HFCI fci = nullptr;
  bool utf8Name = false;
  // Why the file being added could not be opened (0: it could).
  DWORD openFailure = 0;
};

// Contexts this library created and has not destroyed. A handle from the
// host is used only when it is found here, so a stale or made-up handle
// gives a failure result instead of a wild pointer.
std::map<uint32_t, std::unique_ptr<FciContext>>& Contexts() {
  static std::map<uint32_t, std::unique_ptr<FciContext>> contexts;
  return contexts;
}

FciContext* FindContext(uint32_t handle) {
  auto found = Contexts().find(handle);
  return found == Contexts().end() ? nullptr : found->second.get();
}

void DestroyContext(uint32_t handle) {
  auto found = Contexts().find(handle);
  if (found == Contexts().end()) return;
  FCIDestroy(found->second->fci);
  Contexts().erase(found);
}

// ---- call-backs ------------------------------------------------------------

// The cabinet library sets the thread's error from the code a failed open
// reports, so the open reports the system's own cause, never an unset value.
INT_PTR DIAMONDAPI FciOpen(char* path, int flags, int mode, int* err, void*) {
  return CallbackGuard<INT_PTR>(-1, [&]() -> INT_PTR {
    INT_PTR file = CabOpen(path, flags, mode);
    if (file == -1 && err) *err = static_cast<int>(LastErrorOr(ERROR_OPEN_FAILED));
    return file;
  });
}
UINT DIAMONDAPI FciRead(INT_PTR file, void* buffer, UINT size, int*, void*) {
  return CallbackGuard<UINT>(static_cast<UINT>(-1), [&] { return CabRead(file, buffer, size); });
}
UINT DIAMONDAPI FciWrite(INT_PTR file, void* buffer, UINT size, int*, void*) {
  return CallbackGuard<UINT>(static_cast<UINT>(-1), [&] { return CabWrite(file, buffer, size); });
}
int DIAMONDAPI FciClose(INT_PTR file, int*, void*) {
  return CallbackGuard(-1, [&] { return CabClose(file); });
}
LONG DIAMONDAPI FciSeek(INT_PTR file, LONG distance, int origin, int*, void*) {
  return CallbackGuard<LONG>(-1, [&] { return CabSeek(file, distance, origin); });
}
int DIAMONDAPI FciDelete(char* path, int*, void*) {
  return CallbackGuard(-1, [&] { return std::remove(path); });
}

// The runtime picks the folder (TMP, else the current folder).
BOOL DIAMONDAPI FciTempFile(char* name, int size, void*) {
  return CallbackGuard<BOOL>(FALSE, [&]() -> BOOL {
    char* temp = _tempnam("", "xx");
    if (!temp) return FALSE;
    size_t length = std::strlen(temp);
    bool fits = size > 0 && length + 1 <= static_cast<size_t>(size);
    if (fits) std::memcpy(name, temp, length + 1);
    std::free(temp);
    return fits;
  });
}

int DIAMONDAPI FciFilePlaced(PCCAB, char*, LONG, BOOL, void*) { return 0; }
LONG DIAMONDAPI FciStatus(UINT, ULONG, ULONG, void*) { return 0; }
BOOL DIAMONDAPI FciNextCabinet(PCCAB, ULONG, void*) { return TRUE; }

// FCI asks for the file to add: its time and attributes as stored in the
// cabinet, and a descriptor to read it from.
// The cause of a failure is kept in the context and handed to FCI, which
// would otherwise report whatever its error argument held.
INT_PTR DIAMONDAPI FciOpenInfo(char* path, USHORT* date, USHORT* time, USHORT* attributes, int* err, void* pv) {
  FciContext& context = *static_cast<FciContext*>(pv);
  auto failed = [&]() -> INT_PTR {
    context.openFailure = LastErrorOr(ERROR_GEN_FAILURE);
    *err = static_cast<int>(context.openFailure);
    return -1;
  };
  return CallbackGuard<INT_PTR>(-1, [&]() -> INT_PTR {
    UniqueFileHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return failed();
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) return failed();
    FILETIME local;
    FileTimeToLocalFileTime(&info.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, date, time);
    DWORD found = GetFileAttributesA(path);
    *attributes = found == INVALID_FILE_ATTRIBUTES ? 0 : static_cast<USHORT>(found & kCabAttributeMask);
    // A name that is not plain ASCII is stored as UTF-8 and marked so,
    // so that every reader sees the same characters.
    if (context.utf8Name) *attributes |= _A_NAME_IS_UTF;
    file.reset();
    INT_PTR descriptor = CabOpen(path, _O_RDONLY | _O_BINARY, 0);
    return descriptor == -1 ? failed() : descriptor;
  });
}

}  // namespace

uint32_t CreateCabinet(std::string_view path) {
  if (RefusePath(path)) return 0;
  std::optional<CabinetPath> split = SplitCabinetPath(AnsiLeadBytes(), path);
  if (!split) {
    // Within 259 characters only a folder or name part beyond 255 or a
    // path naming a folder is refused.
    bool partTooLong = path.size() - NameStart(AnsiLeadBytes(), path) >= kCabNameField ||
                       NameStart(AnsiLeadBytes(), path) >= kCabNameField;
    RecordFailure(partTooLong ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
    return 0;
  }
  CCAB cab{};
  cab.cb = kMaxCabinetSize;
  cab.cbFolderThresh = kFolderThreshold;
  cab.iCab = 1;
  cab.iDisk = 0;
  cab.fFailOnIncompressible = 0;
  cab.setID = kSetId;
  std::memcpy(cab.szCab, split->name.c_str(), split->name.size() + 1);
  std::memcpy(cab.szCabPath, split->folder.c_str(), split->folder.size() + 1);

  auto context = std::make_unique<FciContext>();
  context->fci = FCICreate(&context->error, FciFilePlaced, CabAlloc, CabFree, FciOpen, FciRead, FciWrite, FciClose,
                           FciSeek, FciDelete, FciTempFile, &cab, context.get());
  if (!context->fci) {
    RecordSystemError();
    return 0;
  }
  uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(context->fci));
  Contexts()[handle] = std::move(context);
  return handle;
}

bool AddFileToCabinet(uint32_t handle, std::string_view file) {
  FciContext* context = FindContext(handle);
  if (!context) {
    RecordFailure(ERROR_INVALID_HANDLE);
    return false;
  }
  // After one failed add the context stays failed, so it goes at once.
  auto fail = [&](uint32_t code) {
    RecordFailure(code);
    DestroyContext(handle);
    return false;
  };
  if (HoldsNul(file)) return fail(ERROR_INVALID_NAME);
  if (RefuseLongPath(file)) return fail(ERROR_FILENAME_EXCED_RANGE);
  std::optional<std::string> name = StoredFileName(AnsiLeadBytes(), file);
  if (!name) return fail(ERROR_INVALID_NAME);
  // A name beyond ASCII is stored as UTF-8 and marked so, the form other
  // cabinet tools read; the folders of the path are never stored.
  context->utf8Name = !IsAsciiName(*name);
  if (context->utf8Name) {
    name = AnsiToUtf8(*name);
    if (!name || name->size() >= kCabNameField) return fail(ERROR_INVALID_NAME);
  }
  std::string source(file);
  context->openFailure = 0;
  SetLastError(ERROR_SUCCESS);
  if (!FCIAddFile(context->fci, source.data(), name->data(), FALSE, FciNextCabinet, FciStatus, FciOpenInfo,
                  tcompTYPE_MSZIP)) {
    return fail(context->openFailure ? context->openFailure : GetLastError());
  }
  return true;
}

bool FlushCabinet(uint32_t handle) {
  FciContext* context = FindContext(handle);
  if (!context) {
    RecordFailure(ERROR_INVALID_HANDLE);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  bool written = Recorded(FCIFlushCabinet(context->fci, FALSE, FciNextCabinet, FciStatus));
  bool destroyed = FCIDestroy(context->fci);
  Contexts().erase(handle);
  if (written && !destroyed) RecordSystemError();
  return written && destroyed;
}

bool CompressFile(std::string_view file, std::string_view cabinet) {
  uint32_t handle = CreateCabinet(cabinet);
  return handle && AddFileToCabinet(handle, file) && FlushCabinet(handle);
}

}  // namespace larch
