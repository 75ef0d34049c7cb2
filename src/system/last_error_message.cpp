// KVGetLastErrorMsg: the system's text for an error code, by default for
// the most recent recorded failure. Reading it does not reset it.
#include <windows.h>

#include <string_view>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"
#include "system/functions.h"

namespace larch {
namespace {

constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;

}  // namespace

void KVGetLastErrorMsg(ParamBlock* block) {
  Params p(block);
  DWORD code = p.has(1) ? static_cast<DWORD>(p.integer(1)) : LastSystemError();
  char* text = nullptr;
  DWORD length =
      FormatMessageA(kMessageFlags, nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<char*>(&text), 0, nullptr);
  UniqueLocal owner(text);
  if (length == 0 || !text) return ReturnText("");
  ReturnText(std::string_view(text, length));
}

}  // namespace larch
