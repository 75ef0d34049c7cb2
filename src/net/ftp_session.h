// The process-wide FTP session: what to connect with, and the open
// connection, which stays open between calls until it is closed.
#pragma once

#include "net/ftp_settings.h"
#include "net/net_handles.h"

namespace larch {

class FtpSession {
 public:
  FtpSettings& settings() { return settings_; }
  bool connected() const { return internet_ && connection_; }
  // The open connection, connecting first when there is none; null when
  // the connection cannot be made, with the reason recorded.
  HINTERNET connection();
  void close();

 private:
  FtpSettings settings_;
  UniqueInternet internet_;
  UniqueInternet connection_;
};

FtpSession& Ftp();

}  // namespace larch
