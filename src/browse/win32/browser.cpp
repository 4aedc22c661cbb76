#include "browse/win32/browser.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "browse/navigation.h"
#include "browse/win32/system_name_folding.h"
#include "text/cp932.h"
#include "win32/bulk_update.h"
#include "win32/strings.h"
#include "win32/thread_stack.h"
#include "win32/win32_file_system.h"

namespace velmora {

namespace {

// Asks the window under the mouse for its cursor again. The mouse itself is never moved: setting
// it back to a position read a moment ago would undo a move the user made in between.
void RefreshCursor() {
  POINT p;
  if (GetCapture() != nullptr || !GetCursorPos(&p)) return;
  HWND under = WindowFromPoint(p);
  if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(LOWORD(hit), WM_MOUSEMOVE));
}

constexpr const char* kLimitText = "ファイル数が10000を超えましたので中断します。";
constexpr const char* kLimitCaption = "表示数の制限";
constexpr const char* kNotFoundMarker = "不明 > ";
}  // namespace

Browser::Browser(BrowserHost& host, const Collation& collation, Prompter& prompter, RememberedViews& views)
    : host_(host), collation_(collation), prompter_(prompter), views_(views),
      folding_(std::make_unique<SystemNameFolding>()) {}

Browser::~Browser() {
  StopWatching();
  StopFileInfoWorker();
}

void Browser::SetUp(HWND window, HWND list, Messages messages, const ShellContext& shell, int systemLevel,
                    const std::string& ownFolder) {
  window_ = window;
  messages_ = messages;
  systemLevel_ = systemLevel;
  listView_.Attach(list, &records_, &shownRows_);
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
  StopWatching();
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
  // No listing starts inside another listing's stop (a message sent meanwhile).
  if (stopping_ > 0 || path.empty() || IsExistingFile(path)) return;
  // A flat listing of no folder leaves the list, the filter, the count and the watch as
  // they were.
  std::vector<std::string> folders;
  if (flat) {
    folders = SelectedFolders();
    if (folders.empty()) return;
  }
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
    // The name keys are made while the folder is read on another thread, so that after its
    // last entry only the sort itself remains.
    NameKeys keys;
    if (flat) {
      ListFoldersFlat(folders);
    } else {
      Win32FileSystem port;
      EnumerateFolderWithNameKeys(path, port, CurrentListingOptions(), collation_, records_, keys,
                                  &GiveBackUnusedStack);
    }
    listView_.SetRowCount(static_cast<int>(records_.size()));
    listSort_.SortAfterListing(records_, collation_, flat ? nullptr : &keys);
    ShowSortArrow();
    cursor_.Rewind();
    ShowCount();
    host_.ShowPath(path);
  }
  StartFileInfoWorker();
  if (flat) {
    StartWatching(flatFolders_, true);
  } else {
    watchedFolder_ = path;
    StartWatching({path}, false);
  }
}

std::vector<std::string> Browser::SelectedFolders() const {
  std::vector<std::string> folders;
  for (const std::string& path : SelectedPaths())
    if (IsExistingFolder(path)) folders.push_back(path);
  return folders;
}

void Browser::ListFoldersFlat(const std::vector<std::string>& folders) {
  ClearFileRecords();
  flatFolders_ = folders;
  Win32FileSystem port;
  const FlatListingResult result = CollectFilesFlat(folders, port, CurrentListingOptions(), records_, flatLimit_);
  if (result.limitExceeded) prompter_.Message(kLimitText, kLimitCaption);
}

void Browser::ClearFileRecords() {
  // The worker reads the records through the hand-over, so it ends before they go; the row
  // count reaches 0 first because the view asks for row data while it repaints.
  StopFileInfoWorker();
  // The watch followed these records; a new listing watches anew.
  StopWatching();
  listView_.SetRowCount(0);
  UpdateWindow(listView_.hwnd());
  records_.clear();
  outOfPlace_.clear();
  cursor_.Rewind();
  if (!filterText_.empty() || shownRows_.filtered()) {
    filterText_.clear();
    shownRows_.ShowAll();
    host_.ClearNameFilterBox();
  }
}

void Browser::OpenFolder(const std::string& path) {
  host_.PlayStartSound();
  ListFolder(path, false);
}

std::string Browser::RowFullPath(int row) const {
  const FileRecord* record = RowRecord(row);
  return record ? RecordFullPath(rootFolder_, record->relativePath) : std::string();
}

std::string Browser::RecordPath(std::size_t record) const {
  return record < records_.size() ? RecordFullPath(rootFolder_, records_[record]->relativePath) : std::string();
}

std::vector<std::string> Browser::SelectedPaths() const {
  std::vector<std::string> paths;
  for (int row : listView_.SelectedRows()) paths.push_back(RowFullPath(row));
  return paths;
}

int Browser::RowOfPath(const std::string& fullPath) const { return RowsOfPaths({fullPath})[0]; }

std::vector<int> Browser::RowsOfPaths(const std::vector<std::string>& fullPaths) const {
  std::vector<int> rows;
  for (std::size_t record : RecordsOfPaths(fullPaths))
    rows.push_back(record == ShownRows::npos ? -1 : shownRows_.RowOf(record, records_.size()));
  return rows;
}

std::vector<std::size_t> Browser::RecordsOfPaths(const std::vector<std::string>& fullPaths) const {
  // A delete or paste of thousands of rows in a listing of thousands must not compare
  // every path with every record.
  std::unordered_map<std::string, std::vector<std::size_t>> wanted;
  for (std::size_t i = 0; i < fullPaths.size(); ++i) wanted[collation_.FoldKey(fullPaths[i])].push_back(i);
  std::vector<std::size_t> records(fullPaths.size(), ShownRows::npos);
  std::size_t left = wanted.size();
  for (std::size_t record = 0; record < records_.size() && left > 0; ++record) {
    auto it = wanted.find(collation_.FoldKey(RecordFullPath(rootFolder_, records_[record]->relativePath)));
    if (it == wanted.end()) continue;
    for (std::size_t index : it->second) records[index] = record;
    wanted.erase(it);
    --left;
  }
  return records;
}

// ---- record changes after file operations

void Browser::RemoveRows(const std::vector<std::string>& fullPaths) {
  std::vector<std::size_t> rows = RecordsOfPaths(fullPaths);
  rows.erase(std::remove(rows.begin(), rows.end(), ShownRows::npos), rows.end());
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // The worker reads records by index, and the view asks for row data while it repaints:
  // the worker ends first, and the row count shrinks before any record is freed.
  StopFileInfoWorker();
  FileRecordList removed;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    outOfPlace_.erase(records_[*it].get());
    removed.push_back(std::move(records_[*it]));
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(*it));
  }
  listView_.DeselectAll();
  FilterRows();
  listView_.SetRowCount(ShownRowCount());
  records_.shrink_to_fit();
  cursor_.Rewind();
  removed.clear();
  ShowCount();
  listView_.Repaint();
  StartFileInfoWorker();
}

void Browser::RefreshEntries(const std::vector<std::string>& fullPaths) {
  Win32FileSystem port;
  const RecordContext context = CurrentListingOptions().record;
  const std::vector<std::size_t> listedRecords = RecordsOfPaths(fullPaths);
  std::unordered_map<std::string, std::size_t> appendedRows;  // a path given twice is appended once
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
    std::size_t row = listedRecords[i];
    const std::string key = collation_.FoldKey(fullPath);
    if (row == ShownRows::npos && appendedRows.count(key)) row = appendedRows[key];
    const bool isNew = row == ShownRows::npos;
    if (isNew) {
      records_.push_back(MakeListedRecord(found, std::move(name), fullPath, isFile, localTime, context));
      row = records_.size() - 1;
      appendedRows[key] = row;
    } else {
      FileRecord& record = *records_[row];
      ApplyEntry(record, found, std::move(name), fullPath, isFile, localTime, context);
      record.isFile = isFile;
      record.overlayIndex = -1;
    }
    FillShellInfo(*records_[row], fullPath);
    records_[row]->thumbnailIndex = -1;
    // Read again or appended, it stays where it is until the next sort.
    outOfPlace_.insert(records_[row].get());
    changed = true;
    // A row already listed is selected; new rows come at the end, unsorted, unselected.
    const int shown = shownRows_.RowOf(row, records_.size());
    if (!isNew && shown >= 0) listView_.SelectRow(shown, false);
    if (shown >= 0) listView_.RedrawRow(shown);
  }
  // Each row shows its own picture: the thumbnail list gets one for every row read again.
  if (thumbnailMode_ && changed) host_.RowsWantThumbnails();
  if (!appendedRows.empty()) {
    // Appended records come after every shown one, so the rows before keep their places.
    FilterRows();
    listView_.SetRowCount(ShownRowCount());
    ShowCount();
  }
}

void Browser::RecordEdited(int row, std::size_t record, const std::string& oldPath) {
  FileRecord& edited = *records_[record];
  if (edited.relativePath != oldPath) {
    // Renamed in the program: the row stays where it is, and the worker and the thumbnail
    // pass give it the type, icon, overlay and picture of its new name.
    outOfPlace_.insert(&edited);
    edited.typeText.clear();
    edited.overlayIndex = -1;
    edited.thumbnailIndex = -1;
    cursor_.Rewind();
    ResumeFileInfoWorker();
    if (thumbnailMode_) host_.RowsWantThumbnails();
  }
  listView_.RedrawRow(row);
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

void Browser::ResumeFileInfoWorker() {
  if (worker_ && !worker_->finished) {
    // It may be past its last record already; its end starts another.
    workerWanted_ = true;
    return;
  }
  workerWanted_ = false;
  worker_.reset();
  StartFileInfoWorker();
}

void Browser::StopFileInfoWorker() {
  workerWanted_ = false;
  stopThumbnails_ = true;
  if (!worker_) return;
  // Taken off the browser before the wait, which runs messages other threads send: what
  // they do finds no worker to complete records for or to stop, and this one is freed only
  // once it has ended, by this call.
  const std::unique_ptr<TFileInfoThread> worker = std::move(worker_);
  if (worker->finished) return;
  ++stopping_;
  worker->StopAndWait();
  --stopping_;
}

LRESULT Browser::CompleteRecord(LPARAM id) {
  if (!worker_ || worker_->id() != static_cast<unsigned>(id)) return TFileInfoThread::kDone;
  if (TFileInfoThread::InterfaceHasMessagesWaiting()) return TFileInfoThread::kLater;
  const std::size_t next = cursor_.Next(records_);
  if (next == CompletionCursor::kNone) return TFileInfoThread::kDone;
  FileRecord& record = *records_[next];
  FillShellInfo(record, RecordFullPath(rootFolder_, record.relativePath));
  ++completions_;
  const int row = shownRows_.RowOf(next, records_.size());
  if (row >= 0) listView_.RedrawRow(row);
  return TFileInfoThread::kMore;
}

void Browser::FillShellInfo(FileRecord& record, const std::string& fullPath) {
  ShellItemInfo info = shellInfo_.GetShellFileInfo(fullPath);
  record.iconIndex = info.icon;
  record.typeText = info.typeName.empty() ? FallbackTypeText(record.name, record.isFile) : std::move(info.typeName);
  if (info.overlayIndex != -1 && !info.displayName.empty()) record.overlayIndex = info.overlayIndex;
}

void Browser::FileInfoWorkerDone(unsigned id) {
  if (worker_ && worker_->id() == id) worker_->finished = true;
  // Records came while the worker was ending: one more worker completes them.
  if (worker_ && worker_->finished && workerWanted_) {
    ResumeFileInfoWorker();
    return;
  }
  if (!worker_ || worker_->id() == id) {
    hourglass_ = false;
    RefreshCursor();
  }
}

// ---- navigation

void Browser::ShowStatusPath() {
  std::string status = currentFolder_;
  if (!currentFolder_.empty() && !IsExistingFolder(currentFolder_)) status = kNotFoundMarker + currentFolder_;
  host_.ShowPath(status);
}

void Browser::ShowRegisteredFolder(const FolderNodeRef& node) {
  // Inside another listing's stop: the tree's node is listed once that is over.
  if (stopping_ > 0) {
    host_.ListSelectedNodeLater();
    return;
  }
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
  if (stopping_ > 0) {
    host_.ListSelectedNodeLater();
    return;
  }
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
  // Remembered by record: the filter may hide rows between them.
  for (int& shown : rows) {
    const std::size_t record = shownRows_.RecordOf(shown, records_.size());
    shown = record == ShownRows::npos ? -1 : static_cast<int>(record);
  }
  views_.RememberSelection(section, SelectionKeys(records_, rows));
}

int Browser::SelectRowByName(const std::string& name, bool makeVisible) {
  const int row = SearchShownByName(records_, shownRows_, name, 0, false);
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
    outOfPlace_.clear();
    cursor_.Rewind();
    ShowSortArrow();
    FilterRows();
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
  // The pass goes by record; the record's row is redrawn, if the filter shows it.
  const int shown = shownRows_.RowOf(static_cast<std::size_t>(row), records_.size());
  if (listView_.showsThumbnailIndexes() && shown >= 0) listView_.RedrawRow(shown);
}

void Browser::ShowThumbnails(HIMAGELIST images) {
  if (!thumbnailMode_) return;
  listView_.ShowThumbnailIndexes(true);
  ListView_SetImageList(listView_.hwnd(), images, LVSIL_NORMAL);
  listView_.Repaint();
}

// ---- the filter

void Browser::ShowCount() {
  const std::string all = std::to_string(records_.size());
  host_.ShowRowCount(shownRows_.filtered() ? std::to_string(ShownRowCount()) + " / " + all : all);
}

void Browser::FilterRows() {
  const NameMatcher matcher(filterText_, *folding_);
  if (matcher.matchesAll()) {
    shownRows_.ShowAll();
    return;
  }
  shownRows_.ShowOnly(MatchingRecords(records_, matcher, [](const FileRecord& record, std::wstring& scratch) {
    // The name in UTF-16, as the list shows it; a name with units the code page cannot spell
    // takes the longer way that reads their marks.
    if (record.name.find(kUnspellableMark) != std::string::npos) {
      scratch = AnsiToWide(record.name);
      return std::wstring_view(scratch);
    }
    scratch.resize(record.name.size());
    const int length = record.name.empty() ? 0
                       : MultiByteToWideChar(CP_ACP, 0, record.name.data(), static_cast<int>(record.name.size()),
                                             &scratch[0], static_cast<int>(scratch.size()));
    return std::wstring_view(scratch.data(), static_cast<std::size_t>(length > 0 ? length : 0));
  }));
}

void Browser::SetNameFilter(const std::wstring& typed) {
  if (typed == filterText_) return;
  const RowState state = SaveRowState();
  filterText_ = typed;
  FilterRows();
  ShowRowsAgain(state);
  ShowCount();
}

Browser::RowState Browser::SaveRowState() const {
  RowState state;
  for (int row : listView_.SelectedRows())
    if (const FileRecord* record = RowRecord(row)) state.selected.push_back(record);
  state.focused = RowRecord(ListView_GetNextItem(listView_.hwnd(), -1, LVNI_FOCUSED));
  if (listView_.GetViewStyle() == kDetailView) state.top = RowRecord(ListView_GetTopIndex(listView_.hwnd()));
  return state;
}

void Browser::ShowRowsAgain(const RowState& state) {
  HWND list = listView_.hwnd();
  const int count = ShownRowCount();
  listView_.SetRowCount(count);
  listView_.DeselectAll();
  // Rows the filter hides leave the selection, so that no command reaches a row not shown.
  const std::unordered_set<const FileRecord*> selected(state.selected.begin(), state.selected.end());
  int focusRow = -1, topRow = -1;
  std::vector<int> selectRows;
  for (int row = 0; row < count && (!selected.empty() || state.focused || state.top); ++row) {
    const FileRecord* record = RowRecord(row);
    if (selected.count(record)) selectRows.push_back(row);
    if (record == state.focused) focusRow = row;
    if (record == state.top) topRow = row;
  }
  // Every row selected (after "select all") is one call rather than one per row.
  if (count > 0 && selectRows.size() == static_cast<std::size_t>(count)) {
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
  } else {
    for (int row : selectRows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  if (focusRow >= 0) ListView_SetItemState(list, focusRow, LVIS_FOCUSED, LVIS_FOCUSED);
  // The first visible row stays where it was, as far as the rows above it allow.
  const int topNow = ListView_GetTopIndex(list);
  POINT from = {}, to = {};
  if (topRow >= 0 && topRow != topNow && ListView_GetItemPosition(list, topNow, &from) &&
      ListView_GetItemPosition(list, topRow, &to))
    ListView_Scroll(list, 0, to.y - from.y);
  listView_.Repaint();
}

// ---- the folder's watch

void Browser::StartWatching(const std::vector<std::string>& folders, bool subtree) {
  StopWatching();
  if (folders.empty()) return;
  auto watcher = std::make_unique<FolderWatcher>(window_, messages_.folderChanged, ++watcherCount_);
  // A folder without change notices (some network folders) is listed as it is, unwatched.
  if (!watcher->Start(folders, subtree, watchTiming_)) return;
  watcher_ = std::move(watcher);
  watchFlat_ = subtree;
}

void Browser::StopWatching() {
  changesWaiting_ = false;
  if (!watcher_) return;
  watcher_->Stop();
  watcher_.reset();
}

void Browser::FolderChanged(unsigned id) {
  if (!watcher_ || watcher_->id() != id) return;
  // Rows must not move under a label being edited or a thumbnail pass: the changes wait.
  if (listView_.IsEditingLabel() || host_.ThumbnailPassRunning()) {
    changesWaiting_ = true;
    return;
  }
  changesWaiting_ = false;
  const ChangeBatch batch = watcher_->Take();
  FollowChanges(batch);
  // A watch the system ended is not started again; the list stays as last read.
  if (batch.watchLost()) StopWatching();
}

void Browser::ApplyWaitingChanges() {
  if (changesWaiting_ && watcher_) FolderChanged(watcher_->id());
}

void Browser::FollowChanges(const ChangeBatch& batch) {
  ++followedChanges_;
  if (!watchFlat_ && !IsExistingFolder(watchedFolder_)) {
    WatchedFolderGone();
    return;
  }
  Win32FileSystem port;
  const ListingOptions options = CurrentListingOptions();
  const bool reread = watchFlat_ || batch.rereadAll() || batch.watchLost();
  if (reread) ++rereads_;
  FreshEntries fresh;
  if (reread && watchFlat_) {
    CollectFilesFlat(flatFolders_, port, options, fresh.entries, flatLimit_);
    fresh.whole = true;
  } else if (reread) {
    EnumerateFolder(watchedFolder_, port, options, fresh.entries);
    fresh.whole = true;
  } else {
    // Each name is looked up as the notice spells it; the rows are matched to what the disk
    // holds by the merge, so that a row renamed by another program moves and is completed again.
    const std::string base = IncludeTrailingBackslash(watchedFolder_);
    fresh = ReadChangedEntries(
        batch, records_, collation_,
        [&](const std::wstring& name) { return RelativePath(base + port.NameToAnsi(name), rootFolder_); },
        [&](const std::string& relativePath) {
          std::unique_ptr<FileRecord> record;
          port.Search(RecordFullPath(rootFolder_, relativePath), [&](const FindEntry& entry) {
            // Gone, or now hidden by the attribute switches, it is no row.
            if (IsDotEntry(entry) || !PassesAttributeFilter(entry.attributes, options.switches)) return false;
            std::string ansi = port.NameToAnsi(entry.name);
            const std::string fullPath = base + ansi;
            record = MakeListedRecord(entry, std::move(ansi), fullPath, (entry.attributes & kAttrDirectory) == 0,
                                      port.ToLocalFileTime(entry.lastWriteTime), options.record);
            return false;
          });
          return record;
        });
  }
  // Taken before any record goes, and after the new ones are made: no address in it can
  // stand for another record afterwards.
  const RowState state = SaveRowState();
  const MergeCounts counts = MergeIntoListing(records_, std::move(fresh), outOfPlace_, listSort_.sortedColumn(),
                                              listSort_.sortedAscending(), collation_);
  if (counts.added + counts.changed + counts.removed == 0) return;
  cursor_.Rewind();
  FilterRows();
  ShowRowsAgain(state);
  ShowCount();
  if (counts.added + counts.changed == 0) return;
  ResumeFileInfoWorker();
  // New and changed rows get their pictures as after a completed pass.
  if (thumbnailMode_) host_.RowsWantThumbnails();
}

void Browser::WatchedFolderGone() {
  // As a listing of a missing folder: empty, and the path marked as not found.
  {
    BulkUpdate update(listView_.hwnd());
    ClearFileRecords();
  }
  ShowCount();
  ShowStatusPath();
  host_.ListedFolderGone();
}

}  // namespace velmora
