// Shell file lists on the clipboard (CF_HDROP with ANSI names, nothing else) and in drops.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace velmora {

// Puts the paths on the clipboard as the only format; the clipboard owns the block from
// then on. False when there is no path or the clipboard stayed busy. The owner must be a
// window of this thread: without one the clipboard refuses the data.
bool CopyPathsToClipboard(HWND owner, const std::vector<std::string>& paths);

// The names of the clipboard's CF_HDROP, wide names converted to code page 932; empty
// without one. The block is read within its own size, whoever wrote it.
std::vector<std::string> ReadClipboardPaths(HWND owner);

// The clipboard holds a shell file list (the context menu's paste item shows).
bool ClipboardHasFiles();

// Every name of a drop handle, each as long as it is.
std::vector<std::string> DropNames(HDROP drop);

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
  std::vector<std::string> Names() const { return DropNames(drop_); }

 private:
  HDROP drop_;
};

}  // namespace velmora
