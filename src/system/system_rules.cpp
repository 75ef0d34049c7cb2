#include "system/system_rules.h"

namespace larch {
namespace {

constexpr uint32_t kLogOff = 0;
constexpr uint32_t kShutdown = 1;
constexpr uint32_t kReboot = 2;
constexpr uint32_t kForce = 4;
constexpr uint32_t kPowerOff = 8;

constexpr int32_t kShowNormal = 1;
constexpr int32_t kShowMaximized = 3;
constexpr int32_t kShowMinNoActive = 7;

constexpr int32_t kTwipsPerInch = 1440;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSchemeChar(char c) { return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

// The shell's failure values (SE_ERR_*) that differ from the system error
// with the same meaning.
constexpr uint32_t kShellShare = 26;
constexpr uint32_t kShellAssocIncomplete = 27;
constexpr uint32_t kShellDdeTimeout = 28;
constexpr uint32_t kShellDdeFail = 29;
constexpr uint32_t kShellDdeBusy = 30;
constexpr uint32_t kShellNoAssoc = 31;
constexpr uint32_t kShellDllNotFound = 32;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kNoAssociation = 1155;
constexpr uint32_t kDdeFail = 1156;
constexpr uint32_t kDllNotFound = 1157;

}  // namespace

uint32_t ExitWindowsFlags(int32_t action, uint32_t majorVersion) {
  uint32_t flags = action == 0 ? kLogOff : action == 1 ? kReboot : kPowerOff;
  if (NeedsShutdownPrivilege(majorVersion)) return flags | kForce;
  return flags == kPowerOff ? kShutdown : flags;
}

int32_t ShortcutShowCommand(int32_t kind) {
  switch (kind) {
    case 2: return kShowMinNoActive;
    case 3: return kShowMaximized;
    default: return kShowNormal;
  }
}

int32_t TwipsPerPixel(int32_t pixelsPerInch) { return pixelsPerInch > 0 ? kTwipsPerInch / pixelsPerInch : 0; }

bool LooksLikeUrl(const LeadBytes& leads, std::string_view text) {
  const size_t colon = FindChar(leads, text, ':');
  if (colon == std::string_view::npos || colon < 2 || !IsAsciiLetter(text[0])) return false;
  for (size_t i = 1; i < colon; ++i) {
    if (!IsSchemeChar(text[i])) return false;
  }
  return true;
}

size_t ShellTargetLimit(const LeadBytes& leads, std::string_view target) {
  return LooksLikeUrl(leads, target) ? kUrlLimit : kMaxPathLength;
}

std::string_view ProgramName(const LeadBytes& leads, std::string_view commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = FindChar(leads, commandLine, '"', 1);
    return commandLine.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  }
  return commandLine.substr(0, FindFirstCharOf(leads, commandLine, " \t"));
}

uint32_t ShellStartFailureCode(uint32_t lastError, uintptr_t instApp) {
  if (lastError != 0) return lastError;
  // 0 in hInstApp is also what a shell that set nothing leaves: no code.
  if (instApp == 0 || instApp > kShellDllNotFound) return 0;
  const auto value = static_cast<uint32_t>(instApp);
  switch (value) {
    case kShellShare: return kSharingViolation;
    case kShellAssocIncomplete:
    case kShellNoAssoc: return kNoAssociation;
    case kShellDdeTimeout:
    case kShellDdeFail:
    case kShellDdeBusy: return kDdeFail;
    case kShellDllNotFound: return kDllNotFound;
    default:
      // File or path not found, access denied, out of memory, bad format:
      // the shell uses the system's own numbers.
      return value;
  }
}

std::string NotepadCommandLine(const LeadBytes& leads, std::string_view systemFolder) {
  std::string command = "\"";
  command.append(systemFolder);
  // A folder name may end in a character whose second byte is '\': only a
  // real separator at the end saves adding one.
  if (!EndsWithSeparator(leads, systemFolder)) command += '\\';
  command += "notepad.exe\"";
  return command;
}

}  // namespace larch
