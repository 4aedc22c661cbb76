// The file list's context menu: its items in order, and which of them show for what lies
// under the cursor, what is selected and what the clipboard holds. Items that do not apply
// are hidden, never greyed.
#pragma once
#include <vector>

namespace velmora {

enum class ListMenuItem {
  kOpen,        // Open1
  kOpenWith,    // H1
  kSendTo,      // SendToMenu
  kCopy,        // Copy1
  kPaste,       // Paste1
  kNewFolder,   // N7
  kDelete,      // Delete2
  kProperties,  // Property1
  kSeparator,
};

struct ListMenuEntry {
  ListMenuItem item;
  const char* caption;   // the "&" letter is the access key; empty for a separator
  int image;             // index in the tree's picture list; -1 none
  const char* shortcut;  // shown beside the caption; empty when none
};

// The items top to bottom, separators included.
const std::vector<ListMenuEntry>& ListMenuEntries();

// What the menu looks at when it opens.
struct ListMenuState {
  bool rowUnderCursor = false;  // a row lies under the point where the menu opened
  bool rowIsFile = false;       // and that row is a file
  int selectedCount = 0;
  bool clipboardHasFiles = false;  // CF_HDROP is on the clipboard
  bool folderListed = false;       // the listed folder is not empty
};

bool ListMenuItemShown(ListMenuItem item, const ListMenuState& state);

}  // namespace velmora
