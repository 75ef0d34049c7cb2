// The directory walk: which folders are searched, in which order, and which
// command runs for which item. The searching, the folder identities and the
// running are supplied by the caller, so the order rules hold the same for
// every file system.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

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

// What makes a folder the same folder whatever path leads to it: the
// volume and the file index within it.
struct FolderId {
  uint32_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FolderId& other) const { return volume == other.volume && index == other.index; }
};

// Calls back once per entry the search pattern finds, in the system's order.
using WalkEntryFn = std::function<void(const std::string& name, bool directory)>;

struct WalkServices {
  // Searches a pattern (folder + mask); a pattern that cannot be searched
  // gives no entries.
  std::function<void(const std::string& pattern, const WalkEntryFn& entry)> search;
  // The identity of a folder (path with its closing '\'), or nothing when
  // the system cannot tell it.
  std::function<std::optional<FolderId>(const std::string& folder)> identity;
  // Runs one host command line.
  std::function<void(const std::string& commandLine)> run;
  // Told about an item whose path cannot be put into its command safely;
  // that command is not run.
  std::function<void(const std::string& path)> refused;
};

// The start folder with a closing backslash, judged by character.
std::string WalkFolder(const LeadBytes& leads, std::string_view start);

// Walks as the plan says. Folder links (junctions, symbolic links) are
// followed, but a folder that is already being walked higher up the same
// branch is passed over entirely, so a link back to an ancestor or to the
// folder itself ends there, while a link elsewhere is walked like any
// folder. A subfolder whose identity cannot be told still gets its folder
// command but is not entered, since a loop through it could not be seen.
void Walk(const WalkPlan& plan, const LeadBytes& leads, const WalkServices& services);

}  // namespace larch
