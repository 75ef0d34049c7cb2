#include "files/traverse_walk.h"

#include "files/traverse_command.h"

namespace larch {
namespace {

class Walker {
 public:
  Walker(const WalkPlan& plan, const WalkSearchFn& search, const WalkRunFn& run)
      : plan_(plan), search_(search), run_(run),
        visitFiles_(plan.fileCommand && plan.mask),
        subfolders_((plan.flags & kWalkSubfolders) != 0),
        foldersFirst_(subfolders_ && (plan.flags & kWalkFoldersFirst) != 0) {}

  void visit(const std::string& folder) {
    if (foldersFirst_) subfolderPass(folder);
    if (visitFiles_) filePass(folder);
    if (subfolders_ && !foldersFirst_) subfolderPass(folder);
  }

 private:
  void filePass(const std::string& folder) {
    search_(folder + *plan_.mask, [&](const std::string& name, bool directory) {
      if (!directory) run_(ExpandWalkCommand(*plan_.fileCommand, folder + name));
    });
  }

  void subfolderPass(const std::string& folder) {
    search_(folder + "*", [&](const std::string& name, bool directory) {
      if (!directory || name == "." || name == "..") return;
      std::string sub = folder + name + "\\";
      if (plan_.folderCommand && foldersFirst_) run_(ExpandWalkCommand(*plan_.folderCommand, sub));
      visit(sub);
      if (plan_.folderCommand && !foldersFirst_) run_(ExpandWalkCommand(*plan_.folderCommand, sub));
    });
  }

  const WalkPlan& plan_;
  const WalkSearchFn& search_;
  const WalkRunFn& run_;
  const bool visitFiles_;
  const bool subfolders_;
  const bool foldersFirst_;
};

}  // namespace

std::string WalkFolder(std::string_view start) {
  std::string folder(start);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

void Walk(const WalkPlan& plan, const WalkSearchFn& search, const WalkRunFn& run) {
  if (plan.start.empty() || (!plan.fileCommand && !plan.folderCommand)) return;
  Walker(plan, search, run).visit(WalkFolder(plan.start));
}

}  // namespace larch
