// What the network family's sessions share: time-outs, Windows Sockets and
// name resolution. The owners of its handles are the bridge's.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <winnetwk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bridge/win_handles.h"

namespace larch {

// Time-outs of every internet session the library opens, in milliseconds.
// Some implementations wait for ever by default, so a server that stops
// answering would hold the host's thread for good; these are fixed values
// (the library has no settings): 60 s to connect, 30 s for each send and
// each receive, the defaults of the system's own HTTP services. The receive
// time-out bounds each wait for data, not a whole transfer.
constexpr DWORD kConnectTimeoutMs = 60000;
constexpr DWORD kSendTimeoutMs = 30000;
constexpr DWORD kReceiveTimeoutMs = 30000;

// Sets the time-outs on an internet handle. Handles opened from it later
// take them over where the implementation hands them down; a request takes
// its connection's when it is opened, so they are set on the connection
// before any request. Whether each option took is not examined: a handle
// without them still works as before.
void SetInternetTimeouts(HINTERNET session);

// Windows Sockets for the life of the object; ended only when started. Not
// a UniqueOwner: it holds no value, only whether the start took.
class WinsockSession {
 public:
  explicit WinsockSession(WORD version) {
    WSADATA data;
    started_ = WSAStartup(version, &data) == 0;
  }
  ~WinsockSession() {
    if (started_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;

 private:
  bool started_ = false;
};

// The addresses a name resolves to with gethostbyname, each as its raw
// bytes; empty when it does not resolve. Needs a WinsockSession.
std::vector<std::string> ResolveHostAddresses(const char* name);

}  // namespace larch
