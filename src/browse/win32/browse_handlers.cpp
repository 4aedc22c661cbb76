// The main window's folder browsing: listings, the worker's hand-over, navigation between
// tree and list, the view buttons and dragging rows out of the window.
#include <windows.h>
#include <mmsystem.h>
#include <ole2.h>
#include <shlobj.h>

#include "app/win32/control_ids.h"
#include "app/win32/orvik_binder.h"
#include "browse/navigation.h"
#include "browse/win32/drop_source.h"
#include "text/cp932.h"

namespace velmora {

namespace {
constexpr const char* kLimitText = "ファイル数が10000を超えましたので中断します。";
constexpr const char* kLimitCaption = "表示数の制限";
constexpr const char* kNotFoundMarker = "不明 > ";
}  // namespace

ListingOptions TOrvikBinder::CurrentListingOptions() const {
  ListingOptions options;
  options.systemLevel = systemLevel_;
  options.switches.system = SendMessageA(control(IDC_ATTR_S), BM_GETCHECK, 0, 0) == BST_CHECKED;
  options.switches.hidden = SendMessageA(control(IDC_ATTR_H), BM_GETCHECK, 0, 0) == BST_CHECKED;
  options.switches.readOnly = SendMessageA(control(IDC_ATTR_R), BM_GETCHECK, 0, 0) == BST_CHECKED;
  options.record.rootFolder = rootFolder_;
  options.record.dateSeparator = separators_.date;
  options.record.timeSeparator = separators_.time;
  options.record.defaultFileIcon = defaultFileIcon_;
  options.record.defaultFolderIcon = defaultFolderIcon_;
  return options;
}

void TOrvikBinder::ListFolder(const std::string& path, bool flat) {
  if (path.empty() || IsExistingFile(path)) return;
  StopFileInfoWorker();
  // A new listing sees the folder as it is now, not as a kept binding saw it.
  shellInfo_.ResetCache();
  flatListing_ = flat;
  {
    BulkUpdate update(listView_.hwnd());
    if (!flat) ClearFileRecords();
    hourglass_ = true;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    LeaveThumbnailMode(false);
    if (flat) {
      ListSelectedFoldersFlat();
    } else {
      Win32DirectoryPort port(systemLevel_);
      EnumerateFolder(path, port, CurrentListingOptions(), fileRecords_);
    }
    listView_.SetRowCount(static_cast<int>(fileRecords_.size()));
    listSort_.SortAfterListing(fileRecords_, collation_);
    completionCursor_ = 0;
    SetStatusText(0, std::to_string(fileRecords_.size()));
    SetStatusPath(path);
  }
  StartFileInfoWorker();
}

bool TOrvikBinder::ListSelectedFoldersFlat() {
  std::vector<std::string> folders;
  for (int row : listView_.SelectedRows()) {
    const std::string path = RowFullPath(row);
    if (IsExistingFolder(path)) folders.push_back(path);
  }
  if (folders.empty()) return false;
  ClearFileRecords();
  Win32DirectoryPort port(systemLevel_);
  const FlatListingResult result = CollectFilesFlat(folders, port, CurrentListingOptions(), fileRecords_);
  if (result.limitExceeded) prompter_->Message(kLimitText, kLimitCaption);
  return true;
}

void TOrvikBinder::ClearFileRecords() {
  // The row count reaches 0 first: the view asks for row data while it repaints.
  listView_.SetRowCount(0);
  UpdateWindow(listView_.hwnd());
  while (!fileRecords_.empty()) fileRecords_.pop_back();
  completionCursor_ = 0;
}

void TOrvikBinder::AddFileRecord(const std::string& fullPath, bool isFile, bool withShellInfo, int row,
                                 const FindEntry& entry) {
  Win32DirectoryPort port(systemLevel_);
  RecordContext context = CurrentListingOptions().record;
  const bool refresh = row >= 0 && static_cast<std::size_t>(row) < fileRecords_.size();
  std::unique_ptr<FileRecord> made;
  FileRecord* record = nullptr;
  if (refresh) {
    record = fileRecords_[static_cast<std::size_t>(row)].get();
    ApplyEntry(*record, entry, port.NameToAnsi(entry.name), fullPath, record->isFile,
               port.ToLocalFileTime(entry.lastWriteTime), context);
  } else {
    made = MakeListedRecord(entry, port.NameToAnsi(entry.name), fullPath, isFile,
                            port.ToLocalFileTime(entry.lastWriteTime), context);
    record = made.get();
  }
  if (withShellInfo) {
    record->iconIndex = shellInfo_.GetShellFileInfo(fullPath);
    record->overlayIndex = shellInfo_.lastOverlayIndex;
    record->typeText = shellInfo_.lastTypeName;
    if (refresh) listView_.SelectRow(row, false);
  } else {
    record->typeText.clear();
    record->iconIndex = record->isFile ? defaultFileIcon_ : defaultFolderIcon_;
    record->overlayIndex = -1;
  }
  if (made) fileRecords_.push_back(std::move(made));
}

std::string TOrvikBinder::RowFullPath(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= fileRecords_.size()) return std::string();
  return RecordFullPath(rootFolder_, fileRecords_[static_cast<std::size_t>(row)]->relativePath);
}

// ---- the worker

void TOrvikBinder::StartFileInfoWorker() {
  if (worker_) return;
  worker_ = std::make_unique<TFileInfoThread>(hwnd_, WM_APP_COMPLETE_RECORD, WM_APP_WORKER_DONE, ++workerCount_);
  if (!worker_->Start()) {
    worker_.reset();
    hourglass_ = false;
  }
}

void TOrvikBinder::StopFileInfoWorker() {
  stopThumbnails_ = true;
  if (!worker_) return;
  if (!worker_->finished) worker_->StopAndWait();
  worker_.reset();
}

LRESULT TOrvikBinder::CompleteRecord(LPARAM id) {
  if (!worker_ || worker_->id() != static_cast<unsigned>(id)) return 0;
  // Completion follows the records, not the row numbers: a sort in between must neither
  // leave a record with its placeholder nor complete one twice. A record is complete once
  // it has a type text, which the completion always gives.
  while (completionCursor_ < fileRecords_.size() && !fileRecords_[completionCursor_]->typeText.empty())
    ++completionCursor_;
  if (completionCursor_ >= fileRecords_.size()) return 0;
  const int row = static_cast<int>(completionCursor_);
  worker_->currentRow = row;
  FileRecord& record = *fileRecords_[completionCursor_];
  record.iconIndex = FillFileInfo(record.relativePath, record);
  ++completions_;
  listView_.RedrawRow(row);
  return 1;
}

int TOrvikBinder::FillFileInfo(const std::string& relativePath, FileRecord& record) {
  const int icon = shellInfo_.GetShellFileInfo(RecordFullPath(rootFolder_, relativePath));
  if (shellInfo_.lastTypeName.empty()) shellInfo_.lastTypeName = FallbackTypeText(record.name, record.isFile);
  record.typeText = shellInfo_.lastTypeName;
  if (shellInfo_.lastOverlayIndex != -1 && !shellInfo_.lastDisplayName.empty())
    record.overlayIndex = shellInfo_.lastOverlayIndex;
  return icon;
}

void TOrvikBinder::FileInfoWorkerDone(unsigned id) {
  if (worker_ && worker_->id() == id) worker_->finished = true;
  if (!worker_ || worker_->id() == id) {
    hourglass_ = false;
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x, p.y);  // lets the window under the mouse set its cursor again
  }
}

// ---- navigation

void TOrvikBinder::SetButtonEnabled(int id, bool enabled) {
  SendMessageA(control(IDC_LISTBAR), TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TOrvikBinder::IsButtonEnabled(int id) const {
  return SendMessageA(control(IDC_LISTBAR), TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

void TOrvikBinder::SetViewButtons(ViewStyle style) {
  static const int kButtons[] = {IDM_VIEW_ICON, IDM_VIEW_LIST, IDM_VIEW_DETAIL};
  for (int i = 0; i < 3; ++i)
    SendMessageA(control(IDC_LISTBAR), TB_CHECKBUTTON, static_cast<WPARAM>(kButtons[i]), MAKELPARAM(i == style, 0));
}

void TOrvikBinder::TreeView1Click() {
  StopFileInfoWorker();
  HTREEITEM node = tree_.Selected();
  const std::string* path = tree_.FolderPath(node);
  if (path) {
    if (rootFolder_ != *path || currentFolder_ != rootFolder_) {
      const std::string binder = tree_.Text(TreeView_GetParent(tree_.hwnd(), node));
      const std::string folder = *path;  // the node may change while the list is rebuilt
      const int style = store_.folders.ReadInteger(binder, folder, 0);
      {
        BulkUpdate update(listView_.hwnd());
        ClearFileRecords();
        if (style >= kIconView && style <= kDetailView) {
          listView_.SetViewStyle(static_cast<ViewStyle>(style));
          SetViewButtons(static_cast<ViewStyle>(style));
        }
      }
      SetButtonEnabled(IDM_THUMBNAILS, listView_.GetViewStyle() == kIconView);
      currentFolder_ = rootFolder_ = folder;
      OpenFolder(folder);
      listView_.DeselectAll();
      const std::string section = SelectionSection(binder, tree_.Text(node));
      if (store_.selections.SectionExists(section)) {
        std::vector<std::string> keys;
        store_.selections.ReadSectionKeys(section, keys);
        bool first = true;
        for (const std::string& key : keys) {
          SelectRowByName(key, first);
          first = false;
        }
      }
    }
  } else {
    {
      BulkUpdate update(listView_.hwnd());
      ClearFileRecords();
    }
    rootFolder_.clear();
    currentFolder_.clear();
    SetButtonEnabled(IDM_THUMBNAILS, false);
  }
  SetButtonEnabled(IDM_UP, false);
  std::string status = currentFolder_;
  if (!currentFolder_.empty() && !IsExistingFolder(currentFolder_)) status = kNotFoundMarker + currentFolder_;
  SetStatusPath(status);
}

void TOrvikBinder::OpenFolder(const std::string& path) {
  // The program's own quiet sound beside the executable; asked for as an alias it would be
  // the system's default beep on every listing wherever no alias of that name is set up.
  const std::string sound = env_.exeDir + "start.wav";
  PlaySoundA(sound.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
  ListFolder(path, false);
}

void TOrvikBinder::EnterFolder(int row, const std::string& fullPath) {
  SaveSelection(row);
  OpenFolder(fullPath);
  currentFolder_ = fullPath;
  SetButtonEnabled(IDM_UP, CanGoUp(currentFolder_, rootFolder_));
}

void TOrvikBinder::GoUp() {
  const UpTarget target = GoUpTarget(currentFolder_);
  currentFolder_ = target.parent;
  if (IsExistingFolder(target.parent)) OpenFolder(target.parent);
  SelectRowByName(target.nameToSelect, true);
  hourglass_ = false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  if (!CanGoUp(currentFolder_, rootFolder_)) SetButtonEnabled(IDM_UP, false);
}

void TOrvikBinder::SpeedButton4Click() {
  tree_.RefreshGhosting();
  if (!currentFolder_.empty() && IsExistingFolder(currentFolder_)) OpenFolder(currentFolder_);
}

void TOrvikBinder::SaveSelection(int row) {
  HTREEITEM node = tree_.Selected();
  const std::string* path = tree_.FolderPath(node);
  // The list must show this very node's folder: keys such as Home or End move the tree's
  // selection without listing, and the rows of another folder would overwrite its memory.
  if (!path || *path != rootFolder_ || currentFolder_ != rootFolder_) return;
  const std::string section = SelectionSection(tree_.Text(TreeView_GetParent(tree_.hwnd(), node)), tree_.Text(node));
  if (store_.selections.SectionExists(section)) store_.selections.EraseSection(section);
  std::vector<int> rows;
  if (row >= 0) {
    rows.push_back(row);
  } else {
    rows = listView_.SelectedRows();
  }
  for (const std::string& key : SelectionKeys(fileRecords_, rows)) store_.selections.WriteString(section, key, "");
}

int TOrvikBinder::SelectRowByName(const std::string& name, bool makeVisible) {
  const int row = SearchByName(fileRecords_, name, 0, false);
  if (row >= 0) listView_.SelectRow(row, makeVisible);
  return row;
}

void TOrvikBinder::SpeedBtn1Click(int pressedId) {
  const ViewStyle style = static_cast<ViewStyle>(pressedId - IDM_VIEW_ICON);
  listView_.SetViewStyle(style);
  HTREEITEM node = tree_.Selected();
  if (const std::string* path = tree_.FolderPath(node))
    store_.folders.WriteString(tree_.Text(TreeView_GetParent(tree_.hwnd(), node)), *path, std::to_string(style));
  if (style != kIconView) LeaveThumbnailMode(true);
  SetButtonEnabled(IDM_THUMBNAILS, style == kIconView && !rootFolder_.empty());
}

void TOrvikBinder::ListView1ColumnClick(int column) {
  if (listSort_.ColumnClick(column, fileRecords_, collation_)) completionCursor_ = 0;
  listView_.Repaint();
}

void TOrvikBinder::ListView1MouseMove() {
  if (!flatListing_) {
    if (statusPath_ != currentFolder_ && applicationHint_.empty()) SetStatusPath(currentFolder_);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(listView_.hwnd(), &p);
  int row = listView_.RowAt(p);
  if (row < 0) row = listView_.FirstSelected();
  SetStatusPath(row >= 0 ? RowFullPath(row) : rootFolder_);
}

void TOrvikBinder::LeaveThumbnailMode(bool refresh) {
  if (!thumbnailMode_) return;
  thumbnailMode_ = false;
  SetButtonEnabled(IDM_THUMBNAILS, listView_.GetViewStyle() == kIconView);
  ListView_SetImageList(listView_.hwnd(), systemLarge_, LVSIL_NORMAL);
  if (refresh) SpeedButton4Click();
}

void TOrvikBinder::OpenRow(int row) {
  // Folder rows are entered here; opening files and shortcuts through the shell belongs to
  // the file commands.
  if (row < 0 || static_cast<std::size_t>(row) >= fileRecords_.size()) return;
  if (fileRecords_[static_cast<std::size_t>(row)]->isFile) return;
  const std::string path = RowFullPath(row);
  if (IsExistingFolder(path)) EnterFolder(row, path);
}

void TOrvikBinder::TreeView1KeyUp(WPARAM key) {
  if (key == VK_UP || key == VK_DOWN) TreeView1Click();
}

// ---- dragging out of the window

void TOrvikBinder::BeginInternalDrag(bool fromList) {
  dragFromList_ = fromList;
  dragFromTree_ = !fromList;
  SetCapture(hwnd_);
  SetTimer(hwnd_, kTimer1, 200, nullptr);
}

void TOrvikBinder::EndInternalDrag() {
  dragFromList_ = dragFromTree_ = false;
  KillTimer(hwnd_, kTimer1);
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void TOrvikBinder::Timer1Timer() {
  if (!dragFromList_ && !dragFromTree_) return;
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom) return;
  KillTimer(hwnd_, kTimer1);
  std::vector<std::string> paths;
  if (dragFromList_) {
    for (int row : listView_.SelectedRows()) paths.push_back(RowFullPath(row));
  } else if (const std::string* path = tree_.FolderPath(tree_.Selected())) {
    paths.push_back(*path);
  }
  EndInternalDrag();
  StartShellDrag(paths);
}

void TOrvikBinder::StartShellDrag(const std::vector<std::string>& paths) {
  if (paths.empty() || !desktopFolder_) return;
  ComPtr<IDataObject> data = MakeShellDataObject(desktopFolder_.get(), shellMalloc_.get(), paths);
  if (!data) return;
  ComPtr<IDropSource> source;
  *source.put() = new TDropSource(hwnd_);
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY, &effect);
}

}  // namespace velmora
