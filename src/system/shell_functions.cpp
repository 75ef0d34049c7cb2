// The shell: opening documents, writing shortcut files, new UUIDs.
#include <windows.h>
#include <objbase.h>
#include <rpc.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/win_handles.h"
#include "system/functions.h"
#include "system/long_inputs.h"
#include "system/system_rules.h"
#include "system/window_handle.h"

namespace larch {

void APIShellExecute(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return;
  const std::string file = p.text(1).str();
  HWND owner = p.has(2) ? WindowOf(p.integer(2)) : nullptr;
  // The shell takes an empty verb as its default action, like no verb.
  const OptionalText verb = p.optionalText(3);
  const OptionalText parameters = p.optionalText(4);
  const OptionalText folder = p.optionalText(5);
  // Holding a NUL, or too long for the shell: nothing is started, the
  // refusal is recorded.
  if (RefuseNul(file) || RefuseNul(verb.text) || RefuseNul(parameters.text) || RefuseNul(folder.text) ||
      RefuseLonger(file, ShellTargetLimit(AnsiLeadBytes(), file)) || RefuseLonger(verb.text, kVerbLimit) ||
      RefuseLonger(parameters.text, kCommandLineLimit) || RefuseLonger(folder.text, kMaxPathLength)) {
    return;
  }
  // The shell's answer is not passed on: the function sends no result.
  ShellExecuteA(owner, verb.get(), file.c_str(), parameters.get(), folder.get(), p.integerOr(6, SW_SHOWNORMAL));
}

void KVCreateShortcut(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnLogical(false);
  const std::string target = p.text(1).str();
  const std::string linkFile = p.text(2).str();
  const OptionalText folder = p.optionalText(3);
  if (RefusePath(target) || RefusePath(linkFile) || RefusePath(folder.text)) return ReturnLogical(false);
  // A description past what a shortcut shows is cut at a character
  // boundary rather than saved with a count that no longer fits.
  OptionalText description = p.optionalText(5);
  description.text.resize(CharBoundaryAtOrBefore(AnsiLeadBytes(), description.text, kShortcutDescriptionLimit));
  // The shortcut's file name goes to the shell in UTF-16, in a path-sized
  // buffer, which a name within the path limit always fits.
  wchar_t wideName[kReturnedPathCapacity] = {};
  if (MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wideName, static_cast<int>(kReturnedPathCapacity)) == 0) {
    return ReturnLogical(false);
  }
  // COM stays initialised for the host's thread: other calls may need it.
  CoInitialize(nullptr);
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid()))) {
    return ReturnLogical(false);
  }
  link->SetPath(target.c_str());
  if (folder.given) link->SetWorkingDirectory(folder.get());
  link->SetShowCmd(ShortcutShowCommand(p.integerOr(4, SW_SHOWNORMAL)));
  if (description.given) link->SetDescription(description.get());
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid()))) return ReturnLogical(false);
  // Whether the file could be written is not part of the answer.
  file->Save(wideName, TRUE);
  ReturnLogical(true);
}

void KVGetGUID(ParamBlock*) {
  UUID uuid{};
  UuidCreate(&uuid);
  UniqueRpcString text;
  if (UuidToStringA(&uuid, text.put()) != RPC_S_OK || !text) RaiseMemoryError();
  ReturnText(reinterpret_cast<const char*>(text.get()));
}

}  // namespace larch
