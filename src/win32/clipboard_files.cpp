#include "win32/clipboard_files.h"

#include <cstring>

#include "common/path_lists.h"
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

// A global memory block locked for the life of the object, unlocked on every path.
class LockedBlock {
 public:
  explicit LockedBlock(HANDLE memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~LockedBlock() {
    if (data_) GlobalUnlock(memory_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const void* data() const { return data_; }
  std::size_t size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HANDLE memory_;
  void* data_;
};

// A CF_HDROP block, from the clipboard or behind a drop handle.
ShellFileList ReadFileListBlock(HANDLE memory) {
  ShellFileList files;
  const LockedBlock block(memory);
  if (!block.data()) return files;
  auto names = ParseDropFilesBlock(block.data(), block.size());
  if (!names) {
    files.malformed = true;
  } else if (names->wide) {
    for (const std::u16string& name : names->utf16)
      files.paths.push_back(WideToAnsi(reinterpret_cast<const wchar_t*>(name.c_str()), static_cast<int>(name.size())));
  } else {
    files.paths = std::move(names->ansi);
  }
  return files;
}

}  // namespace

bool CopyPathsToClipboard(HWND owner, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (PathTooLong(path)) return false;
  }
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

ShellFileList ReadClipboardFiles(HWND owner) {
  ShellFileList files;
  if (!ClipboardHasFiles()) return files;
  ClipboardSession clipboard(owner);
  if (!clipboard.open()) return files;
  return ReadFileListBlock(GetClipboardData(CF_HDROP));
}

std::vector<std::string> ReadClipboardPaths(HWND owner) { return ReadClipboardFiles(owner).paths; }

bool ClipboardHasFiles() { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }

ShellFileList DropFiles(HDROP drop) { return ReadFileListBlock(drop); }

POINT ShellDrop::ClientPoint() const {
  POINT point = {0, 0};
  if (drop_) DragQueryPoint(drop_, &point);
  return point;
}

}  // namespace velmora
