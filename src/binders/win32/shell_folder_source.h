// What the binder commands need from the file system, through the shell: shortcuts resolved
// without asking the user, existence of folders, full paths.
#pragma once
#include <string>

#include "binders/binder_commands.h"

namespace velmora {

class TShellLink;

class ShellFolderSource : public FolderSource {
 public:
  explicit ShellFolderSource(TShellLink& links) : links_(&links) {}
  std::string ResolveShortcut(const std::string& path) override;
  bool IsExistingFolder(const std::string& path) override;
  bool IsExistingFile(const std::string& path) override;
  std::string FullPath(const std::string& path) override;

 private:
  TShellLink* links_;
};

}  // namespace velmora
