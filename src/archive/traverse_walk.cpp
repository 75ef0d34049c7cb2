#include "archive/traverse_walk.h"

#include <algorithm>
#include <vector>

#include "bridge/host_command.h"

namespace larch {
namespace {

class Walker {
 public:
  Walker(const WalkPlan& plan, const LeadBytes& leads, const WalkServices& services)
      : plan_(plan),
        leads_(leads),
        services_(services),
        visitFiles_(plan.fileCommand && plan.mask),
        subfolders_((plan.flags & kWalkSubfolders) != 0),
        foldersFirst_(subfolders_ && (plan.flags & kWalkFoldersFirst) != 0) {}

  void start(const std::string& folder) {
    // The start folder opens the branch, so a link back to it is seen too.
    // Without subfolders nothing is entered and no identity is needed.
    if (subfolders_) {
      std::optional<FolderId> id = services_.identity(folder);
      if (id) branch_.push_back(*id);
    }
    visit(folder);
  }

 private:
  void visit(const std::string& folder) {
    if (foldersFirst_) subfolderPass(folder);
    if (visitFiles_) filePass(folder);
    if (subfolders_ && !foldersFirst_) subfolderPass(folder);
  }

  void run(const std::string& command, const std::string& path) {
    std::optional<std::string> line = ExpandHostCommand(leads_, command, path);
    if (line) {
      services_.run(*line);
    } else {
      services_.refused(path);
    }
  }

  void filePass(const std::string& folder) {
    services_.search(folder + *plan_.mask, [&](const std::string& name, bool directory) {
      if (!directory) run(*plan_.fileCommand, folder + name);
    });
  }

  void subfolderPass(const std::string& folder) {
    services_.search(folder + "*", [&](const std::string& name, bool directory) {
      if (!directory || name == "." || name == "..") return;
      std::string sub = folder + name + "\\";
      std::optional<FolderId> id = services_.identity(sub);
      if (id && std::find(branch_.begin(), branch_.end(), *id) != branch_.end()) return;  // a loop
      if (plan_.folderCommand && foldersFirst_) run(*plan_.folderCommand, sub);
      if (id) {
        branch_.push_back(*id);
        visit(sub);
        branch_.pop_back();
      }
      if (plan_.folderCommand && !foldersFirst_) run(*plan_.folderCommand, sub);
    });
  }

  const WalkPlan& plan_;
  const LeadBytes& leads_;
  const WalkServices& services_;
  const bool visitFiles_;
  const bool subfolders_;
  const bool foldersFirst_;
  // The folders from the start down to the one being walked.
  std::vector<FolderId> branch_;
};

}  // namespace

std::string WalkFolder(const LeadBytes& leads, std::string_view start) {
  std::string folder(start);
  if (!EndsWithChar(leads, folder, '\\')) folder += '\\';
  return folder;
}

void Walk(const WalkPlan& plan, const LeadBytes& leads, const WalkServices& services) {
  if (plan.start.empty() || (!plan.fileCommand && !plan.folderCommand)) return;
  // A start folder ending in the first half of a double-byte character
  // would take the closing backslash as its second half.
  size_t last = CharBoundaryAtOrBefore(leads, plan.start, plan.start.size() - 1);
  if (CharLength(leads, plan.start, last) == 1 && leads.isLead(static_cast<unsigned char>(plan.start[last]))) {
    services.refused(plan.start);
    return;
  }
  Walker(plan, leads, services).start(WalkFolder(leads, plan.start));
}

}  // namespace larch
