// Reads an arbitrary cabinet header (its flags, the previous and next
// cabinet fields, the file entries with their folder indexes and names)
// and plays the notifications a cabinet library sends while extracting it,
// answering each as the extraction does (ContinuesAfter, and for a file to
// copy IsWritableStoredName). The library asks for a missing next cabinet
// again for as long as it is told to go on, and opens a next cabinet by the
// name the header gives. The property: every extraction ends after a
// bounded number of notifications, no cabinet but the one given is ever
// opened, and every file opened for writing lies inside the destination
// under a name that is no device.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "archive/cabinet_paths.h"

namespace {

using larch::CabNotice;
using larch::LeadBytes;

// Header flags and the folder indexes that mark files spanning cabinets.
constexpr uint16_t kPrevCabinet = 0x0001;
constexpr uint16_t kNextCabinet = 0x0002;
constexpr uint16_t kReservePresent = 0x0004;
constexpr uint16_t kContinuedFromPrev = 0xFFFD;
constexpr uint16_t kContinuedToNext = 0xFFFE;
constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  uint8_t u8() { return pos_ < size_ ? data_[pos_++] : (ok_ = false, 0); }
  uint16_t u16() {
    const uint8_t low = u8();
    return static_cast<uint16_t>(low | u8() << 8);
  }
  uint32_t u32() {
    const uint16_t low = u16();
    return low | static_cast<uint32_t>(u16()) << 16;
  }
  void skip(size_t n) { pos_ = n > size_ - pos_ ? (ok_ = false, size_) : pos_ + n; }
  void seek(size_t at) { pos_ = at > size_ ? (ok_ = false, size_) : at; }
  // A NUL-terminated name of at most 255 bytes, as the library reads them.
  std::string name() {
    std::string text;
    while (pos_ < size_ && data_[pos_] != 0 && text.size() < 255) text += static_cast<char>(data_[pos_++]);
    if (pos_ >= size_) ok_ = false;
    ++pos_;
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

struct File {
  uint16_t folder;
  std::string name;
};

struct Header {
  uint16_t flags = 0;
  std::string nextCabinet;
  std::vector<File> files;
};

// The fixed header is read as a cabinet library reads it, but without the
// checks that would end most inputs early: the signature, the version and
// the sizes are taken as they come.
bool ReadHeader(const uint8_t* data, size_t size, Header& header) {
  Reader r(data, size);
  r.skip(16);
  const uint32_t filesAt = r.u32();
  r.skip(6);
  r.u16();  // folders
  const uint16_t files = r.u16();
  header.flags = r.u16();
  r.skip(4);  // set id, cabinet number
  if (header.flags & kReservePresent) {
    const uint16_t headerReserve = r.u16();
    r.skip(2);
    r.skip(headerReserve);
  }
  if (header.flags & kPrevCabinet) {
    r.name();
    r.name();
  }
  if (header.flags & kNextCabinet) {
    header.nextCabinet = r.name();
    r.name();
  }
  if (!r.ok()) return false;
  r.seek(filesAt < size ? filesAt : 36);
  for (uint16_t i = 0; i < files && i < 64 && r.ok(); ++i) {
    r.skip(8);  // size, offset in the folder
    const uint16_t folder = r.u16();
    r.skip(6);  // date, time, attributes
    std::string name = r.name();
    if (r.ok()) header.files.push_back({folder, std::move(name)});
  }
  return true;
}

// The devices, written out again: what stands before the first dot,
// blanks after it dropped, compared without letter case.
bool NamesDevice(const LeadBytes& leads, std::string_view part) {
  std::string base(part.substr(0, part.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2",
                                         "COM3", "COM4", "COM5", "COM6", "COM7",   "COM8",    "COM9", "LPT1",
                                         "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7",    "LPT8", "LPT9"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  const bool superscript =
      base.size() == 4 && !leads.isDoubleByte() && (base[3] == '\xB9' || base[3] == '\xB2' || base[3] == '\xB3');
  return superscript && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
}

// One extraction into "D:\dest\" as the cabinet library would run it.
void Extract(const LeadBytes& leads, const Header& header) {
  const std::string destination = "D:\\dest\\";
  int notifications = 0;
  auto answer = [&](CabNotice notice, std::string_view next = {}) {
    if (++notifications > 1000) abort();  // a loop that never ends
    return larch::ContinuesAfter(notice, next);
  };
  if (!answer(CabNotice::kCabinetInfo, header.nextCabinet)) return;
  for (const File& file : header.files) {
    if (file.folder == kContinuedFromPrev || file.folder == kContinuedPrevAndNext) {
      if (!answer(CabNotice::kPartialFile)) return;
      continue;
    }
    if (!answer(CabNotice::kCopyFile)) return;
    if (!larch::IsWritableStoredName(leads, file.name)) return;  // refused: -1 ends the extraction
    const std::string path = destination + file.name;
    if (path.compare(0, destination.size(), destination) != 0) abort();
    for (size_t begin = destination.size(); begin <= path.size();) {
      size_t end = larch::FindFirstCharOf(leads, path, "\\/", begin);
      if (end == std::string::npos) end = path.size();
      const std::string_view part = std::string_view(path).substr(begin, end - begin);
      if (part == ".." || NamesDevice(leads, part)) abort();
      begin = end + 1;
    }
    // A folder going on into a next cabinet: the library asks for it, and
    // when told to go on, opens it by the header's name (outside this
    // cabinet) or, when it is missing, asks again, for ever.
    if (file.folder == kContinuedToNext && (header.flags & kNextCabinet)) {
      if (answer(CabNotice::kNextCabinet)) abort();
      return;
    }
    if (!answer(CabNotice::kCloseFile)) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Header header;
  if (!ReadHeader(data, size, header)) return 0;
  const LeadBytes single, gbk = LeadBytes::gbk();
  Extract(single, header);
  Extract(gbk, header);
  return 0;
}
