// The binder tree's context menu: its items in order, and which show for the selected node
// and what the clipboard holds. Items that do not apply are hidden, never greyed.
#pragma once
#include <vector>

namespace velmora {

enum class TreeMenuItem {
  kOpen,
  kNewBinder,
  kAddFolder,
  kFolderList,
  kRename,
  kCopy,
  kPaste,
  kDelete,
  kSeparator,
};

struct TreeMenuEntry {
  TreeMenuItem item;
  const char* caption;  // the "&" letter is the access key; empty for a separator
  int image;            // index in the tree's picture list; -1 none
  int shortcutKey;      // Ctrl + this key while the tree has the focus; 0 none
};

// The items top to bottom, separators included.
const std::vector<TreeMenuEntry>& TreeMenuEntries();

// Level of the selected node: -1 none, 0 the root, 1 a binder, 2 a folder.
bool TreeMenuItemShown(TreeMenuItem item, int selectedLevel, bool clipboardHasFiles);

}  // namespace velmora
