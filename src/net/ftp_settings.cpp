#include "net/ftp_settings.h"

#include <cstring>

#include "net/protocol_text.h"

namespace larch {
namespace {

void CopyField(std::string_view text, char (&field)[kFtpFieldCapacity + 1]) {
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
}

}  // namespace

bool ConfigureFtp(std::string_view server, std::string_view user, std::string_view password,
                  std::optional<int32_t> port, FtpSettings* settings) {
  *settings = FtpSettings{};
  for (std::string_view field : {server, user, password}) {
    if (field.size() > kFtpFieldCapacity || BreaksProtocolLine(field)) return false;
  }
  CopyField(server, settings->server);
  CopyField(user, settings->user);
  CopyField(password, settings->password);
  uint16_t low = port ? static_cast<uint16_t>(*port & 0xFFFF) : 0;
  settings->port = low ? low : kDefaultFtpPort;
  return true;
}

}  // namespace larch
