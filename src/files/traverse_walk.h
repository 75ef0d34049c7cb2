// The directory walk: which folders are searched, in which order, and which
// command runs for which item. The searching and the running are supplied
// by the caller, so the order rules hold the same for every file system.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace larch {

enum WalkFlags : int32_t {
  kWalkSubfolders = 2,   // descend to any depth
  kWalkFoldersFirst = 4  // with kWalkSubfolders: pre-order, subfolders before files
};

struct WalkPlan {
  std::string start;                         // start folder as given
  std::optional<std::string> fileCommand;    // prepared, or none
  std::optional<std::string> folderCommand;  // prepared, or none
  std::optional<std::string> mask;           // none: files are not visited
  int32_t flags = 0;
};

// Calls back once per entry the search pattern finds, in the system's order.
using WalkEntryFn = std::function<void(const std::string& name, bool directory)>;
using WalkSearchFn = std::function<void(const std::string& pattern, const WalkEntryFn& entry)>;
using WalkRunFn = std::function<void(const std::string& commandLine)>;

// The start folder with a closing backslash.
std::string WalkFolder(std::string_view start);

void Walk(const WalkPlan& plan, const WalkSearchFn& search, const WalkRunFn& run);

}  // namespace larch
