#include "binders/win32/shell_folder_source.h"

#include <windows.h>

#include "win32/shell_link.h"
#include "win32/strings.h"

namespace velmora {

std::string ShellFolderSource::ResolveShortcut(const std::string& path) {
  std::string target;
  links_->GetLinkToPath(path, target, nullptr);
  return target;
}

bool ShellFolderSource::IsExistingFolder(const std::string& path) { return velmora::IsExistingFolder(path); }

bool ShellFolderSource::IsExistingFile(const std::string& path) { return velmora::IsExistingFile(path); }

std::string ShellFolderSource::FullPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : path;
}

}  // namespace velmora
