// HTTP download into a local file, and the machine's connection state.
#include <cstdint>
#include <optional>

#include "bridge/host.h"
#include "bridge/params.h"
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

}  // namespace

void KVHttpDownLoad(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnLogical(false);
  TextParam url = p.text(1);
  TextParam localFile = p.text(2);
  // Refused before anything is opened: a URL that would break the request
  // line, a file name cut by a NUL, a path the file calls cannot take.
  if (!UrlIsRequestable(url.view()) || BreaksProtocolLine(localFile.view()) || PathTooLong(localFile.view())) {
    return ReturnLogical(false);
  }
  UniqueInternet internet(InternetOpenA("http down", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!internet) return ReturnLogical(false);
  SetInternetTimeouts(internet.get());
  UniqueInternet request(InternetOpenUrlA(internet.get(), url.c_str(), kAcceptHeader, sizeof kAcceptHeader - 1,
                                          INTERNET_FLAG_RELOAD, 0));
  if (!request) return ReturnLogical(false);
  // Again on the request itself: not every implementation hands the
  // session's time-outs down to the connection the body is read from.
  SetInternetTimeouts(request.get());
  UniqueFile file(std::fopen(localFile.c_str(), "wb"));
  if (!file) return ReturnLogical(false);
  bool complete = CopyBody(request.get(), file.get());
  request.reset();
  internet.reset();
  bool written = std::fflush(file.get()) == 0;
  ReturnLogical(complete && written);
}

void KVTestInetConn(ParamBlock*) {
  DWORD flags = 0;
  ReturnInt(InternetGetConnectedState(&flags, 0) ? static_cast<int32_t>(flags) : 0);
}

}  // namespace larch
