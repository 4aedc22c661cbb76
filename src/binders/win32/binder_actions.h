// The tree's commands on the real tree: new binder, rename, delete, add folder, copy, paste,
// shell drops and drags onto binder nodes. The decisions are the binder commands'; this
// object asks the user, applies their results to the tree and keeps the tree, the store and
// the list in step.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "binders/binder_commands.h"
#include "binders/win32/binder_tree.h"
#include "common/command_table.h"
#include "common/prompter.h"
#include "win32/shell_link.h"
#include "win32/win32_file_system.h"

namespace velmora {

// What the tree's commands ask of the window around them.
class BinderActionsHost {
 public:
  virtual ~BinderActionsHost() = default;
  // Lists the folder of the selected node (TreeView1Click).
  virtual void ListSelectedNode() = 0;
  // The folder the list shows now.
  virtual std::string ListedFolder() const = 0;
  // The shell's small icons, shared with the file list.
  virtual HIMAGELIST SmallSystemImages() const = 0;
  // A click on the tree: the control changes its selection after the notification, so the
  // listing follows once the click has been handled.
  virtual void TreeClicked() = 0;
  // The selection is about to leave its node: the list's selection there is kept.
  virtual void SelectionLeaving() = 0;
  // A folder node is dragged out; it is selected already.
  virtual void BeginNodeDrag() = 0;
};

class BinderActions {
 public:
  BinderActions(BinderActionsHost& host, BinderTree& tree, BinderStore& store, const Collation& collation,
                Prompter& prompter);

  void SetOwner(HWND owner) { owner_ = owner; }
  // The folder browser; tests put a stand-in here, the program shows the shell's.
  std::function<std::string()> browseForFolder;
  // The shell's open of a folder (ShellExecuteExW); tests watch what it is handed.
  std::function<bool(SHELLEXECUTEINFOW&)> shellExecute = [](SHELLEXECUTEINFOW& info) {
    return ShellExecuteExW(&info) != FALSE;
  };

  // Level of the selected node: -1 none, 0 root, 1 binder, 2 folder.
  int SelectedLevel() const;

  // Gives the tree's commands (its context menu, its keys and the tree bar's buttons) their
  // actions.
  void BindCommands(CommandTable& table);
  // The tree bar's collapse buttons: every node closes, the list follows the selection, and
  // with keepRootOpen the binders show again.
  void CollapseAll(bool keepRootOpen);
  // The context menu for the selected node: only the items that apply. The caller destroys
  // it.
  HMENU BuildMenu() const;
  // WM_CONTEXTMENU at a screen point, (-1, -1) from the keyboard.
  void ShowMenu(LPARAM at);

  // The tree's notifications: clicks, label edits, drags and double clicks.
  LRESULT OnNotify(NMHDR* header);
  // Opens the listed folder of a folder node in the shell (a double click, "開く(&O)").
  void OpenFolder();
  // "フォルダの一覧(&L)": the selected binder's folders; those removed there leave the tree.
  void ShowFolderList();

  void NewBinder();
  void StartRename();
  // A binder's label edit ended; true when the tree takes the new text.
  bool EndRename(HTREEITEM item, const char* text);
  void Delete();
  void AddFolder();
  void Copy();
  void Paste();
  // Names dropped from the shell at a point of the tree's client area: registered into the
  // binder under it; anywhere else nothing happens.
  void DropOnTree(POINT treeClient, const std::vector<std::string>& names);
  // WM_DROPFILES over the tree: the point is the owner's client point the drop names.
  void HandleShellDrop(HDROP drop);
  // Folders dragged inside the window onto the binder node under a point of the tree.
  void DragOnto(POINT treeClient, const std::vector<std::string>& paths);
  // Whether a drag may end over this point: only over a binder node.
  bool AcceptsDragAt(POINT treeClient) const;

  TShellLink& shellLink() { return shellLink_; }
  BinderCommands& commands() { return commands_; }

 private:
  // Applies a command's result: nodes added, the tree sorted, and the node to show listed.
  void Apply(const TreeChange& change);
  void RegisterInto(HTREEITEM binder, const std::vector<std::string>& paths);
  std::string BrowseForFolder();

  BinderActionsHost& host_;
  BinderTree& tree_;
  BinderStore& store_;
  const Collation& collation_;
  const CommandTable* table_ = nullptr;
  Prompter& prompter_;
  TShellLink shellLink_;  // ShellLink1
  Win32FileSystem folders_;
  BinderCommands commands_;
  HWND owner_ = nullptr;
};

}  // namespace velmora
