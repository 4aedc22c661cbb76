// The shell's view of one path: system icon index, type name, display name and overlay.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "win32/com_ptr.h"
#include "win32/shell_context.h"

namespace velmora {

// What one query tells of an item.
struct ShellItemInfo {
  int icon = -1;  // system image list index
  std::string typeName;
  std::string displayName;
  int overlayIndex = -1;  // -1 none, 0 shared folder, 1 shortcut
};

class ShellFileInfo {
 public:
  // The shell context outlives this object.
  void SetUp(const ShellContext* shell, int systemLevel) {
    shell_ = shell;
    systemLevel_ = systemLevel;
  }

  // Asks the item's parent shell folder; falls back to SHGetFileInfoA.
  ShellItemInfo GetShellFileInfo(const std::string& fullPath);
  ShellItemInfo GetFileInfoBySHGetFileInfo(const std::string& fullPath);
  // Forgets the parent folder kept between calls; before a new listing and before COM ends.
  void ResetCache();

 private:
  IShellFolder* BindParent(const std::string& parent);

  const ShellContext* shell_ = nullptr;
  // The rows of a listing share their parent: binding it once spares a parse and a bind per
  // row (the bind reads the whole folder on some shells).
  std::string cachedParent_;
  ComPtr<IShellFolder> cachedFolder_;
  int systemLevel_ = 2;
};

// STRRET as ANSI text; a wide string the shell allocated is freed with the allocator.
std::string StrRetToAnsi(STRRET& value, LPCITEMIDLIST item, IMalloc* allocator);

}  // namespace velmora
