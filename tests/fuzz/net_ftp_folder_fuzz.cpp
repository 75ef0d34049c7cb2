// The FTP current-folder cut and the name and URL checks on any bytes:
// the folder text is a prefix of the buffer that holds no NUL, leaves room
// for one, ends between two characters, and is the whole text before the
// buffer's first NUL when there is one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"
#include "net/protocol_text.h"

namespace {

void CheckFolder(std::string_view buffer, const larch::LeadBytes& leads) {
  const std::string text = larch::CurrentFolderText(buffer, leads);
  if (buffer.empty()) {
    if (!text.empty()) abort();
    return;
  }
  if (text.size() > buffer.size() - 1) abort();
  if (buffer.compare(0, text.size(), text) != 0) abort();
  if (text.find('\0') != std::string::npos) abort();
  const size_t nul = buffer.find('\0');
  if (nul != std::string_view::npos) {
    if (text.size() != nul) abort();
  } else {
    if (!larch::IsCharBoundary(leads, buffer, text.size())) abort();
    if (text.size() + 2 < buffer.size()) abort();  // at most one character short of the room
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckFolder(input, larch::LeadBytes::gbk());
  CheckFolder(input, larch::LeadBytes());

  const bool hasBreak = input.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
  if (larch::BreaksProtocolLine(input) != hasBreak) abort();
  const uint32_t remote = larch::FtpNameRefusal(input, larch::FtpName::kRemote, larch::LeadBytes());
  const uint32_t local = larch::FtpNameRefusal(input, larch::FtpName::kLocal, larch::LeadBytes());
  if (hasBreak && (remote != larch::kErrorInvalidName || local != larch::kErrorInvalidName)) abort();
  if (!hasBreak && remote != (size > larch::kMaxFtpNameLength ? larch::kErrorNameTooLong : 0)) abort();
  if (!hasBreak && local != (size > 259 ? larch::kErrorNameTooLong : 0)) abort();
  // Under GBK a name is refused whenever it is under a single-byte page,
  // and a name taken splits into whole characters, none of them a first
  // byte before a blank, a digit, a control byte or other ASCII below '@'.
  const larch::LeadBytes gbk = larch::LeadBytes::gbk();
  const uint32_t gbkRemote = larch::FtpNameRefusal(input, larch::FtpName::kRemote, gbk);
  if (remote != 0 && gbkRemote != remote) abort();
  if (gbkRemote == 0) {
    for (size_t i = 0; i < input.size(); i += larch::CharLength(gbk, input, i)) {
      const bool lead = gbk.isLead(static_cast<unsigned char>(input[i]));
      if (lead && (i + 1 == input.size() || static_cast<unsigned char>(input[i + 1]) < 0x40)) abort();
    }
  }
  if (larch::UrlIsRequestable(input)) {
    if (input.empty() || input.size() > larch::kMaxUrlLength) abort();
    for (char c : input) {
      if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) abort();
    }
  }
  return 0;
}
