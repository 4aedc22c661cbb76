// The binder tree's context menu: which of its commands show for the selected node and what
// the clipboard holds. Items that do not apply are hidden, never greyed.
#pragma once

namespace velmora {

// commandId: one of the menu's commands (IDM_TREE_..., IDM_NEW_BINDER). Level of the
// selected node: -1 none, 0 the root, 1 a binder, 2 a folder.
bool TreeMenuItemShown(int commandId, int selectedLevel, bool clipboardHasFiles);

}  // namespace velmora
