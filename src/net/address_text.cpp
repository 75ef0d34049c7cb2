#include "net/address_text.h"

#include <cstdio>

namespace larch {

std::string MacText(const uint8_t* a) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
  return text;
}

std::string DottedAddress(std::string_view bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) text += '.';
    text += std::to_string(static_cast<uint8_t>(bytes[i]));
  }
  return text;
}

bool WholeEntryList::add(std::string_view entry) {
  if (full_ || entry.size() > capacity_ - text_.size()) {
    full_ = true;
    return false;
  }
  text_.append(entry);
  ++count_;
  return true;
}

bool AddressList::add(std::string_view addressBytes) {
  std::string entry = list_.count() ? "|" : "";
  entry += DottedAddress(addressBytes);
  return list_.add(entry);
}

std::string ComputerEntry(std::string_view name, const uint8_t* a) {
  char address[20];
  std::snprintf(address, sizeof address, "|%d.%d.%d.%d|", a[0], a[1], a[2], a[3]);
  std::string entry(name);
  entry += address;
  return entry;
}

std::string_view WithoutLeadingBackslashes(std::string_view name) {
  if (name.substr(0, 2) == "\\\\") name.remove_prefix(2);
  return name;
}

bool NetbiosCallName(std::string_view name, const LeadBytes& leads, std::array<uint8_t, 16>* callName) {
  if (name.size() > kNetbiosNameLength) return false;
  callName->fill(' ');
  for (size_t i = 0; i < name.size();) {
    const size_t length = CharLength(leads, name, i);
    const char c = name[i];
    (*callName)[i] = static_cast<uint8_t>(length == 1 && c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    // The second byte of a double-byte character is copied as it is, even
    // when it looks like a-z (0xD6 0x78 is one character).
    if (length == 2) (*callName)[i + 1] = static_cast<uint8_t>(name[i + 1]);
    i += length;
  }
  (*callName)[kNetbiosNameLength] = 0;
  return true;
}

}  // namespace larch
