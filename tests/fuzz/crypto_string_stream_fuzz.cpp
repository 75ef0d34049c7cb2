// The string-source loader: any bytes as a stream, and any bytes as the
// deciphered payload of a valid stream. Entries never outnumber non-blank
// lines and every entry lies inside the loaded text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "crypto/string_source.h"

namespace {

const char kDigest[] = "0cc175b9c0f1b6a831c399e269772661";

void CheckTable(const std::string& payload) {
  larch::StringSrcTable table;
  larch::StringSourceShape shape = table.load(payload);
  if (table.count() > shape.lines || table.count() > shape.strings) std::abort();
  for (uint32_t n = 1; n <= table.count(); ++n) {
    const char* entry = table.entry(n);
    if (!entry || std::strlen(entry) > payload.size()) std::abort();
  }
  if (table.entry(0) || table.entry(table.count() + 1)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (auto payload = larch::OpenStringStream(bytes, kDigest)) CheckTable(*payload);
  if (bytes.empty()) return 0;
  auto opened = larch::OpenStringStream(larch::MakeStringStream(bytes, kDigest), kDigest);
  if (!opened || *opened != bytes) std::abort();
  CheckTable(bytes);
  return 0;
}
