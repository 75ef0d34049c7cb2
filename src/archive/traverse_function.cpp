// KVTraverseDirectory: the walk over the system's file search, one host
// command per item.
#include <windows.h>

#include <optional>
#include <string>

#include "archive/functions.h"
#include "archive/traverse_command.h"
#include "archive/traverse_walk.h"
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"

namespace larch {
namespace {

// One search handle stays open per folder level while the commands for its
// entries run. A folder that cannot be searched contributes nothing; a
// pattern too long for the system is not searched at all (206 recorded).
void SearchFolder(const std::string& pattern, const WalkEntryFn& entry) {
  if (RefuseLongPath(pattern)) return;
  WIN32_FIND_DATAA found;
  UniqueFind search(FindFirstFileA(pattern.c_str(), &found));
  if (!search) return;
  do {
    entry(found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search.get(), &found));
}

// A folder is known by its volume serial number and file index, the same
// through every link that leads to it. Opening a folder needs no access
// right and follows links to their target.
std::optional<FolderId> IdentifyFolder(const std::string& folder) {
  if (RefuseLongPath(folder)) return std::nullopt;
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFileHandle handle(
      CreateFileA(folder.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<std::string> PreparedCommand(const Params& p, int n) {
  if (p.length(n) == 0) return std::nullopt;
  return PrepareWalkCommand(p.text(n).view());
}

}  // namespace

void KVTraverseDirectory(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return;
  // The folder, the mask and the commands all reach the system or the host
  // as texts read up to a NUL: one holding a NUL stops the walk before it
  // starts.
  for (int n = 1; n <= 4 && p.has(n); ++n) {
    if (p.length(n) != 0 && RefuseNul(p.text(n).view())) return;
  }
  // Everything is copied out first and the parameters released: a command
  // may call the library again, this function included.
  WalkPlan plan;
  plan.start = p.text(1).str();
  plan.fileCommand = PreparedCommand(p, 2);
  plan.folderCommand = PreparedCommand(p, 3);
  if (!p.has(4)) {
    plan.mask = "*.*";
  } else if (p.length(4) != 0) {
    plan.mask = p.text(4).str();
  }
  plan.flags = p.integerOr(5, 0);
  WalkServices services;
  services.search = SearchFolder;
  services.identity = IdentifyFolder;
  services.run = [](const std::string& line) { ExecuteCommand(line.c_str()); };
  // The item is skipped and the walk goes on; the code says why.
  services.refused = [](const std::string&) { RecordFailure(ERROR_INVALID_NAME); };
  Walk(plan, AnsiLeadBytes(), services);
}

}  // namespace larch
