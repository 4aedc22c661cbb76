#include "thumbs/win32/shell_thumbnail.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "text/cp932.h"
#include "win32/strings.h"

namespace velmora {

namespace {
// {BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}
const IID kIidExtractImage = {0xBB2E617C, 0x0920, 0x11d1, {0x9A, 0x0B, 0x00, 0xC0, 0x4F, 0xC2, 0xD6, 0xC1}};
}  // namespace

HBITMAP ExtractShellThumbnail(const ShellContext& shell, const std::string& path, int width, int height) {
  if (path.empty() || width <= 0 || height <= 0 || !shell.desktop()) return nullptr;
  const std::string folderPath = ParentFolder(path);
  const std::string name = LastComponent(path);
  if (folderPath.empty() || name.empty() || folderPath == path) return nullptr;
  // The whole path must fit the shell's buffers, not only its parts.
  std::wstring wideName;
  if (!PathFitsShell(path) || !PathToWide(name, wideName)) return nullptr;
  ComPtr<IShellFolder> folder = shell.BindToFolder(folderPath);
  if (!folder) return nullptr;
  ULONG eaten = 0;
  ItemIdList item;
  if (folder->ParseDisplayName(nullptr, nullptr, &wideName[0], &eaten, item.put(), nullptr) != S_OK)
    return nullptr;
  LPCITEMIDLIST items[1] = {item.get()};
  ComPtr<IExtractImage> extractor;
  if (folder->GetUIObjectOf(nullptr, 1, items, kIidExtractImage, nullptr, extractor.put_void()) != S_OK || !extractor)
    return nullptr;
  wchar_t location[MAX_PATH] = L"";
  DWORD priority = 0;
  SIZE size = {width, height};
  DWORD flags = IEIFLAG_ORIGSIZE | IEIFLAG_QUALITY;
  if (extractor->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags) != S_OK) return nullptr;
  HBITMAP bitmap = nullptr;
  if (extractor->Extract(&bitmap) != S_OK) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

}  // namespace velmora
