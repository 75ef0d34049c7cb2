#include "files/cabinet_io.h"

#include <fcntl.h>
#include <io.h>

#include <cstdlib>

namespace larch {

void* __cdecl CabAlloc(ULONG size) { return std::malloc(size); }

void __cdecl CabFree(void* memory) { std::free(memory); }

INT_PTR CabOpen(const char* path, int flags, int mode) { return _open(path, flags, mode); }

UINT CabRead(INT_PTR file, void* buffer, UINT size) {
  return static_cast<UINT>(_read(static_cast<int>(file), buffer, size));
}

UINT CabWrite(INT_PTR file, const void* buffer, UINT size) {
  return static_cast<UINT>(_write(static_cast<int>(file), buffer, size));
}

int CabClose(INT_PTR file) { return _close(static_cast<int>(file)); }

LONG CabSeek(INT_PTR file, LONG distance, int origin) {
  return _lseek(static_cast<int>(file), distance, origin);
}

}  // namespace larch
