// INI files through the system's private-profile functions. Empty texts
// are passed on as empty texts, never as absent ones, so nothing is ever
// deleted by these calls.
#include <windows.h>

#include "bridge/host.h"
#include "bridge/params.h"
#include "files/functions.h"
#include "files/system_results.h"

namespace larch {
namespace {

constexpr DWORD kIniValueCapacity = 512;

}  // namespace

void KVWriteIniStr(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam value = p.text(3);
  TextParam file = p.text(4);
  ReturnLogical(Recorded(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str())));
}

void KVGetIniStr(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam fallback = p.text(3);
  TextParam file = p.text(4);
  char buffer[kIniValueCapacity + 1] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, kIniValueCapacity, file.c_str());
  ReturnText(buffer);
}

void KVGetIniInt(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam file = p.text(4);
  UINT value = GetPrivateProfileIntA(section.c_str(), key.c_str(), p.integer(3), file.c_str());
  ReturnInt(static_cast<int32_t>(value));
}

}  // namespace larch
