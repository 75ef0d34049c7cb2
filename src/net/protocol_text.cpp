#include "net/protocol_text.h"

#include "bridge/path_length.h"

namespace larch {

bool BreaksProtocolLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HoldsBrokenCharacter(const LeadBytes& leads, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!leads.isLead(static_cast<unsigned char>(text[i]))) continue;
    if (i + 1 == text.size()) return true;
    const auto second = static_cast<unsigned char>(text[++i]);
    if (second < 0x40 || second == 0x7F || second == 0xFF) return true;
  }
  return false;
}

uint32_t FtpNameRefusal(std::string_view name, FtpName kind, const LeadBytes& leads) {
  if (BreaksProtocolLine(name) || HoldsBrokenCharacter(leads, name)) return kErrorInvalidName;
  const bool tooLong = kind == FtpName::kLocal ? PathTooLong(name) : name.size() > kMaxFtpNameLength;
  return tooLong ? kErrorNameTooLong : 0;
}

bool UrlIsRequestable(std::string_view url) {
  if (url.empty() || url.size() > kMaxUrlLength) return false;
  for (char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  return true;
}

std::string CurrentFolderText(std::string_view buffer, const LeadBytes& leads) {
  if (buffer.empty()) return "";
  const size_t end = buffer.find('\0');
  if (end != std::string_view::npos) return std::string(buffer.substr(0, end));
  // Measured in the whole buffer, so a character whose second byte lies in
  // the last byte is left out whole.
  return std::string(buffer.substr(0, CharBoundaryAtOrBefore(leads, buffer, buffer.size() - 1)));
}

}  // namespace larch
