// The module handles, the load and release hooks, and the information
// functions.
#include "bridge/lifecycle.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/cpu_id.h"
#include "bridge/dbcs.h"
#include "bridge/functions.h"
#include "bridge/host.h"
#include "bridge/host_command.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "bridge/version.h"

namespace larch {
namespace {

HMODULE g_module = nullptr;
HMODULE g_dialogInstance = nullptr;

std::vector<QuitAction>& QuitActions() {
  static std::vector<QuitAction> actions;
  return actions;
}

constexpr LANGID kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
static_assert(kChinesePrc == 0x0804, "Chinese as written in the PRC");

std::string ModulePath(HMODULE module) {
  char buffer[kPathCapacity] = {};
  GetModuleFileNameA(module, buffer, sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

}  // namespace

void GetExeInfo(ParamBlock* block) {
  Params p(block);
  switch (p.integer(1)) {
    case 1: ReturnText(ModulePath(nullptr)); break;
    case 2: ReturnInt(static_cast<int32_t>(GetCurrentProcessId())); break;
    default: break;  // no result: the host applies its own default
  }
}

void GetFllInfo(ParamBlock* block) {
  Params p(block);
  ReturnText(p.integer(1) == 1 ? ModulePath(g_module) : LARCH_VERSION_TEXT);
}

void GetDefaultFontName(ParamBlock*) {
  // "宋体" in GBK
  ReturnText(GetUserDefaultLangID() == kChinesePrc ? "\xCB\xCE\xCC\xE5" : "Courier New");
}

void GetDefaultFontSize(ParamBlock*) { ReturnInt(9, 2); }

void GetMyBackColor(ParamBlock* block) {
  Params p(block);
  switch (p.integer(1)) {
    case 0:
      ReturnInt(0xEFE8E4);  // 228, 232, 239
      break;
    case 1:
      ReturnInt(0xFFBFBF);  // 191, 191, 255
      break;
    default: ReturnInt(0); break;
  }
}

void GetCpuID(ParamBlock*) { ReturnText(FormatCpuId(ReadCpuId())); }

void LangIsChinese(ParamBlock*) { ReturnLogical(GetUserDefaultLangID() == kChinesePrc); }

void RecordLibraryModule(HMODULE module) { g_module = module; }
HMODULE LibraryModule() { return g_module; }
HMODULE DialogInstance() { return g_dialogInstance; }

void AtQuit(QuitAction action) { QuitActions().push_back(action); }

void OnLoadHook() {
  g_dialogInstance = g_module;
  Evaluated identity = ReadAppIdentity();
  if (identity.type == kTypeChar && !identity.text.empty()) return;
  // The executable's name is data: it goes in as one text literal, spliced
  // where a character would end it, and a name that cannot be put in
  // safely leaves the identity unset.
  std::string path = ModulePath(nullptr);
  std::string_view name = NameAfterLastSeparator(AnsiLeadBytes(), path);
  std::optional<std::string> text = HostTextExpression(AnsiLeadBytes(), name);
  if (!text) {
    RecordFailure(ERROR_INVALID_NAME);
    return;
  }
  std::string command = "_screen.tag = " + *text;
  ExecuteCommand(command.c_str());
}

void OnQuitHook() {
  for (QuitAction action : QuitActions()) action();
}

}  // namespace larch
