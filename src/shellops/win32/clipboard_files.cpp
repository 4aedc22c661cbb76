#include "shellops/win32/clipboard_files.h"

#include <cstring>

#include "shellops/path_lists.h"
#include "win32/strings.h"

namespace velmora {

namespace {

// The clipboard for the life of the object. Another program may hold it for a moment, so
// opening is tried a few times before giving up.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) {
    for (int attempt = 0; attempt < 20 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

bool CopyPathsToClipboard(HWND owner, const std::vector<std::string>& paths) {
  const std::string block = BuildDropFilesBlock(PathText(paths));
  if (block.empty()) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, block.size());
  if (!memory) return false;
  void* data = GlobalLock(memory);
  if (!data) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(data, block.data(), block.size());
  GlobalUnlock(memory);
  ClipboardSession clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard() || !SetClipboardData(CF_HDROP, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

std::vector<std::string> ReadClipboardPaths(HWND owner) {
  std::vector<std::string> paths;
  if (!ClipboardHasFiles()) return paths;
  ClipboardSession clipboard(owner);
  if (!clipboard.open()) return paths;
  HANDLE memory = GetClipboardData(CF_HDROP);
  if (!memory) return paths;
  const void* data = GlobalLock(memory);
  if (!data) return paths;
  auto names = ParseDropFilesBlock(data, GlobalSize(memory));
  if (names && names->wide) {
    for (const std::u16string& name : names->utf16)
      paths.push_back(WideToAnsi(reinterpret_cast<const wchar_t*>(name.c_str()), static_cast<int>(name.size())));
  } else if (names) {
    paths = std::move(names->ansi);
  }
  GlobalUnlock(memory);
  return paths;
}

bool ClipboardHasFiles() { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }

std::vector<std::string> DropNames(HDROP drop) {
  std::vector<std::string> names;
  if (!drop) return names;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::string name(length + 1, '\0');
    name.resize(DragQueryFileA(drop, i, &name[0], length + 1));
    names.push_back(std::move(name));
  }
  return names;
}

POINT ShellDrop::ClientPoint() const {
  POINT point = {0, 0};
  if (drop_) DragQueryPoint(drop_, &point);
  return point;
}

}  // namespace velmora
