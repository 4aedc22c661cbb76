// Shell file lists on the clipboard (CF_HDROP, nothing else) and in drops.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace velmora {

// Puts the paths on the clipboard as the only format; the clipboard owns the block from
// then on. False when there is no path, when a path is too long for the shell (a reader's
// MAX_PATH buffer would cut it) or the clipboard stayed busy. The owner must be a
// window of this thread: without one the clipboard refuses the data.
bool CopyPathsToClipboard(HWND owner, const std::vector<std::string>& paths);

// The CF_HDROP block of the paths: ANSI names while code page 932 spells every one of
// them, as always, else wide names. Empty when there is no path.
std::string FileListBlock(const std::vector<std::string>& paths);

// The names of a CF_HDROP block, wide names converted to code page 932. The block is read
// within its own size, whoever wrote it; a malformed one (its list offset inside its header
// or past its end) is refused whole, none of its names given.
struct ShellFileList {
  std::vector<std::string> paths;
  bool malformed = false;
};

// The clipboard's CF_HDROP; empty without one.
ShellFileList ReadClipboardFiles(HWND owner);
// Only the names: a malformed block gives none.
std::vector<std::string> ReadClipboardPaths(HWND owner);

// The clipboard holds a shell file list (the context menu's paste item shows).
bool ClipboardHasFiles();

// The names of a drop handle (the same block in the memory the handle is), each as long as it is.
ShellFileList DropFiles(HDROP drop);

// A shell drop received by WM_DROPFILES: the handle is released when this ends, whether
// the drop was taken or refused.
class ShellDrop {
 public:
  explicit ShellDrop(HDROP drop) : drop_(drop) {}
  ~ShellDrop() {
    if (drop_) DragFinish(drop_);
  }
  ShellDrop(const ShellDrop&) = delete;
  ShellDrop& operator=(const ShellDrop&) = delete;

  // Where the drop happened, in the client coordinates of the window that received it.
  POINT ClientPoint() const;
  ShellFileList Files() const { return DropFiles(drop_); }

 private:
  HDROP drop_;
};

}  // namespace velmora
