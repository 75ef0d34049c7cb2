// Ending the session and shutting down this or another machine.
#include <windows.h>

#include <string>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/win_handles.h"
#include "system/functions.h"
#include "system/system_rules.h"

namespace larch {
namespace {

// 0 when the version cannot be read: treated as the older family.
uint32_t MajorVersion() {
  OSVERSIONINFOA info{};
  static_assert(sizeof info == 148, "the version record the system expects");
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) ? info.dwMajorVersion : 0;
}

// Enables one privilege in the process token; false when the token cannot
// be opened or the privilege is unknown. Whether the system granted it is
// left to the call that needs it.
bool EnablePrivilege(const char* privilege) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, privilege, &privileges.Privileges[0].Luid)) return false;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return true;
}

constexpr DWORD kDefaultTimeoutSeconds = 30;

}  // namespace

void KVExitWindows(ParamBlock* block) {
  Params p(block);
  const uint32_t major = MajorVersion();
  if (NeedsShutdownPrivilege(major) && !EnablePrivilege("SeShutdownPrivilege")) return ReturnLogical(false);
  ReturnLogical(ExitWindowsEx(ExitWindowsFlags(p.integer(1), major), 0) != FALSE);
}

void KVExitRemoteWindows(ParamBlock* block) {
  Params p(block);
  // A machine name holding a NUL would name another machine, this one when
  // it comes first.
  if (p.has(1) && HoldsNul(p.text(1).view())) return ReturnLogical(false);
  if (!NeedsShutdownPrivilege(MajorVersion())) return ReturnLogical(false);
  // Only the remote privilege is enabled, also for this machine.
  if (!EnablePrivilege("SeRemoteShutdownPrivilege")) return ReturnLogical(false);
  std::string machine = p.text(1).str();
  std::string message = p.textOr(2);
  const DWORD timeout = p.has(3) ? static_cast<DWORD>(p.integer(3)) : kDefaultTimeoutSeconds;
  const BOOL force = p.logicalOr(4, true);
  const BOOL restart = p.logicalOr(5, true);
  ReturnLogical(InitiateSystemShutdownA(machine.empty() ? nullptr : machine.data(),
                                        message.empty() ? nullptr : message.data(), timeout, force, restart) != FALSE);
}

}  // namespace larch
