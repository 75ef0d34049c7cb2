// The FTP functions: configure, check and close the session, and the
// operations, each of which connects on first use.
#include <algorithm>
#include <optional>
#include <string>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "net/ftp_session.h"
#include "net/functions.h"
#include "net/protocol_text.h"

namespace larch {
namespace {

// Binary transfer, and always from the server, never from a cache.
constexpr DWORD kTransferFlags = FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD;

using FtpCall = BOOL (*)(HINTERNET connection, const char* first, const char* second);

static_assert(kErrorInvalidName == ERROR_INVALID_NAME && kErrorNameTooLong == ERROR_FILENAME_EXCED_RANGE);

// Refuses a name before anything is sent, recording why.
bool Refused(const TextParam& name, FtpName kind) {
  const uint32_t code = FtpNameRefusal(name.view(), kind, AnsiLeadBytes());
  if (code != 0) RecordFailure(code);
  // A local name is also counted as the system resolves it.
  return code != 0 || (kind == FtpName::kLocal && RefuseLongPath(name.view()));
}

// An operation on one or two names: false for an empty name (before any
// connection), for a refused name (nothing is sent), or when the
// connection or the call fails; the failures are recorded.
void RunFtpCall(ParamBlock* block, FtpName firstKind, std::optional<FtpName> secondKind, FtpCall call) {
  Params p(block);
  TextParam first = p.text(1);
  std::optional<TextParam> second;
  if (secondKind) second.emplace(p.text(2));
  if (first.empty() || (second && second->empty())) return ReturnLogical(false);
  if (Refused(first, firstKind) || (second && Refused(*second, *secondKind))) return ReturnLogical(false);
  HINTERNET connection = Ftp().connection();
  if (!connection) return ReturnLogical(false);
  // A command the server refused leaves ERROR_INTERNET_EXTENDED_ERROR
  // (its reply is the detail); a call that gives no code still counts.
  ReturnLogical(Recorded(call(connection, first.c_str(), second ? second->c_str() : nullptr)));
}

}  // namespace

void KVSetFtpParas(ParamBlock* block) {
  Params p(block);
  TextParam server = p.text(1);
  TextParam user = p.text(2);
  TextParam password = p.text(3);
  std::optional<int32_t> port;
  if (p.has(4)) port = p.integer(4);
  // An open connection keeps serving until KVCloseConnect.
  ConfigureFtp(server.view(), user.view(), password.view(), port, &Ftp().settings());
}

void KVCheckFtpConnect(ParamBlock*) { ReturnLogical(Ftp().connected()); }

void KVCloseConnect(ParamBlock*) { Ftp().close(); }

void KVFtpCreateDir(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, std::nullopt,
             [](HINTERNET c, const char* dir, const char*) { return FtpCreateDirectoryA(c, dir); });
}

void KVFtpRemoveDir(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, std::nullopt,
             [](HINTERNET c, const char* dir, const char*) { return FtpRemoveDirectoryA(c, dir); });
}

void KVFtpDeleteFile(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, std::nullopt,
             [](HINTERNET c, const char* file, const char*) { return FtpDeleteFileA(c, file); });
}

void KVFtpRenameFile(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, FtpName::kRemote,
             [](HINTERNET c, const char* from, const char* to) { return FtpRenameFileA(c, from, to); });
}

void KVFtpGetFile(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, FtpName::kLocal, [](HINTERNET c, const char* remote, const char* local) {
    return FtpGetFileA(c, remote, local, FALSE, FILE_ATTRIBUTE_NORMAL, kTransferFlags, 0);
  });
}

void KVFtpPutFile(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, FtpName::kLocal, [](HINTERNET c, const char* remote, const char* local) {
    return FtpPutFileA(c, local, remote, kTransferFlags, 0);
  });
}

void KVFtpSetCurDir(ParamBlock* block) {
  RunFtpCall(block, FtpName::kRemote, std::nullopt,
             [](HINTERNET c, const char* dir, const char*) { return FtpSetCurrentDirectoryA(c, dir); });
}

void KVFtpGetCurDir(ParamBlock*) {
  HINTERNET connection = Ftp().connection();
  if (!connection) return ReturnText("");
  // Asked for in UTF-16 and converted here: the ANSI call of some
  // implementations converts into a buffer sized by the character count,
  // which cuts off the end of a name in double-byte characters.
  wchar_t wide[1024] = {};
  DWORD length = sizeof wide / sizeof wide[0];
  if (!Recorded(FtpGetCurrentDirectoryW(connection, wide, &length))) return ReturnText("");
  wide[sizeof wide / sizeof wide[0] - 1] = L'\0';
  const int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) {
    RecordSystemError();
    return ReturnText("");
  }
  std::string dir(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, &dir[0], needed, nullptr, nullptr);
  // At most 260 bytes, cut at a whole character (the text ends at its NUL).
  const size_t kept = std::min<size_t>(dir.size(), kReturnedPathCapacity);
  ReturnText(CurrentFolderText(std::string_view(dir.data(), kept), AnsiLeadBytes()));
}

}  // namespace larch
