#include "binders/win32/binder_actions.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <utility>

#include "binders/folder_list.h"
#include "binders/tree_menu.h"
#include "binders/win32/folder_list_dialog.h"
#include "common/command_ids.h"
#include "common/path_lists.h"
#include "store/binder_store.h"
#include "win32/owned_handle.h"
#include "win32/strings.h"
#include "win32/clipboard_files.h"
#include "win32/command_menu.h"
#include "win32/label_edit.h"

namespace velmora {

namespace {
int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM, LPARAM) {
  // The process's current directory is the browser's first selection.
  if (msg == BFFM_INITIALIZED) {
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(current));
  }
  return 0;
}
}  // namespace

BinderActions::BinderActions(BinderActionsHost& host, BinderTree& tree, BinderStore& store, const Collation& collation,
                             Prompter& prompter)
    : host_(host),
      tree_(tree),
      store_(store),
      collation_(collation),
      prompter_(prompter),
      commands_(store, collation, folders_) {
  folders_.ResolveShortcutsWith(shellLink_);
  browseForFolder = [this] { return BrowseForFolder(); };
}

int BinderActions::SelectedLevel() const {
  HTREEITEM selected = tree_.Selected();
  return selected ? tree_.Level(selected) : -1;
}

void BinderActions::BindCommands(CommandTable& table) {
  table_ = &table;
  using Action = void (BinderActions::*)();
  const std::pair<int, Action> actions[] = {
      {IDM_TREE_OPEN, &BinderActions::OpenFolder},         {IDM_NEW_BINDER, &BinderActions::NewBinder},
      {IDM_TREE_ADD_FOLDER, &BinderActions::AddFolder},    {IDM_TREE_FOLDER_LIST, &BinderActions::ShowFolderList},
      {IDM_TREE_RENAME, &BinderActions::StartRename},      {IDM_TREE_COPY, &BinderActions::Copy},
      {IDM_TREE_PASTE, &BinderActions::Paste},             {IDM_TREE_DELETE, &BinderActions::Delete},
  };
  for (const auto& action : actions) {
    const int id = action.first;
    const Action run = action.second;
    table.Bind(id, [this, run] { (this->*run)(); }, nullptr,
               [this, id] { return TreeMenuItemShown(id, SelectedLevel(), ClipboardHasFiles()); });
  }
  table.Bind(IDM_EXPAND_ALL, [this] { tree_.ExpandAll(); });
  table.Bind(IDM_EXPAND_BINDERS, [this] { CollapseAll(true); });
  table.Bind(IDM_COLLAPSE_ALL, [this] { CollapseAll(false); });
}

void BinderActions::CollapseAll(bool keepRootOpen) {
  tree_.CollapseAll();
  host_.ListSelectedNode();
  if (keepRootOpen) tree_.ExpandRoot();
}

HMENU BinderActions::BuildMenu() const {
  HMENU menu = CreatePopupMenu();
  FillCommandMenu(menu, *table_, MenuId::kTree, [this](HMENU into, const Command& command) {
    // Items that do not apply are left out, never greyed.
    if (command.run && table_->IsVisible(command.id)) AppendCommandItem(into, command);
  });
  return menu;
}

void BinderActions::ShowMenu(LPARAM at) {
  POINT screen = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: the menu of the selected node, below it.
    RECT r = {};
    HTREEITEM selected = tree_.Selected();
    if (selected && TreeView_GetItemRect(tree_.hwnd(), selected, &r, TRUE)) screen = {r.left, r.bottom};
    else screen = {0, 0};
    ClientToScreen(tree_.hwnd(), &screen);
  } else {
    // As in the shell's trees, the node under the pointer becomes the selection first, so
    // that the menu and its commands are that node's; away from every node there is none.
    POINT client = screen;
    ScreenToClient(tree_.hwnd(), &client);
    HTREEITEM node = tree_.RowAt(client);
    if (!node) return;
    if (node != tree_.Selected()) {
      tree_.Select(node);
      host_.ListSelectedNode();
    }
  }
  OwnedMenu menu(BuildMenu());
  TrackContextMenu(menu.get(), owner_, screen);
}

void BinderActions::OpenFolder() {
  const std::string folder = host_.ListedFolder();
  if (!tree_.FolderPath(tree_.Selected()) || folder.empty()) return;
  // Wide, so that a folder the code page cannot spell reaches the shell by its own name.
  const std::wstring file = AnsiToWide(folder);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.hwnd = owner_;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOW;
  shellExecute(info);
}

void BinderActions::ShowFolderList() {
  HTREEITEM binder = tree_.Selected();
  if (!binder || tree_.Level(binder) != 1) return;
  const std::string title = tree_.Text(binder);
  FolderListEdit edit(store_, title, collation_);
  TFolderListDlg dialog(owner_, edit, title, host_.SmallSystemImages());
  if (dialog.ShowModal() != IDOK) return;
  // Byte for byte, as the dialog removed them from the store.
  tree_.ShowFolders(binder);
  for (const std::string& path : dialog.applied()) {
    for (HTREEITEM f = TreeView_GetChild(tree_.hwnd(), binder); f; f = TreeView_GetNextSibling(tree_.hwnd(), f)) {
      const std::string* own = tree_.FolderPath(f);
      if (own && *own == path) {
        tree_.DeleteNode(f);
        break;
      }
    }
  }
}

void BinderActions::Apply(const TreeChange& change) {
  if (tree_.ApplyChange(change)) host_.ListSelectedNode();
}

void BinderActions::NewBinder() {
  std::string name;
  if (!prompter_.AskText(kNewBinderPrompt, kNewBinderCaption, name)) return;
  const TreeChange change = commands_.NewBinder(name, prompter_);
  // The new binder is selected without listing: the list keeps what it shows.
  tree_.ApplyChange(change);
  if (HTREEITEM binder = change.happened ? tree_.FindBinder(change.binder) : nullptr) {
    tree_.Select(binder);
    // Shown in the selection's own colour rather than the pale one of an unfocused tree.
    SetFocus(tree_.hwnd());
  }
}

void BinderActions::StartRename() {
  HTREEITEM selected = tree_.Selected();
  if (selected && tree_.Level(selected) == 1) TreeView_EditLabel(tree_.hwnd(), selected);
}

bool BinderActions::EndRename(HTREEITEM item, const char* text) {
  if (!item || !text || tree_.Level(item) != 1) return false;
  const TreeChange change = commands_.Rename(tree_.Text(item), text, prompter_);
  if (!change.happened) return false;
  tree_.SetText(item, change.binder);
  for (const FolderEntry& folder : change.foldersAdded)
    if (!tree_.FindFolder(item, folder.path)) tree_.AddFolderNode(item, folder);
  return true;
}

void BinderActions::Delete() {
  HTREEITEM selected = tree_.Selected();
  if (!selected || TreeView_GetEditControl(tree_.hwnd())) return;
  const int level = tree_.Level(selected);
  if (level == 1) {
    const bool hasFolders = tree_.HasFolders(selected);
    if (!commands_.DeleteBinder(tree_.Text(selected), hasFolders, prompter_)) return;
    tree_.DeleteNode(selected);
    tree_.Select(tree_.Root());
  } else if (level == 2) {
    const std::string* path = tree_.FolderPath(selected);
    HTREEITEM binder = TreeView_GetParent(tree_.hwnd(), selected);
    if (!path || !commands_.RemoveFolder(tree_.Text(binder), *path, prompter_)) return;
    tree_.Select(binder);
    tree_.DeleteNode(selected);
    host_.ListSelectedNode();
  }
}

std::string BinderActions::BrowseForFolder() {
  BROWSEINFOA info = {};
  info.hwndOwner = owner_;
  info.lpszTitle = kAddFolderBrowseTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &BrowseCallback;
  ItemIdList chosen(SHBrowseForFolderA(&info));
  if (!chosen) return std::string();
  // Wide, so that a folder the code page cannot spell comes back as itself and is refused.
  wchar_t path[MAX_PATH] = L"";
  return SHGetPathFromIDListW(chosen.get(), path) ? WideToAnsi(path) : std::string();
}

void BinderActions::AddFolder() {
  HTREEITEM selected = tree_.Selected();
  if (!selected || tree_.Level(selected) != 1) return;
  const std::string path = browseForFolder ? browseForFolder() : std::string();
  if (path.empty()) return;
  const std::string binder = tree_.Text(selected);
  Apply(commands_.RegisterFolder(std::string(), path, &binder, prompter_));
}

void BinderActions::Copy() {
  if (SelectedLevel() != 2) return;
  const std::string folder = host_.ListedFolder();
  if (folder.empty() || RefuseTooLongPaths({folder}, prompter_, kFileCommandCaption)) return;
  CopyPathsToClipboard(owner_, {folder});
}

void BinderActions::Paste() {
  HTREEITEM selected = tree_.Selected();
  if (!selected || tree_.Level(selected) != 1 || !ClipboardHasFiles()) return;
  const ShellFileList files = ReadClipboardFiles(owner_);
  if (files.malformed) prompter_.Message(kMalformedPasteText, kFileCommandCaption);
  RegisterInto(selected, files.paths);
}

void BinderActions::RegisterInto(HTREEITEM binder, const std::vector<std::string>& paths) {
  if (!binder || tree_.Level(binder) != 1 || paths.empty()) return;
  const TreeChange change = commands_.RegisterFolders(tree_.Text(binder), PathText(paths));
  if (!change.unspellable.empty())
    prompter_.Message(UnspellableFolderText(change.unspellable), kUnspellableFolderCaption);
  Apply(change);
}

bool BinderActions::AcceptsDragAt(POINT treeClient) const {
  HTREEITEM node = tree_.NodeAt(treeClient);
  return node && tree_.Level(node) == 1;
}

void BinderActions::DropOnTree(POINT treeClient, const std::vector<std::string>& names) {
  HTREEITEM node = tree_.NodeAt(treeClient);
  if (!node || tree_.Level(node) != 1) return;
  tree_.Select(node);
  RegisterInto(node, names);
}

void BinderActions::HandleShellDrop(HDROP handle) {
  ShellFileList files;
  POINT at;
  {
    ShellDrop drop(handle);
    at = drop.ClientPoint();
    files = drop.Files();
  }
  if (files.malformed) {
    prompter_.Message(kMalformedDropText, kFileCommandCaption);
    return;
  }
  MapWindowPoints(owner_, tree_.hwnd(), &at, 1);
  DropOnTree(at, files.paths);
}

void BinderActions::DragOnto(POINT treeClient, const std::vector<std::string>& paths) {
  // The dragged folders are copied into the binder; a folder node keeps its own binder.
  DropOnTree(treeClient, paths);
}

LRESULT BinderActions::OnNotify(NMHDR* header) {
  LRESULT result = 0;
  if (tree_.HandleNotify(header, result)) return result;
  std::string text;
  switch (header->code) {
    case NM_CLICK:
      // The control changes its selection after this notification; the listing follows
      // the new selection, so it runs once the click has been handled.
      host_.TreeClicked();
      return 0;
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: host_.SelectionLeaving(); return FALSE;
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
      if (!EditedLabel<NMTVDISPINFOA, NMTVDISPINFOW>(header, header->code == TVN_ENDLABELEDITW, text,
                                                     TreeView_GetEditControl(tree_.hwnd())))
        return FALSE;
      return EndRename(reinterpret_cast<NMTVDISPINFOA*>(header)->item.hItem, text.c_str()) ? TRUE : FALSE;
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW: {
      // The node sits at the same place in the ANSI and the wide forms.
      HTREEITEM node = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem;
      if (tree_.FolderPath(node)) {
        TreeView_SelectItem(tree_.hwnd(), node);
        host_.BeginNodeDrag();
      }
      return 0;
    }
    case NM_DBLCLK: OpenFolder(); return 0;
    default: return 0;
  }
}

}  // namespace velmora
