// Services shared by the network functions: name resolution and the
// time-outs of internet sessions.
#include "net/net_handles.h"

#include <utility>

namespace larch {

std::vector<std::string> ResolveHostAddresses(const char* name) {
  std::vector<std::string> addresses;
  const hostent* entry = gethostbyname(name);
  if (!entry || !entry->h_addr_list) return addresses;
  for (char** a = entry->h_addr_list; *a; ++a) addresses.emplace_back(*a, static_cast<size_t>(entry->h_length));
  return addresses;
}

void SetInternetTimeouts(HINTERNET session) {
  const std::pair<DWORD, DWORD> options[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs},
      {INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs},
  };
  for (auto [option, value] : options) InternetSetOptionA(session, option, &value, sizeof value);
}

}  // namespace larch
