// What opening a listed item does: a folder is entered, a ".lnk" shortcut is followed to
// its target, a file is started through the shell.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "common/file_system.h"

namespace velmora {

// Follows a shortcut: on entry the shortcut's path, on return its target when that exists
// (else unchanged). 0 when it was followed; kLinkToShellItem when it leads to an item that
// is neither file nor folder (a Control Panel item, the computer); any other non-zero value
// when it could not be loaded or resolved. Without a follower shortcuts are started like
// files, and the shell follows them.
using LinkFollower = std::function<int(std::string& path)>;
// The shell link's answer (S_FALSE) when its target has no file-system path.
constexpr int kLinkToShellItem = 1;

enum class OpenKind {
  kNothing,      // nothing happens
  kEnterFolder,  // the list enters `path`
  kStartFile,    // the shell opens `path` with `workingFolder` as current directory
  kProbeFolder,  // neither file nor folder: enter `path` if the shell can list it
  kOpenShortcut,  // a shortcut to an item only the shell knows: the shell opens the shortcut `path`
};

struct OpenDecision {
  OpenKind kind = OpenKind::kNothing;
  std::string path;
  std::string workingFolder;
};

// Only ".lnk" in exactly this case is followed; "x.LNK" is opened by the shell as a file.
bool FollowsAsShortcut(std::string_view path);

OpenDecision DecideOpen(const std::string& path, FileSystem& fs, const LinkFollower& followLink);

// The shell's Open-with dialog for a file: the program and its parameters (the path is
// appended unquoted, as the dialog reads the rest of its command line).
constexpr const char* kOpenWithProgram = "rundll32.exe";
std::string OpenWithParameters(std::string_view path);

// ShellExecute's answer when no application is associated with the file (SE_ERR_NOASSOC).
constexpr int kNoAssociation = 31;

}  // namespace velmora
