// Text forms of the network family's results: MAC and IPv4 lists, computer
// lists, and the NetBIOS call name. No platform calls here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// Result capacities, in characters.
constexpr size_t kMacListCapacity = 275;  // 15 entries of 18
constexpr size_t kAddressListCapacity = 124;
constexpr size_t kComputerListCapacity = 4095;
constexpr size_t kNetbiosNameLength = 15;

// "0A-1B-2C-3D-4E-5F": six bytes, upper-case hex, no separator after.
std::string MacText(const uint8_t* address);

// Each byte in decimal, joined by '.'.
std::string DottedAddress(std::string_view bytes);

// A list that grows by whole entries only: an entry that does not fit in
// the capacity is refused, and so is everything after it, so the text is
// cut at the last whole entry.
class WholeEntryList {
 public:
  explicit WholeEntryList(size_t capacity) : capacity_(capacity) {}
  bool add(std::string_view entry);
  const std::string& text() const { return text_; }
  size_t count() const { return count_; }

 private:
  size_t capacity_;
  std::string text_;
  size_t count_ = 0;
  bool full_ = false;
};

// Addresses (raw bytes each) joined by '|', with no '|' after the last.
class AddressList {
 public:
  bool add(std::string_view addressBytes);
  const std::string& text() const { return list_.text(); }

 private:
  WholeEntryList list_{kAddressListCapacity};
};

// "NAME|a.b.c.d|": one computer of the computer list.
std::string ComputerEntry(std::string_view name, const uint8_t* address);

// A network name without its leading "\\".
std::string_view WithoutLeadingBackslashes(std::string_view name);

// The 16-byte NetBIOS call name: the name upper-cased (single-byte letters
// a-z only; a double-byte character under the given lead bytes keeps both
// its bytes), padded with blanks to 15, and a 0x00 suffix. Returns false for a name longer than 15 bytes, which no
// NetBIOS name can match.
bool NetbiosCallName(std::string_view name, const LeadBytes& leads, std::array<uint8_t, 16>* callName);

}  // namespace larch
