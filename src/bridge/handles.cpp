// Handle memory in the host's HandleTable.
#include "bridge/handles.h"

#include <windows.h>

#include <cstring>

#include "bridge/state.h"

namespace larch {
namespace {

constexpr UINT kMovableZeroed = GMEM_MOVEABLE | GMEM_ZEROINIT;  // 0x42

// The global block of a used entry, or null for 0, out of range or free.
HGLOBAL BlockOf(MemHandle h) {
  HandleTable* table = Bridge().handles;
  if (!table || h == 0 || h >= table->capacity) return nullptr;
  return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(table->entries[h]));
}

}  // namespace

MemHandle AllocHandle(uint32_t size, uint16_t tag) {
  HandleTable* table = Bridge().handles;
  if (!table) return 0;
  while (table->hint < table->capacity && table->entries[table->hint] != 0) ++table->hint;
  if (table->hint >= table->capacity) return 0;
  if (size > 0x7FFFFFF0u) return 0;
  HGLOBAL block = GlobalAlloc(kMovableZeroed, size + 2);
  if (!block) return 0;
  MemHandle h = table->hint;
  table->entries[h] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, &tag, sizeof tag);
    GlobalUnlock(block);
  }
  return h;
}

void FreeHandle(MemHandle h) {
  HGLOBAL block = BlockOf(h);
  if (!block) return;
  HandleTable* table = Bridge().handles;
  GlobalFree(block);
  table->entries[h] = 0;
  if (h < table->hint) table->hint = static_cast<uint16_t>(h);
}

char* HandleAddress(MemHandle h) {
  HGLOBAL block = BlockOf(h);
  if (!block) return nullptr;
  char* p = static_cast<char*>(GlobalLock(block));
  if (!p) return nullptr;
  GlobalUnlock(block);
  return p + 2;
}

char* LockHandle(MemHandle h) {
  HGLOBAL block = BlockOf(h);
  if (!block) return nullptr;
  char* p = static_cast<char*>(GlobalLock(block));
  return p ? p + 2 : nullptr;
}

int UnlockHandle(MemHandle h) {
  HGLOBAL block = BlockOf(h);
  return block ? GlobalUnlock(block) : 0;
}

int ResizeHandle(MemHandle h, uint32_t size) {
  HGLOBAL block = BlockOf(h);
  if (!block || size > 0x7FFFFFF0u) return 0;
  // Without GMEM_MOVEABLE the block keeps its handle, so the entry stays valid.
  return GlobalReAlloc(block, size + 2, GMEM_ZEROINIT) ? 1 : 0;
}

MemHandle NewTextBlock(std::string_view bytes, bool withNul) {
  uint32_t size = static_cast<uint32_t>(bytes.size()) + (withNul ? 1 : 0);
  MemHandle h = AllocHandle(size, kResultTag);
  if (!h) return 0;
  HandleLock lock(h);
  if (lock.data() && !bytes.empty()) std::memcpy(lock.data(), bytes.data(), bytes.size());
  return h;
}

}  // namespace larch
