// What the FTP session connects with: server, user, password and port,
// held in fixed 129-byte fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace larch {

constexpr size_t kFtpFieldCapacity = 128;  // characters, plus the NUL
constexpr uint16_t kDefaultFtpPort = 21;

struct FtpSettings {
  char server[kFtpFieldCapacity + 1] = {};
  char user[kFtpFieldCapacity + 1] = {};
  char password[kFtpFieldCapacity + 1] = {};
  uint16_t port = kDefaultFtpPort;

  bool configured() const { return server[0] != '\0'; }
};

// Replaces the settings. The port is the low 16 bits of the given value,
// 21 when none is given or those bits are 0. A server, user or password
// longer than a field, or one holding CR, LF or NUL (which would end the
// login command and start another), is refused as a whole: the settings
// are cleared, so the next connection fails instead of logging in with a
// cut credential or with the previous server's. Returns false when refused.
bool ConfigureFtp(std::string_view server, std::string_view user, std::string_view password,
                  std::optional<int32_t> port, FtpSettings* settings);

}  // namespace larch
