// Handle memory: blocks in the host's HandleTable, each a movable global
// block whose first two bytes are a tag word and whose data follows it.
#pragma once

#include <cstdint>
#include <string_view>

namespace larch {

using MemHandle = uint32_t;

MemHandle AllocHandle(uint32_t size, uint16_t tag);
void FreeHandle(MemHandle h);
char* HandleAddress(MemHandle h);
char* LockHandle(MemHandle h);
int UnlockHandle(MemHandle h);
int ResizeHandle(MemHandle h, uint32_t size);

// Owns a handle block the library made for itself and frees it when done.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(MemHandle h) : h_(h) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : h_(other.h_) { other.h_ = 0; }
  ~OwnedHandle() { reset(); }
  MemHandle get() const { return h_; }
  explicit operator bool() const { return h_ != 0; }
  void reset() {
    if (h_) FreeHandle(h_);
    h_ = 0;
  }
  [[nodiscard]] MemHandle release() {
    MemHandle h = h_;
    h_ = 0;
    return h;
  }

 private:
  MemHandle h_ = 0;
};

// Keeps a block locked for the length of a scope.
class HandleLock {
 public:
  explicit HandleLock(MemHandle h) : h_(h), data_(LockHandle(h)) {}
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;
  ~HandleLock() {
    if (data_) UnlockHandle(h_);
  }
  char* data() const { return data_; }

 private:
  MemHandle h_;
  char* data_;
};

// A new tag-16 block holding the given bytes (no NUL added); 0 when the
// table is full or memory runs out.
MemHandle NewTextBlock(std::string_view bytes, bool withNul);

}  // namespace larch
