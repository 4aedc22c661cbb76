// The tree's side of the binder commands: nodes added after a command changed the store.
#include "binders/binder_commands.h"
#include "binders/win32/binder_tree.h"
#include "common/collation.h"

namespace velmora {

HTREEITEM BinderTree::FindBinder(const std::string& title) const {
  HTREEITEM root = Root();
  if (!root) return nullptr;
  HTREEITEM folded = nullptr;
  for (HTREEITEM b = TreeView_GetChild(tree_, root); b; b = TreeView_GetNextSibling(tree_, b)) {
    const std::string text = Text(b);
    if (text == title) return b;
    if (!folded && collation_.CompareIgnoreCase(text, title) == 0) folded = b;
  }
  return folded;
}

HTREEITEM BinderTree::ApplyChange(const TreeChange& change) {
  if (!change.happened) return nullptr;
  HTREEITEM binder = FindBinder(change.binder);
  if (!binder && change.binderAdded) {
    HTREEITEM root = Root();
    if (!root) return nullptr;
    binder = InsertBinder(root, change.binder);
  }
  if (!binder) return nullptr;
  ShowFolders(binder);
  HTREEITEM select = change.selectPath.empty() ? binder : nullptr;
  for (const FolderEntry& folder : change.foldersAdded) {
    HTREEITEM node = InsertFolder(binder, folder);
    if (!select && folder.path == change.selectPath) select = node;
  }
  Sort();
  if (!change.selectAndList) return nullptr;
  if (!select) {
    // A folder the binder held already: its existing node.
    for (HTREEITEM f = TreeView_GetChild(tree_, binder); f && !select; f = TreeView_GetNextSibling(tree_, f)) {
      const std::string* path = FolderPath(f);
      if (path && collation_.CompareIgnoreCase(*path, change.selectPath) == 0) select = f;
    }
    if (!select) select = binder;
  }
  TreeView_SelectItem(tree_, select);
  return select;
}

}  // namespace velmora
