#include "shellops/open_rules.h"

#include "text/cp932.h"

namespace velmora {

bool FollowsAsShortcut(std::string_view path) { return FileExtension(LastComponent(path)) == ".lnk"; }

OpenDecision DecideOpen(const std::string& path, FileSystem& fs, const LinkFollower& followLink) {
  OpenDecision decision;
  if (path.empty()) return decision;
  decision.path = path;
  if (fs.IsExistingFolder(path)) {
    decision.kind = OpenKind::kEnterFolder;
    return decision;
  }
  // Without a follower the shell opens the shortcut itself.
  if (followLink && FollowsAsShortcut(path)) {
    const int followed = followLink(decision.path);
    if (followed == kLinkToShellItem) {
      decision.kind = OpenKind::kOpenShortcut;
      decision.path = path;
      return decision;
    }
    if (followed != 0) return OpenDecision();
    if (fs.IsExistingFolder(decision.path)) {
      decision.kind = OpenKind::kEnterFolder;
      return decision;
    }
  }
  if (fs.IsExistingFile(decision.path)) {
    decision.kind = OpenKind::kStartFile;
    decision.workingFolder = ParentFolder(decision.path);
    return decision;
  }
  decision.kind = OpenKind::kProbeFolder;
  return decision;
}

std::string OpenWithParameters(std::string_view path) {
  std::string parameters = "shell32.dll,OpenAs_RunDLL ";
  parameters += path;
  return parameters;
}

}  // namespace velmora
