// LoadStringSrcStream and GetStringSrcById: the application's strings from
// a stream that opens only in the process of its own executable.
#include "bridge/host.h"
#include "bridge/params.h"
#include "crypto/functions.h"
#include "crypto/host_exe_digest.h"
#include "crypto/md5.h"
#include "crypto/string_source.h"

namespace larch {
namespace {

// Lives from load to unload; replaced by every successful load.
StringSrcTable& LoadedStrings() {
  static StringSrcTable table;
  return table;
}

constexpr char kNoSuchString[] = "!!!xxxxx";

}  // namespace

void LoadStringSrcStream(ParamBlock* block) {
  Params p(block);
  if (p.length(1) <= kTrailerSize) return ReturnInt(0);
  char digest[kDigestTextSize] = {};
  HostExeDigest(digest);
  std::optional<std::string> payload;
  {
    TextParam stream = p.text(1);
    payload = OpenStringStream(stream.view(), digest);
  }
  if (!payload) return ReturnInt(0);
  LoadedStrings().load(*payload);
  ReturnInt(static_cast<int32_t>(LoadedStrings().count()));
}

void GetStringSrcById(ParamBlock* block) {
  Params p(block);
  const char* entry = LoadedStrings().entry(static_cast<uint32_t>(p.integer(1)));
  ReturnText(entry ? entry : kNoSuchString);
}

}  // namespace larch
