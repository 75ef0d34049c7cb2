// KVEncryptByteBlock2 and KVRunFoxBatch2: command batches enciphered with
// the block key, optionally bound to a file's digest.
#include <optional>
#include <string>

#include "bridge/host.h"
#include "bridge/params.h"
#include "crypto/block_key.h"
#include "crypto/command_lines.h"
#include "crypto/functions.h"
#include "crypto/host_exe_digest.h"
#include "crypto/md5.h"

namespace larch {

void KVEncryptByteBlock2(ParamBlock* block) {
  Params p(block);
  TextVariable variable = p.textVariable(1);
  std::string& value = variable.bytes();
  if (value.empty()) return;
  // An unreadable key file leaves the zeroed buffer empty: still one key.
  char digest[kDigestTextSize] = {};
  bool keyFile = p.has(2) && p.length(2) != 0;
  if (keyFile) {
    TextParam path = p.text(2);
    // A name too long for the system is a file that cannot be read.
    if (!UnusablePath(path.view())) Md5HexOfFile(digest, path.c_str());
  }
  value = EncipherBatch(value, keyFile ? std::optional<std::string_view>(digest) : std::nullopt);
  variable.storeUnchecked();
}

void KVRunFoxBatch2(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return;
  std::string plain;
  {
    TextParam cipher = p.text(1);
    char digest[kDigestTextSize] = {};
    bool bound = p.has(2) && p.integer(2) == 1;
    if (bound) HostExeDigest(digest);
    plain = DecipherBatch(cipher.view(), bound ? std::optional<std::string_view>(digest) : std::nullopt);
  }
  // The parameter is released first: a command may call the library again.
  for (const std::string& line : SplitCommandLines(plain)) ExecuteCommand(line.c_str());
}

}  // namespace larch
