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

// Keeps a block locked for the length of a scope. Not a UniqueOwner: it is
// never moved or handed on, and what it gives is the locked address.
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
