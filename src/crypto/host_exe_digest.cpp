#include "crypto/host_exe_digest.h"

#include <windows.h>

#include "bridge/path_length.h"
#include "crypto/md5.h"

namespace larch {

void HostExeDigest(char* out) {
  char path[kPathCapacity] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) {
    out[0] = '\0';
    return;
  }
  Md5HexOfFile(out, path);
}

}  // namespace larch
