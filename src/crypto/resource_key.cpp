#include "crypto/resource_key.h"

#include <windows.h>

#include <vector>

#include "bridge/desktop.h"
#include "bridge/lifecycle.h"

namespace larch {
namespace {

constexpr WORD kResourceId = 117;
constexpr char kResourceType[] = "MYRES";

struct ResourceKeyState {
  std::vector<char> bytes;
  KeyBlock block{};
  bool loaded = false;
  bool releaseRegistered = false;
};

ResourceKeyState& LoadedResourceKey() {
  static ResourceKeyState state;
  return state;
}

// The resource's bytes, or nothing when it is missing or empty.
std::vector<char> ReadResource() {
  HMODULE module = LibraryModule();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kResourceId), kResourceType);
  if (!found) return {};
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data || size == 0) return {};
  return std::vector<char>(data, data + size);
}

}  // namespace

const KeyBlock* ResourceKey() {
  ResourceKeyState& s = LoadedResourceKey();
  if (s.loaded) return &s.block;
  s.bytes = ReadResource();
  if (s.bytes.empty()) {
    // Without a display the box could not be shown (or answered); the call
    // fails just the same.
    if (DesktopAvailable()) MessageBoxA(nullptr, "Fll Resource Invalid !!!", "Larch_fll by brenwick", MB_OK);
    return nullptr;
  }
  FlipStoredKeyBlock(s.bytes.data(), s.bytes.size());
  s.block = {s.bytes.data(), s.bytes.size()};
  s.loaded = true;
  if (!s.releaseRegistered) {
    AtQuit(ReleaseResourceKey);
    s.releaseRegistered = true;
  }
  return &s.block;
}

void ReleaseResourceKey() {
  ResourceKeyState& s = LoadedResourceKey();
  s.bytes = std::vector<char>();
  s.block = {};
  s.loaded = false;
}

}  // namespace larch
