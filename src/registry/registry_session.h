// The process-wide registry session: a root, a key path below it and the
// key opened on demand. The key stays open between calls, so a run of
// reads and writes costs one open.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "bridge/win_handles.h"

namespace larch {

class RegistrySession {
 public:
  // Replaces root and path; a key already open stays open and in use.
  void setPath(std::string path, HKEY root);
  // Opens the path below the root (creating it when asked), replacing any
  // open key. Fails at once without a path.
  bool open(bool create);
  bool ensureOpen(bool create) { return key_ ? true : open(create); }
  void close() { key_.reset(); }

  HKEY key() const { return key_.get(); }
  HKEY root() const { return root_; }
  const std::optional<std::string>& path() const { return path_; }

 private:
  HKEY root_ = HKEY_CURRENT_USER;
  std::optional<std::string> path_;
  UniqueKey key_;
};

RegistrySession& Registry();

// Maps a root code of FRSetRegPath to its predefined key.
HKEY RootKeyOf(int code);

}  // namespace larch
