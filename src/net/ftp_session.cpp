#include "net/ftp_session.h"

#include "bridge/system_error.h"

namespace larch {

HINTERNET FtpSession::connection() {
  if (connected()) return connection_.get();
  // A handle left by an earlier failed attempt is closed, not leaked.
  close();
  if (!settings_.configured()) {
    // No server (never set, or the last setting was refused).
    RecordFailure(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  internet_.reset(InternetOpenA("FTP by larch.dll", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!internet_) {
    RecordSystemError();
    return nullptr;
  }
  // Set before connecting: the connection takes them over, and the login
  // itself can stall.
  SetInternetTimeouts(internet_.get());
  // Flags 0: active mode.
  connection_.reset(InternetConnectA(internet_.get(), settings_.server, settings_.port, settings_.user,
                                     settings_.password, INTERNET_SERVICE_FTP, /*dwFlags=*/0, /*dwContext=*/0));
  if (!connection_) {
    RecordSystemError();
    internet_.reset();
    return nullptr;
  }
  // Again on the connection: not every implementation hands the session's
  // time-outs down.
  SetInternetTimeouts(connection_.get());
  return connection_.get();
}

void FtpSession::close() {
  // The connection goes first: closing the session handle would take its
  // child with it and leave a stale value to close twice.
  connection_.reset();
  internet_.reset();
}

FtpSession& Ftp() {
  static FtpSession session;
  return session;
}

}  // namespace larch
