#include "browse/win32/shell_file_info.h"

#include <shellapi.h>

#include "win32/com_ptr.h"
#include "win32/strings.h"
#include "browse/file_record.h"
#include "text/cp932.h"
#include "win32/strings.h"

namespace velmora {

std::string StrRetToAnsi(STRRET& value, LPCITEMIDLIST item, IMalloc* allocator) {
  switch (value.uType) {
    case STRRET_WSTR: {
      std::string text = WideToAnsi(value.pOleStr);
      if (value.pOleStr) {
        if (allocator)
          allocator->Free(value.pOleStr);
        else
          CoTaskMemFree(value.pOleStr);
        value.pOleStr = nullptr;
      }
      return text;
    }
    case STRRET_OFFSET:
      return item ? std::string(reinterpret_cast<const char*>(item) + value.uOffset) : std::string();
    case STRRET_CSTR:
      return std::string(value.cStr);
    default:
      return std::string();
  }
}

ShellItemInfo ShellFileInfo::GetShellFileInfo(const std::string& fullPath) {
  if (systemLevel_ == 0 || !shell_ || !shell_->desktop() || !shell_->allocator())
    return GetFileInfoBySHGetFileInfo(fullPath);
  IMalloc* allocator = shell_->allocator();

  std::string parent = ParentFolder(fullPath);
  if (parent.empty()) parent = fullPath;
  ShellItemInfo result;

  IShellFolder* folder = BindParent(parent);
  if (folder) {
    std::wstring name;
    ItemIdList owned;
    if (PathFitsShell(fullPath) && PathToWide(LastComponent(fullPath), name) && !name.empty() &&
        SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, owned.put(), nullptr)) && owned) {
      LPITEMIDLIST item = owned.get();
      LPCITEMIDLIST items[1] = {item};
      STRRET display = {};
      if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &display))) {
        result.displayName = StrRetToAnsi(display, item, allocator);
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_SHARE | SFGAO_LINK;
        if (SUCCEEDED(folder->GetAttributesOf(1, items, &attributes))) {
          ComPtr<IShellFolder2> folder2;
          if (SUCCEEDED(folder->QueryInterface(IID_IShellFolder2, folder2.put_void()))) {
            SHELLDETAILS details = {};
            if (SUCCEEDED(folder2->GetDetailsOf(item, 2, &details)))
              result.typeName = StrRetToAnsi(details.str, item, allocator);
          }
          if (!result.displayName.empty() && !result.typeName.empty()) {
            result.overlayIndex = ShellOverlayIndex((attributes & SFGAO_FOLDER) || IsExistingFolder(fullPath),
                                                 (attributes & SFGAO_SHARE) != 0, (attributes & SFGAO_LINK) != 0);
            ComPtr<IShellIcon> shellIcon;
            if (SUCCEEDED(folder->QueryInterface(IID_IShellIcon, shellIcon.put_void()))) {
              int index = -1;
              if (SUCCEEDED(shellIcon->GetIconOf(item, 0, &index))) result.icon = index;
            }
          }
        }
      }
    }
  }
  // Without an icon the shell's plain query answers for the whole item.
  if (result.icon == -1) return GetFileInfoBySHGetFileInfo(fullPath);
  return result;
}

IShellFolder* ShellFileInfo::BindParent(const std::string& parent) {
  if (cachedFolder_ && parent == cachedParent_) return cachedFolder_.get();
  ResetCache();
  cachedFolder_ = shell_->BindToFolder(parent);
  if (cachedFolder_) cachedParent_ = parent;
  return cachedFolder_.get();
}

void ShellFileInfo::ResetCache() {
  cachedFolder_.Reset();
  cachedParent_.clear();
}

ShellItemInfo ShellFileInfo::GetFileInfoBySHGetFileInfo(const std::string& fullPath) {
  const std::wstring widePath = AnsiToWide(fullPath);
  SHFILEINFOW info = {};
  SHGetFileInfoW(widePath.c_str(), 0, &info, sizeof(info),
                 SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES | SHGFI_TYPENAME | SHGFI_DISPLAYNAME);
  const bool found = info.szTypeName[0] != '\0' || info.szDisplayName[0] != '\0';
  ShellItemInfo result;
  const bool folder = (found && (info.dwAttributes & SFGAO_FOLDER)) || IsExistingFolder(fullPath);
  if (found)
    result.overlayIndex = ShellOverlayIndex(folder, (info.dwAttributes & SFGAO_SHARE) != 0, (info.dwAttributes & SFGAO_LINK) != 0);
  if (folder) {
    if (!found) {
      info = SHFILEINFOW{};
      SHGetFileInfoW(widePath.c_str(), FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                     SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    }
  } else if (!found) {
    const std::wstring pattern = L"*" + AnsiToWide(FileExtension(fullPath));
    info = SHFILEINFOW{};
    SHGetFileInfoW(pattern.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
  }
  result.icon = info.iIcon;
  result.typeName = WideToAnsi(info.szTypeName);
  result.displayName = WideToAnsi(info.szDisplayName);
  return result;
}

}  // namespace velmora
