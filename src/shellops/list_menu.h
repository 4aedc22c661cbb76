// The file list's context menu: which of its commands show for what lies under the cursor,
// what is selected and what the clipboard holds. Items that do not apply are hidden, never
// greyed.
#pragma once

namespace velmora {

// What the menu looks at when it opens.
struct ListMenuState {
  bool rowUnderCursor = false;  // a row lies under the point where the menu opened
  bool rowIsFile = false;       // and that row is a file
  int selectedCount = 0;
  bool clipboardHasFiles = false;  // CF_HDROP is on the clipboard
  bool folderListed = false;       // the listed folder is not empty
};

// commandId: one of the menu's commands (IDM_LIST_...).
bool ListMenuItemShown(int commandId, const ListMenuState& state);

}  // namespace velmora
