// HTTP download into a local file, and the machine's connection state.
#include <cstdint>
#include <optional>
#include <string>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "net/functions.h"
#include "net/net_handles.h"
#include "net/protocol_text.h"

namespace larch {
namespace {

constexpr char kAcceptHeader[] = "Accept: */*\r\n\r\n";

// The length the server announced for the body, when it did.
std::optional<uint64_t> AnnouncedLength(HINTERNET url) {
  DWORD length = 0;
  DWORD size = sizeof length;
  if (!HttpQueryInfoA(url, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
    return std::nullopt;
  }
  return length;
}

// Reads the body of an opened URL into the file; false when a read or a
// write fails (what was written so far stays in the file). A connection
// that closes early reads like the end of the body, so a body shorter than
// its announced length counts as a failed read.
bool CopyBody(HINTERNET url, FILE* file) {
  std::optional<uint64_t> announced = AnnouncedLength(url);
  uint64_t total = 0;
  char buffer[1024];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(url, buffer, sizeof buffer, &read)) return false;
    if (read == 0) return !announced || total >= *announced;
    if (std::fwrite(buffer, 1, read, file) != read) return false;
    total += read;
  }
}

// The parts of an http or https URL a request is made of.
struct HttpTarget {
  std::string host, user, password, object;
  INTERNET_PORT port = 0;
  bool secure = false;
};

// Splits an http or https URL; nullopt for any other URL.
std::optional<HttpTarget> HttpTargetOf(const char* url) {
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  // Null pointers with non-zero lengths: the parts are pointed at in place.
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = 1;
  parts.dwPasswordLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlA(url, 0, 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
  auto part = [](const char* text, DWORD length) { return text ? std::string(text, length) : std::string(); };
  HttpTarget target;
  target.host = part(parts.lpszHostName, parts.dwHostNameLength);
  target.user = part(parts.lpszUserName, parts.dwUserNameLength);
  target.password = part(parts.lpszPassword, parts.dwPasswordLength);
  target.object = part(parts.lpszUrlPath, parts.dwUrlPathLength) + part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (target.object.empty()) target.object = "/";
  target.port = parts.nPort;
  target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  if (target.host.empty()) return std::nullopt;
  return target;
}

// The request for an http or https URL, sent. The time-outs go on the
// connection before the request is opened from it: a request takes over
// its connection's time-outs when it is opened, and some implementations
// neither hand the session's down to an opened URL nor apply ones set on a
// request that has already been sent.
struct SentRequest {
  UniqueInternet connection, request;
};

bool SendHttpRequest(HINTERNET internet, const HttpTarget& target, SentRequest* sent) {
  sent->connection.reset(InternetConnectA(internet, target.host.c_str(), target.port,
                                          target.user.empty() ? nullptr : target.user.c_str(),
                                          target.password.empty() ? nullptr : target.password.c_str(),
                                          INTERNET_SERVICE_HTTP, /*dwFlags=*/0, /*dwContext=*/0));
  if (!sent->connection) return false;
  SetInternetTimeouts(sent->connection.get());
  const DWORD flags = INTERNET_FLAG_RELOAD | (target.secure ? INTERNET_FLAG_SECURE : 0);
  sent->request.reset(
      HttpOpenRequestA(sent->connection.get(), "GET", target.object.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!sent->request) return false;
  return HttpSendRequestA(sent->request.get(), kAcceptHeader, sizeof kAcceptHeader - 1, nullptr, 0) != FALSE;
}

}  // namespace

void KVHttpDownLoad(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnLogical(false);
  TextParam url = p.text(1);
  TextParam localFile = p.text(2);
  // Refused before anything is opened: a URL that would break the request
  // line, a file name cut by a NUL, a path the file calls cannot take.
  if (!UrlIsRequestable(url.view()) || BreaksProtocolLine(localFile.view()) || ResolvedPathTooLong(localFile.view())) {
    return ReturnLogical(false);
  }
  UniqueInternet internet(InternetOpenA("http down", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!internet) return ReturnLogical(false);
  SetInternetTimeouts(internet.get());
  SentRequest sent;
  if (std::optional<HttpTarget> target = HttpTargetOf(url.c_str())) {
    if (!SendHttpRequest(internet.get(), *target, &sent)) return ReturnLogical(false);
  } else {
    // Other schemes the internet services know (ftp, file) are opened as
    // before; only the session's time-outs apply to them.
    sent.request.reset(InternetOpenUrlA(internet.get(), url.c_str(), kAcceptHeader, sizeof kAcceptHeader - 1,
                                        INTERNET_FLAG_RELOAD, 0));
    if (!sent.request) return ReturnLogical(false);
  }
  UniqueCFile file(std::fopen(localFile.c_str(), "wb"));
  if (!file) return ReturnLogical(false);
  bool complete = CopyBody(sent.request.get(), file.get());
  sent.request.reset();
  sent.connection.reset();
  internet.reset();
  bool written = std::fflush(file.get()) == 0;
  ReturnLogical(complete && written);
}

void KVTestInetConn(ParamBlock*) {
  DWORD flags = 0;
  ReturnInt(InternetGetConnectedState(&flags, 0) ? static_cast<int32_t>(flags) : 0);
}

}  // namespace larch
