// The address and MAC texts on any bytes: every text reads back to the
// bytes it was made from, lists never pass their capacity and keep whole
// entries only, and the NetBIOS call name keeps every double-byte
// character and upper-cases only single-byte a-z.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/dbcs.h"
#include "net/address_text.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

void CheckMac(const uint8_t* bytes) {
  const std::string text = larch::MacText(bytes);
  if (text.size() != 17) abort();
  const std::vector<std::string> groups = Split(text, '-');
  if (groups.size() != 6) abort();
  for (size_t i = 0; i < 6; ++i) {
    if (groups[i].find_first_not_of("0123456789ABCDEF") != std::string::npos || groups[i].size() != 2) abort();
    if (std::strtoul(groups[i].c_str(), nullptr, 16) != bytes[i]) abort();
  }
}

void CheckAddressList(std::string_view bytes) {
  larch::AddressList list;
  std::vector<std::string> added;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    if (list.add(bytes.substr(i, 4))) added.emplace_back(bytes.substr(i, 4));
  }
  const std::string& text = list.text();
  if (text.size() > larch::kAddressListCapacity) abort();
  if (added.empty()) {
    if (!text.empty()) abort();
    return;
  }
  const std::vector<std::string> addresses = Split(text, '|');
  if (addresses.size() != added.size()) abort();
  for (size_t a = 0; a < added.size(); ++a) {
    const std::vector<std::string> parts = Split(addresses[a], '.');
    if (parts.size() != 4) abort();
    for (size_t k = 0; k < 4; ++k) {
      if (std::to_string(static_cast<uint8_t>(added[a][k])) != parts[k]) abort();
    }
  }
  // Whole entries only: the next address would not have fitted.
  if (added.size() * 4 + 4 <= bytes.size() && added.size() < bytes.size() / 4) {
    const std::string next = larch::DottedAddress(bytes.substr(added.size() * 4, 4));
    if (text.size() + 1 + next.size() <= larch::kAddressListCapacity) abort();
  }
}

void CheckCallName(std::string_view name, const larch::LeadBytes& leads) {
  std::array<uint8_t, 16> call;
  const bool made = larch::NetbiosCallName(name, leads, &call);
  if (made != (name.size() <= larch::kNetbiosNameLength)) abort();
  if (!made) return;
  if (call[15] != 0) abort();
  for (size_t i = name.size(); i < 15; ++i) {
    if (call[i] != ' ') abort();
  }
  for (size_t i = 0; i < name.size(); i += larch::CharLength(leads, name, i)) {
    const auto c = static_cast<uint8_t>(name[i]);
    const size_t length = larch::CharLength(leads, name, i);
    const uint8_t expected = length == 1 && c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
    if (call[i] != expected) abort();
    if (length == 2 && call[i + 1] != static_cast<uint8_t>(name[i + 1])) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size >= 6) CheckMac(data);
  CheckAddressList(input);
  CheckCallName(input.substr(0, 20), larch::LeadBytes::gbk());
  CheckCallName(input.substr(0, 20), larch::LeadBytes());

  larch::WholeEntryList list(larch::kMacListCapacity);
  for (size_t i = 0; i + 6 <= size; i += 6) list.add(larch::MacText(data + i) + "|");
  if (list.text().size() > larch::kMacListCapacity || list.text().size() != list.count() * 18) abort();

  const std::string_view name = larch::WithoutLeadingBackslashes(input);
  if (name.size() != size && !(size >= 2 && input.substr(0, 2) == "\\\\" && name.size() + 2 == size)) abort();
  return 0;
}
