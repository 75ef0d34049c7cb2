// Get32Md5 and Get32Md5FileChecksum.
#include "bridge/host.h"
#include "bridge/params.h"
#include "crypto/functions.h"
#include "crypto/md5.h"

namespace larch {

void Get32Md5(ParamBlock* block) {
  Params p(block);
  TextParam value = p.text(1);
  char digest[kDigestTextSize];
  Md5HexOfBytes(digest, value.data(), value.size());
  ReturnText(digest);
}

void Get32Md5FileChecksum(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam path = p.text(1);
  // A name too long for the system names no file that could be opened.
  if (UnusablePath(path.view())) return ReturnText("");
  char digest[kDigestTextSize] = {};
  Md5HexOfFile(digest, path.c_str());
  ReturnText(digest);
}

}  // namespace larch
