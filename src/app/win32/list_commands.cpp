#include "app/win32/list_commands.h"

#include <utility>

#include "common/command_ids.h"
#include "win32/bulk_update.h"
#include "win32/clipboard_files.h"
#include "win32/command_menu.h"
#include "win32/label_edit.h"

namespace velmora {

ListCommands::ListCommands(Browser& browser, const ShellContext& shell, Prompter& prompter,
                           const Collation& collation)
    : browser_(browser), commands_(nullptr, shell, prompter, collation) {}

ListCommands::~ListCommands() { ReleaseMenu(); }

void ListCommands::SetOwner(HWND owner) {
  owner_ = owner;
  commands_.SetOwner(owner);
}

// ---- opening

void ListCommands::OpenRow(int row) {
  if (row < 0) return;
  const OpenResult result = commands_.Open(browser_.RowFullPath(row));
  if (result.kind == OpenResult::kEnterFolder) browser_.EnterFolder(row, result.path);
}

void ListCommands::OpenPath(const std::string& path) {
  if (path.empty()) return;
  const OpenResult result = commands_.Open(path);
  // The row is looked up now: rows may have moved since the menu opened.
  if (result.kind == OpenResult::kEnterFolder) browser_.EnterFolder(browser_.RowOfPath(path), result.path);
}

void ListCommands::OpenSelected() { OpenRow(browser_.listView().FirstSelected()); }

void ListCommands::OpenFromMenu() {
  if (browser_.listView().SelectedCount() == 1) {
    OpenPath(popupPath_);
  } else {
    browser_.ListFolder(browser_.currentFolder(), true);
  }
}

void ListCommands::OpenWith() { commands_.OpenWith(popupPath_); }

void ListCommands::ShowProperties() { commands_.ShowProperties(popupPath_); }

// ---- selection and the context menu

void ListCommands::SelectAll(bool invert) {
  HWND list = browser_.listView().hwnd();
  SetFocus(list);
  if (!invert) {
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    return;
  }
  const int count = browser_.listView().RowCount();
  for (int row = 0; row < count; ++row) {
    const bool selected = (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    ListView_SetItemState(list, row, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
  }
}

void ListCommands::MenuOpening(POINT listClient) {
  // The row under the point is taken now, by its path: the command runs later, when the
  // watch may have moved another row under that point.
  const int row = browser_.listView().RowAt(listClient);
  const FileRecord* record = browser_.RowRecord(row);
  popupPath_ = browser_.RowFullPath(row);
  menuState_ = ListMenuState();
  menuState_.rowUnderCursor = record != nullptr;
  menuState_.rowIsFile = record && record->isFile;
  menuState_.selectedCount = browser_.listView().SelectedCount();
  menuState_.clipboardHasFiles = ClipboardHasFiles();
  menuState_.folderListed = !browser_.currentFolder().empty();
}

void ListCommands::BindCommands(CommandTable& table) {
  table_ = &table;
  using Action = void (ListCommands::*)();
  const std::pair<int, Action> actions[] = {
      {IDM_LIST_OPEN, &ListCommands::OpenFromMenu},   {IDM_LIST_OPEN_WITH, &ListCommands::OpenWith},
      {IDM_LIST_COPY, &ListCommands::Copy},           {IDM_LIST_PASTE, &ListCommands::Paste},
      {IDM_LIST_NEW_FOLDER, &ListCommands::NewFolder}, {IDM_LIST_DELETE, &ListCommands::Delete},
      {IDM_LIST_PROPERTIES, &ListCommands::ShowProperties}, {IDM_LIST_RENAME, &ListCommands::RenameFocused},
  };
  for (const auto& action : actions) {
    const int id = action.first;
    const Action run = action.second;
    // Decided when the menu opens; the keys reach copy and paste whatever it showed.
    table.Bind(id, [this, run] { (this->*run)(); }, nullptr, [this, id] { return ListMenuItemShown(id, menuState_); });
  }
  table.Bind(IDM_LIST_OPEN_SELECTED, [this] { OpenSelected(); });
  table.Bind(IDM_LIST_PROPERTIES_FOCUSED, [this] { ShowFocusedProperties(); });
  table.Bind(IDM_SELECT_ALL, [this] { SelectAll(false); });
  table.Bind(IDM_INVERT_SELECTION, [this] { SelectAll(true); });
}

void ListCommands::ReleaseMenu() {
  if (!menu_) return;
  // The send-to submenu outlives the menus that show it.
  for (int i = GetMenuItemCount(menu_.get()) - 1; i >= 0; --i)
    if (GetSubMenu(menu_.get(), i) == sendToMenu_.get()) RemoveMenu(menu_.get(), static_cast<UINT>(i), MF_BYPOSITION);
  menu_.Reset();
}

HMENU ListCommands::BuildMenu(POINT listClient) {
  ReleaseMenu();
  MenuOpening(listClient);
  menu_.Reset(CreatePopupMenu());
  FillCommandMenu(menu_.get(), *table_, MenuId::kList, [this](HMENU menu, const Command& command) {
    if (command.id == IDM_LIST_SEND_TO) {
      if (sendToMenu_ && ListMenuItemShown(command.id, menuState_))
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sendToMenu_.get()), command.caption.c_str());
      return;
    }
    // Items that do not apply are left out, never greyed.
    if (command.run && table_->IsVisible(command.id)) AppendCommandItem(menu, command);
  });
  return menu_.get();
}

void ListCommands::ShowMenu(LPARAM at) {
  HWND list = browser_.listView().hwnd();
  POINT screen = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  POINT client = screen;
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: the menu of the focused row, below its label; with no row, of the
    // list's empty space at its corner.
    RECT r = {};
    const int row = KeyRow();
    client = {-1, -1};
    screen = {0, 0};
    if (row >= 0 && ListView_GetItemRect(list, row, &r, LVIR_LABEL)) {
      client = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      screen = {r.left, r.bottom};
    }
    ClientToScreen(list, &screen);
  } else {
    ScreenToClient(list, &client);
  }
  TrackContextMenu(BuildMenu(client), owner_, screen);
}

int ListCommands::KeyRow() const {
  HWND list = browser_.listView().hwnd();
  const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
  if (focused >= 0 && (ListView_GetItemState(list, focused, LVIS_SELECTED) & LVIS_SELECTED)) return focused;
  return browser_.listView().FirstSelected();
}

void ListCommands::ShowFocus() {
  HWND list = browser_.listView().hwnd();
  int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
  if (row < 0 && browser_.listView().RowCount() > 0) {
    row = browser_.listView().FirstSelected() >= 0 ? browser_.listView().FirstSelected() : 0;
    ListView_SetItemState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
  }
  if (row >= 0) ListView_EnsureVisible(list, row, FALSE);
}

void ListCommands::RenameFocused() {
  const int row = KeyRow();
  if (row < 0) return;
  SetFocus(browser_.listView().hwnd());
  ListView_EditLabel(browser_.listView().hwnd(), row);
}

void ListCommands::ShowFocusedProperties() {
  const int row = KeyRow();
  if (row >= 0) commands_.ShowProperties(browser_.RowFullPath(row));
}

// ---- clipboard and drops

void ListCommands::Copy() { commands_.CopyToClipboard(browser_.SelectedPaths()); }

void ListCommands::Paste() {
  const std::string first = browser_.RowFullPath(browser_.listView().FirstSelected());
  ApplyCopy(commands_.Paste(first, browser_.currentFolder()));
}

void ListCommands::ApplyCopy(const CopyResult& result) {
  // The rows come from the copies themselves: a copy that was cancelled or failed adds
  // nothing for a file that is not there.
  if (!result.intoListedFolder || result.targets.empty()) return;
  BulkUpdate update(browser_.listView().hwnd());
  browser_.RefreshEntries(result.targets);
}

void ListCommands::HandleShellDrop(HDROP handle) {
  ShellFileList files;
  {
    ShellDrop drop(handle);
    HWND target = ChildWindowFromPointEx(owner_, drop.ClientPoint(), CWP_SKIPDISABLED | CWP_SKIPINVISIBLE);
    // Drops on the tree register folders, which comes with the binder commands.
    if (target != browser_.listView().hwnd() || browser_.currentFolder().empty()) return;
    files = drop.Files();
  }
  // Whatever row the files fell on, they go into the listed folder.
  if (!files.malformed) browser_.listView().DeselectAll();
  ApplyCopy(commands_.DropInto(browser_.currentFolder(), files));
}

// ---- delete, rename, new folder

void ListCommands::Delete() {
  const std::vector<std::string> paths = browser_.SelectedPaths();
  if (paths.empty()) return;
  const DeleteResult result = commands_.Delete(paths);
  if (result.outcome == DeleteOutcome::kUnchanged) return;
  BulkUpdate update(browser_.listView().hwnd());
  browser_.RemoveRows(result.gone);
  browser_.RefreshEntries(result.remaining);
}

void ListCommands::LabelEdited(int row, const char* text) {
  const FileRecord* edited = browser_.RowRecord(row);
  if (!text || !edited) return;
  RenameRequest request;
  request.editedPath = browser_.RowFullPath(row);
  request.editedCaption = edited->name;
  request.typed = text;
  for (int selected : browser_.listView().SelectedRows()) request.selectedPaths.push_back(browser_.RowFullPath(selected));
  const RenameResult result = commands_.Rename(request);
  // Applied by path: while a prompt was up the watch may have moved the rows.
  std::vector<std::string> sources;
  for (const RenamedItem& item : result.renamed) sources.push_back(item.source);
  const std::vector<int> rows = browser_.RowsOfPaths(sources);
  for (std::size_t i = 0; i < result.renamed.size(); ++i) {
    const RenamedItem& item = result.renamed[i];
    if (rows[i] < 0) continue;
    browser_.ChangeRecord(rows[i], [&](FileRecord& record) {
      ApplyRename(record, item.target, browser_.rootFolder());
      if (item.extensionChanged) record.iconIndex = browser_.shellInfo().GetShellFileInfo(item.target).icon;
    });
  }
  if (result.unselectEdited) {
    const int editedRow = browser_.RowOfPath(request.editedPath);
    if (editedRow >= 0) ListView_SetItemState(browser_.listView().hwnd(), editedRow, 0, LVIS_SELECTED);
  }
}

void ListCommands::NewFolder() {
  const std::string path = commands_.CreateNewFolder(browser_.currentFolder());
  if (path.empty()) return;
  browser_.RefreshEntries({path});
  const int row = browser_.RowOfPath(path);
  if (row < 0) return;
  FileListView& list = browser_.listView();
  list.DeselectAll();
  list.SelectRow(row, true);
  // The user types the name at once; ending the edit renames every selected row.
  SetFocus(list.hwnd());
  ListView_EditLabel(list.hwnd(), row);
}

LRESULT ListCommands::OnNotify(NMHDR* header, const std::function<void()>& beginDrag,
                               const std::function<void()>& selectionChanged) {
  LRESULT result = 0;
  if (browser_.listView().HandleNotify(header, result)) return result;
  std::string text;
  switch (header->code) {
    case LVN_COLUMNCLICK: browser_.ColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
    case NM_DBLCLK: OpenSelected(); return 0;
    case LVN_BEGINDRAG: beginDrag(); return 0;
    case LVN_ITEMCHANGED: {
      // However the selection moved (mouse, arrow keys, a program), the pane follows it.
      const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) && (change->iItem < 0 || ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)))
        selectionChanged();
      return 0;
    }
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      const bool typed = EditedLabel<NMLVDISPINFOA, NMLVDISPINFOW>(header, header->code == LVN_ENDLABELEDITW, text,
                                                                   ListView_GetEditControl(browser_.listView().hwnd()));
      // The row sits at the same place in both forms.
      LabelEdited(reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem, typed ? text.c_str() : nullptr);
      // Changes on disk waited while the label was edited.
      browser_.ApplyWaitingChanges();
      return FALSE;
    }
    default: return 0;
  }
}

}  // namespace velmora
