#include "browse/win32/browser.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_map>

#include "browse/navigation.h"
#include "text/cp932.h"
#include "win32/bulk_update.h"
#include "win32/strings.h"
#include "win32/win32_file_system.h"

namespace velmora {

namespace {
constexpr const char* kLimitText = "ファイル数が10000を超えましたので中断します。";
constexpr const char* kLimitCaption = "表示数の制限";
constexpr const char* kNotFoundMarker = "不明 > ";
}  // namespace

Browser::Browser(BrowserHost& host, const Collation& collation, Prompter& prompter, RememberedViews& views)
    : host_(host), collation_(collation), prompter_(prompter), views_(views) {}

Browser::~Browser() { StopFileInfoWorker(); }

void Browser::SetUp(HWND window, HWND list, Messages messages, const ShellContext& shell, int systemLevel,
                    const std::string& ownFolder) {
  window_ = window;
  messages_ = messages;
  systemLevel_ = systemLevel;
  listView_.Attach(list, &records_);
  listView_.CreateColumns();
  shellInfo_.SetUp(&shell, systemLevel);
  SetUpSystemImageLists(ownFolder);
  // Placeholders of listed records: the ".dat" type's icon for files (no such file is
  // touched) and the program's own folder's icon for folders.
  defaultFileIcon_ = shellInfo_.GetFileInfoBySHGetFileInfo("*.dat").icon;
  defaultFolderIcon_ = shellInfo_.GetFileInfoBySHGetFileInfo(ownFolder).icon;
  separators_ = LocaleSeparators::FromUserLocale();
  listView_.SetThousandsSeparator(separators_.thousands);
}

void Browser::SetUpSystemImageLists(const std::string& ownFolder) {
  const std::string root = DriveRoot(ownFolder);
  SHFILEINFOA info = {};
  HIMAGELIST small = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  HIMAGELIST large =
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX));
  if (small && large) {
    ListView_SetImageList(listView_.hwnd(), large, LVSIL_NORMAL);
    ListView_SetImageList(listView_.hwnd(), small, LVSIL_SMALL);
    systemSmall_ = small;
    systemLarge_ = large;
  }
}

void Browser::Close() {
  StopFileInfoWorker();
  if (listView_.RowCount() > 0) {
    BulkUpdate update(listView_.hwnd());
    listView_.SetRowCount(0);
  }
}

ListingOptions Browser::CurrentListingOptions() const {
  ListingOptions options;
  options.systemLevel = systemLevel_;
  options.switches = host_.Switches();
  options.record.rootFolder = rootFolder_;
  options.record.dateSeparator = separators_.date;
  options.record.timeSeparator = separators_.time;
  options.record.defaultFileIcon = defaultFileIcon_;
  options.record.defaultFolderIcon = defaultFolderIcon_;
  return options;
}

// ---- listings and the record invariants

void Browser::ListFolder(const std::string& path, bool flat) {
  if (path.empty() || IsExistingFile(path)) return;
  StopFileInfoWorker();
  // A new listing sees the folder as it is now, not as a kept binding saw it.
  shellInfo_.ResetCache();
  flatListing_ = flat;
  ++listings_;
  {
    BulkUpdate update(listView_.hwnd());
    if (!flat) ClearFileRecords();
    hourglass_ = true;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    LeaveThumbnailMode(false);
    if (flat) {
      ListSelectedFoldersFlat();
    } else {
      Win32FileSystem port;
      EnumerateFolder(path, port, CurrentListingOptions(), records_);
    }
    listView_.SetRowCount(static_cast<int>(records_.size()));
    listSort_.SortAfterListing(records_, collation_);
    ShowSortArrow();
    cursor_.Rewind();
    host_.ShowRowCount(std::to_string(records_.size()));
    host_.ShowPath(path);
  }
  StartFileInfoWorker();
}

bool Browser::ListSelectedFoldersFlat() {
  std::vector<std::string> folders;
  for (const std::string& path : SelectedPaths())
    if (IsExistingFolder(path)) folders.push_back(path);
  if (folders.empty()) return false;
  ClearFileRecords();
  Win32FileSystem port;
  const FlatListingResult result = CollectFilesFlat(folders, port, CurrentListingOptions(), records_, flatLimit_);
  if (result.limitExceeded) prompter_.Message(kLimitText, kLimitCaption);
  return true;
}

void Browser::ClearFileRecords() {
  // The worker reads the records through the hand-over, so it ends before they go; the row
  // count reaches 0 first because the view asks for row data while it repaints.
  StopFileInfoWorker();
  listView_.SetRowCount(0);
  UpdateWindow(listView_.hwnd());
  records_.clear();
  cursor_.Rewind();
}

void Browser::OpenFolder(const std::string& path) {
  host_.PlayStartSound();
  ListFolder(path, false);
}

std::string Browser::RowFullPath(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= records_.size()) return std::string();
  return RecordFullPath(rootFolder_, records_[static_cast<std::size_t>(row)]->relativePath);
}

std::vector<std::string> Browser::SelectedPaths() const {
  std::vector<std::string> paths;
  for (int row : listView_.SelectedRows()) paths.push_back(RowFullPath(row));
  return paths;
}

int Browser::RowOfPath(const std::string& fullPath) const { return RowsOfPaths({fullPath})[0]; }

std::vector<int> Browser::RowsOfPaths(const std::vector<std::string>& fullPaths) const {
  // A delete or paste of thousands of rows in a listing of thousands must not compare
  // every path with every row.
  std::unordered_map<std::string, std::vector<std::size_t>> wanted;
  for (std::size_t i = 0; i < fullPaths.size(); ++i) wanted[collation_.FoldKey(fullPaths[i])].push_back(i);
  std::vector<int> rows(fullPaths.size(), -1);
  std::size_t left = wanted.size();
  for (std::size_t row = 0; row < records_.size() && left > 0; ++row) {
    auto it = wanted.find(collation_.FoldKey(RecordFullPath(rootFolder_, records_[row]->relativePath)));
    if (it == wanted.end()) continue;
    for (std::size_t index : it->second) rows[index] = static_cast<int>(row);
    wanted.erase(it);
    --left;
  }
  return rows;
}

// ---- record changes after file operations

void Browser::RemoveRows(const std::vector<std::string>& fullPaths) {
  std::vector<int> rows = RowsOfPaths(fullPaths);
  rows.erase(std::remove(rows.begin(), rows.end(), -1), rows.end());
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // The worker reads records by index, and the view asks for row data while it repaints:
  // the worker ends first, and the row count shrinks before any record is freed.
  StopFileInfoWorker();
  FileRecordList removed;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    removed.push_back(std::move(records_[static_cast<std::size_t>(*it)]));
    records_.erase(records_.begin() + *it);
  }
  listView_.DeselectAll();
  listView_.SetRowCount(static_cast<int>(records_.size()));
  records_.shrink_to_fit();
  cursor_.Rewind();
  removed.clear();
  host_.ShowRowCount(std::to_string(records_.size()));
  listView_.Repaint();
  StartFileInfoWorker();
}

void Browser::RefreshEntries(const std::vector<std::string>& fullPaths) {
  Win32FileSystem port;
  const RecordContext context = CurrentListingOptions().record;
  const std::vector<int> listedRows = RowsOfPaths(fullPaths);
  std::unordered_map<std::string, int> appendedRows;  // a path given twice is appended once
  bool changed = false;
  for (std::size_t i = 0; i < fullPaths.size(); ++i) {
    const std::string& path = fullPaths[i];
    FindEntry found;
    bool exists = false;
    port.Search(path, [&](const FindEntry& entry) {
      found = entry;
      exists = true;
      return false;
    });
    if (!exists) continue;
    // The entry's own name (its letter case) and kind, whatever the row showed before.
    std::string name = port.NameToAnsi(found.name);
    const std::string fullPath = IncludeTrailingBackslash(ParentFolder(path)) + name;
    const bool isFile = (found.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const uint64_t localTime = port.ToLocalFileTime(found.lastWriteTime);
    int row = listedRows[i];
    const std::string key = collation_.FoldKey(fullPath);
    if (row < 0 && appendedRows.count(key)) row = appendedRows[key];
    const bool isNew = row < 0;
    if (isNew) {
      records_.push_back(MakeListedRecord(found, std::move(name), fullPath, isFile, localTime, context));
      row = static_cast<int>(records_.size()) - 1;
      appendedRows[key] = row;
    } else {
      FileRecord& record = *records_[static_cast<std::size_t>(row)];
      ApplyEntry(record, found, std::move(name), fullPath, isFile, localTime, context);
      record.isFile = isFile;
      record.overlayIndex = -1;
    }
    FillShellInfo(*records_[static_cast<std::size_t>(row)], fullPath);
    records_[static_cast<std::size_t>(row)]->thumbnailIndex = -1;
    changed = true;
    // A row already listed is selected; new rows come at the end, unsorted, unselected.
    if (!isNew) listView_.SelectRow(row, false);
    listView_.RedrawRow(row);
  }
  // Each row shows its own picture: the thumbnail list gets one for every row read again.
  if (thumbnailMode_ && changed) host_.RowsWantThumbnails();
  if (!appendedRows.empty()) {
    listView_.SetRowCount(static_cast<int>(records_.size()));
    host_.ShowRowCount(std::to_string(records_.size()));
  }
}

// ---- the worker

void Browser::StartFileInfoWorker() {
  if (worker_) return;
  worker_ = std::make_unique<TFileInfoThread>(window_, messages_.completeRecord, messages_.workerDone, ++workerCount_);
  if (!worker_->Start()) {
    worker_.reset();
    hourglass_ = false;
  }
}

void Browser::StopFileInfoWorker() {
  stopThumbnails_ = true;
  if (!worker_) return;
  if (!worker_->finished) worker_->StopAndWait();
  worker_.reset();
}

LRESULT Browser::CompleteRecord(LPARAM id) {
  if (!worker_ || worker_->id() != static_cast<unsigned>(id)) return 0;
  const std::size_t next = cursor_.Next(records_);
  if (next == CompletionCursor::kNone) return 0;
  FileRecord& record = *records_[next];
  FillShellInfo(record, RecordFullPath(rootFolder_, record.relativePath));
  ++completions_;
  listView_.RedrawRow(static_cast<int>(next));
  return 1;
}

void Browser::FillShellInfo(FileRecord& record, const std::string& fullPath) {
  ShellItemInfo info = shellInfo_.GetShellFileInfo(fullPath);
  record.iconIndex = info.icon;
  record.typeText = info.typeName.empty() ? FallbackTypeText(record.name, record.isFile) : std::move(info.typeName);
  if (info.overlayIndex != -1 && !info.displayName.empty()) record.overlayIndex = info.overlayIndex;
}

void Browser::FileInfoWorkerDone(unsigned id) {
  if (worker_ && worker_->id() == id) worker_->finished = true;
  if (!worker_ || worker_->id() == id) {
    hourglass_ = false;
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x, p.y);  // lets the window under the mouse set its cursor again
  }
}

// ---- navigation

void Browser::ShowStatusPath() {
  std::string status = currentFolder_;
  if (!currentFolder_.empty() && !IsExistingFolder(currentFolder_)) status = kNotFoundMarker + currentFolder_;
  host_.ShowPath(status);
}

void Browser::ShowRegisteredFolder(const FolderNodeRef& node) {
  StopFileInfoWorker();
  if (rootFolder_ != node.path || currentFolder_ != rootFolder_) {
    const int style = views_.ViewStyleOf(node.binder, node.path);
    {
      BulkUpdate update(listView_.hwnd());
      ClearFileRecords();
      if (style >= kIconView && style <= kDetailView) {
        listView_.SetViewStyle(static_cast<ViewStyle>(style));
        host_.ShowViewStyle(static_cast<ViewStyle>(style));
      }
    }
    host_.EnableThumbnailButton(listView_.GetViewStyle() == kIconView);
    currentFolder_ = rootFolder_ = node.path;
    OpenFolder(node.path);
    listView_.DeselectAll();
    const std::string section = SelectionSection(node.binder, node.nodeText);
    const std::vector<std::string> keys = views_.SelectionOf(section);
    if (!keys.empty()) {
      const Reselection reselect = RowsToReselect(records_, keys);
      for (int row : reselect.rows) listView_.SelectRow(row, row == reselect.scrollTo);
    }
  }
  host_.EnableUpButton(false);
  ShowStatusPath();
}

void Browser::ShowNothing() {
  StopFileInfoWorker();
  {
    BulkUpdate update(listView_.hwnd());
    ClearFileRecords();
  }
  rootFolder_.clear();
  currentFolder_.clear();
  host_.EnableThumbnailButton(false);
  host_.EnableUpButton(false);
  ShowStatusPath();
}

void Browser::EnterFolder(int row, const std::string& fullPath) {
  SaveSelection(row);
  OpenFolder(fullPath);
  currentFolder_ = fullPath;
  host_.EnableUpButton(CanGoUp(currentFolder_, rootFolder_));
}

void Browser::GoUp() {
  const UpTarget target = GoUpTarget(currentFolder_);
  currentFolder_ = target.parent;
  if (IsExistingFolder(target.parent)) OpenFolder(target.parent);
  SelectRowByName(target.nameToSelect, true);
  hourglass_ = false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  if (!CanGoUp(currentFolder_, rootFolder_)) host_.EnableUpButton(false);
}

void Browser::Refresh() {
  if (!currentFolder_.empty() && IsExistingFolder(currentFolder_)) OpenFolder(currentFolder_);
}

void Browser::SaveSelection(int row) {
  FolderNodeRef target;
  // The list must show this very node's folder: keys such as Home or End move the tree's
  // selection without listing, and the rows of another folder would overwrite its memory.
  if (!host_.SelectedFolderNode(target) || target.path != rootFolder_ || currentFolder_ != rootFolder_) return;
  const std::string section = SelectionSection(target.binder, target.nodeText);
  std::vector<int> rows;
  if (row >= 0) {
    rows.push_back(row);
  } else {
    rows = listView_.SelectedRows();
  }
  views_.RememberSelection(section, SelectionKeys(records_, rows));
}

int Browser::SelectRowByName(const std::string& name, bool makeVisible) {
  const int row = SearchByName(records_, name, 0, false);
  if (row >= 0) listView_.SelectRow(row, makeVisible);
  return row;
}

void Browser::SetViewStyle(ViewStyle style) {
  listView_.SetViewStyle(style);
  FolderNodeRef node;
  if (host_.SelectedFolderNode(node)) views_.RememberViewStyle(node.binder, node.path, style);
  if (style != kIconView) LeaveThumbnailMode(true);
  host_.EnableThumbnailButton(style == kIconView && !rootFolder_.empty());
}

void Browser::ColumnClick(int column) {
  if (listSort_.ColumnClick(column, records_, collation_)) {
    cursor_.Rewind();
    ShowSortArrow();
  }
  listView_.Repaint();
}

void Browser::ShowSortArrow() {
  listView_.ShowSortArrow(static_cast<int>(listSort_.sortedColumn()), listSort_.sortedAscending());
}

void Browser::MouseMove() {
  if (!flatListing_) return;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(listView_.hwnd(), &p);
  int row = listView_.RowAt(p);
  if (row < 0) row = listView_.FirstSelected();
  host_.ShowPath(row >= 0 ? RowFullPath(row) : rootFolder_);
}

void Browser::LeaveThumbnailMode(bool refresh) {
  if (!thumbnailMode_) return;
  thumbnailMode_ = false;
  // A pass still running ends too, even where no listing follows.
  stopThumbnails_ = true;
  host_.EnableThumbnailButton(listView_.GetViewStyle() == kIconView && !rootFolder_.empty());
  listView_.ShowThumbnailIndexes(false);
  ListView_SetImageList(listView_.hwnd(), systemLarge_, LVSIL_NORMAL);
  if (refresh) Refresh();
}

void Browser::EnterThumbnailMode() {
  thumbnailMode_ = true;
  stopThumbnails_ = false;
}

int Browser::RowThumbnail(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= records_.size()) return -1;
  return records_[static_cast<std::size_t>(row)]->thumbnailIndex;
}

void Browser::SetRowThumbnail(int row, int image) {
  if (row < 0 || static_cast<std::size_t>(row) >= records_.size()) return;
  records_[static_cast<std::size_t>(row)]->thumbnailIndex = image;
  if (listView_.showsThumbnailIndexes()) listView_.RedrawRow(row);
}

void Browser::ShowThumbnails(HIMAGELIST images) {
  if (!thumbnailMode_) return;
  listView_.ShowThumbnailIndexes(true);
  ListView_SetImageList(listView_.hwnd(), images, LVSIL_NORMAL);
  listView_.Repaint();
}

}  // namespace velmora
