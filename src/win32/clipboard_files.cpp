#include "win32/clipboard_files.h"

#include <cstring>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/owned_handle.h"
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

// A CF_HDROP block, from the clipboard or behind a drop handle.
ShellFileList ReadFileListBlock(HANDLE memory) {
  ShellFileList files;
  const GlobalLockGuard block(memory);
  if (!block.data()) return files;
  auto names = ParseDropFilesBlock(block.data(), block.size());
  if (!names) {
    files.malformed = true;
  } else if (names->wide) {
    for (const std::u16string& name : names->utf16)
      files.paths.push_back(WideToAnsi(reinterpret_cast<const wchar_t*>(name.c_str()), static_cast<int>(name.size())));
  } else {
    // Another program's bytes: a name holding the mark byte is refused, never read as a mark.
    for (std::string& name : names->ansi)
      if (PassesOutsideGate(name)) files.paths.push_back(std::move(name));
  }
  return files;
}

}  // namespace

std::string FileListBlock(const std::vector<std::string>& paths) {
  bool spellable = true;
  for (const std::string& path : paths) spellable = spellable && IsSpellable(path);
  if (spellable) return BuildDropFilesBlock(PathText(paths));
  std::vector<std::u16string> names;
  for (const std::string& path : paths) {
    const std::wstring wide = AnsiToWide(path);
    names.emplace_back(wide.begin(), wide.end());
  }
  return BuildWideDropFilesBlock(names);
}

bool CopyPathsToClipboard(HWND owner, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (PathTooLong(path)) return false;
  }
  const std::string block = FileListBlock(paths);
  if (block.empty()) return false;
  OwnedGlobal memory = GlobalCopy(block.data(), block.size());
  if (!memory) return false;
  ClipboardSession clipboard(owner);
  if (!clipboard.open() || !EmptyClipboard() || !SetClipboardData(CF_HDROP, memory.get())) return false;
  memory.Release();  // the clipboard's now
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
