#include "browse/win32/browser.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <thread>
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
constexpr const char* kReadingText = "読込中 ";
// Records per request to the shell's worker: its answers come back in smaller batches.
constexpr std::size_t kShellRequests = 512;
constexpr std::size_t kFreeAside = 20000;
}  // namespace

Browser::Browser(BrowserHost& host, const Collation& collation, Prompter& prompter, RememberedViews& views)
    : host_(host), collation_(collation), prompter_(prompter), views_(views), files_(&SystemFiles()),
      folding_(std::make_unique<SystemNameFolding>()) {}

Browser::~Browser() {
  AbandonListing();
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
  shellWorker_.SetUp(window, messages.shellInfo, systemLevel);
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
  AbandonListing();
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
  if (path.empty()) return;
  // A flat listing of no folder leaves the list, the filter, the count and the watch as
  // they were.
  if (flat && SelectedFolders().empty()) return;
  StopFileInfoWorker();
  AbandonListing();
  if (flat) flatBefore_ = flatListing_;
  flatListing_ = flat;
  folderMissing_ = false;
  askedWhileReading_ = false;
  ++listings_;
  ListingRequest request;
  {
    BulkUpdate update(listView_.hwnd());
    if (!flat) ClearFileRecords();
    hourglass_ = true;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    LeaveThumbnailMode(false);
    request.options = CurrentListingOptions();
    request.flatLimit = flatLimit_;
    if (flat) {
      ListSelectedFoldersFlat(request);
    } else {
      request.folder = path;
    }
  }
  request.tag = listingTag_ = ++tagCount_;
  listingPath_ = path;
  loadingKeys_.clear();
  loader_ = StartLoader(std::move(request));
  ShowCount();
  host_.ShowPath(path);
}

std::unique_ptr<ListingLoader> Browser::StartLoader(ListingRequest request) {
  const HWND window = window_;
  const UINT message = messages_.listing;
  return std::make_unique<ListingLoader>(std::move(request), *files_, collation_,
                                         [window, message](std::unique_ptr<ListingBatch> batch) {
                                           // Posted, never sent: the loader does not wait for the window.
                                           ListingBatch* posted = batch.release();
                                           if (!PostMessageA(window, message, 0, reinterpret_cast<LPARAM>(posted)))
                                             delete posted;
                                         },
                                         &GiveBackUnusedStack);
}

std::vector<std::string> Browser::SelectedFolders() const {
  std::vector<std::string> folders;
  for (int row : listView_.SelectedRows()) {
    const std::size_t record = shownRows_.RecordOf(row, records_.size());
    if (record < records_.size() && !records_[record]->isFile) folders.push_back(RowFullPath(row));
  }
  return folders;
}

void Browser::ListSelectedFoldersFlat(ListingRequest& request) {
  // Whether they are still there is the loader's to find out: they may be on a slow share.
  request.flat = true;
  request.candidates = SelectedFolders();
}

void Browser::AbandonListing() {
  afterListing_ = nullptr;
  unshownRecords_.clear();
  unshownKeys_.clear();
  nextShow_ = {};
  // A follow-up of the rows that go goes with them.
  follower_.reset();
  heldChanges_.reset();
  if (!loader_) return;
  loader_.reset();
  loadingKeys_.clear();
}

void Browser::ListingArrived(LPARAM lp) {
  std::unique_ptr<ListingBatch> batch(reinterpret_cast<ListingBatch*>(lp));
  if (follower_ && batch->tag == followTag_) {
    follower_.reset();
    // Rows must not move under a label being edited or a thumbnail pass: the changes wait.
    if (listView_.IsEditingLabel() || host_.ThumbnailPassRunning()) {
      heldChanges_ = std::move(batch);
      return;
    }
    ApplyFollowedChanges(*batch);
    ApplyWaitingChanges();
    return;
  }
  // A batch of a listing the window has left.
  if (!loader_ || batch->tag != listingTag_) return;
  if (flatListing_) {
    // The old rows stay until the flat set is read: it may find no folder at all.
    if (batch->flatFolders.empty()) {
      KeepListing();
      return;
    }
    InstallFlatListing(*batch);
    FinishListing(false);
    return;
  }
  // Showing more rows costs the list view time that grows with the rows (Wine's lays them
  // all out again): rows are taken in no more often than leaves the window free 3/4 of the time.
  std::move(batch->records.begin(), batch->records.end(), std::back_inserter(unshownRecords_));
  std::move(batch->keys.begin(), batch->keys.end(), std::back_inserter(unshownKeys_));
  if (batch->last || std::chrono::steady_clock::now() >= nextShow_) {
    ShowReadRows();
  } else {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextShow_ - std::chrono::steady_clock::now());
    SetTimer(window_, kRowsTimer, static_cast<UINT>(wait.count()) + 1, nullptr);
  }
  if (batch->last) FinishListing(batch->missing);
}

void Browser::ShowReadRows() {
  KillTimer(window_, kRowsTimer);
  if (!loader_ || unshownRecords_.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  SortBatchByName(unshownRecords_, unshownKeys_);
  // A file command may have added or removed rows meanwhile: their keys are made again.
  if (loadingKeys_.size() != records_.size()) {
    loadingKeys_.clear();
    for (const auto& record : records_) loadingKeys_.push_back(collation_.SortKey(record->name));
    SortBatchByName(records_, loadingKeys_);
  }
  const RowState state = SaveRowState();
  const FileRecord* first = records_.empty() ? nullptr : records_.front().get();
  MergeByName(records_, loadingKeys_, std::move(unshownRecords_), std::move(unshownKeys_));
  cursor_.Rewind();
  if (shownRows_.filtered()) FilterRows();
  // Rows the user has not touched only grow; a selection, the focus or a scrolled view
  // follow their records, which the new rows may have moved.
  if (state.selected.empty() && !state.focused && (!state.top || state.top == first)) {
    listView_.SetRowCount(ShownRowCount());
    listView_.Repaint();
  } else {
    ShowRowsAgain(state);
  }
  nextShow_ = now + 4 * (std::chrono::steady_clock::now() - now);
  ShowCount();
  AskShellInfo();
}

void Browser::KeepListing() {
  // The selected folders were gone when they were read: the list, its filter, count and watch
  // stay as they were, and what the watch saw meanwhile (dropped with the loader) is read again.
  loader_.reset();
  loadingKeys_.clear();
  flatListing_ = flatBefore_;
  ShowCount();
  ShowStatusPath();
  if (watcher_ && !follower_ && !heldChanges_) {
    ChangeBatch all;
    all.RereadAll();
    FollowChanges(all);
  }
  AskShellInfo();
}

void Browser::InstallFlatListing(ListingBatch& batch) {
  ClearFileRecords();
  flatFolders_ = std::move(batch.flatFolders);
  records_ = std::move(batch.records);
  listView_.SetRowCount(static_cast<int>(records_.size()));
  if (batch.limitExceeded) prompter_.Message(kLimitText, kLimitCaption);
}

void Browser::FinishListing(bool missing) {
  loader_.reset();
  loadingKeys_.clear();
  folderMissing_ = missing;
  // The loader kept the name order batch by batch; a flat listing comes in it whole.
  listSort_.SortedByName();
  ShowSortArrow();
  cursor_.Rewind();
  listView_.SetRowCount(ShownRowCount());
  ShowCount();
  if (missing && !flatListing_) {
    ShowStatusPath();
  } else {
    host_.ShowPath(listingPath_);
  }
  if (flatListing_) {
    StartWatching(flatFolders_, true);
  } else {
    watchedFolder_ = listingPath_;
    StartWatching({listingPath_}, false);
  }
  if (afterListing_) {
    const std::function<void()> after = std::move(afterListing_);
    afterListing_ = nullptr;
    after();
  }
  AskShellInfo();
}

void Browser::ClearFileRecords() {
  // Answers of the shell's worker name records, so they are dropped before the records go;
  // the row count reaches 0 first because the view asks for row data while it repaints.
  StopFileInfoWorker();
  AbandonListing();
  // The watch followed these records; a new listing watches anew.
  StopWatching();
  listView_.SetRowCount(0);
  UpdateWindow(listView_.hwnd());
  // Freeing a large listing's records takes a while under some heaps: a thread of its own
  // does it, since nothing names them any more (the row count is 0, the shell's answers
  // asked for them are dropped).
  if (records_.size() > kFreeAside) {
    std::thread([old = std::move(records_)] { GiveBackUnusedStack(); }).detach();
    records_ = FileRecordList();
  }
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
  AskShellInfo();
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

// ---- the shell's information

void Browser::AskShellInfo() {
  // While a listing is read, the shell is asked for its first rows only: the rest would
  // take the processor from the reading, and the rows may still move.
  if (asking_ || (loader_ && askedWhileReading_)) return;
  std::vector<ShellInfoRequest> requests;
  for (std::size_t i = cursor_.Next(records_); i < records_.size() && requests.size() < kShellRequests; ++i) {
    const FileRecord& record = *records_[i];
    if (record.typeText.empty()) requests.push_back({&record, RecordFullPath(rootFolder_, record.relativePath)});
  }
  if (requests.empty()) {
    if (!loader_) {
      hourglass_ = false;
      RefreshCursor();
    }
    return;
  }
  asking_ = true;
  askedWhileReading_ = loader_ != nullptr;
  shellWorker_.Ask(generation_, std::move(requests));
}

void Browser::ShellInfoArrived(LPARAM lp) {
  const std::unique_ptr<ShellInfoBatch> batch = ShellInfoWorker::TakeBatch(lp);
  if (batch->generation != generation_) return;
  for (ShellInfoAnswer& answer : batch->answers) {
    // The generation vouches that the record is still there: every removal starts a new one.
    FileRecord& record = *const_cast<FileRecord*>(static_cast<const FileRecord*>(answer.record));
    record.iconIndex = answer.icon;
    record.typeText = answer.typeText.empty() ? FallbackTypeText(record.name, record.isFile) : std::move(answer.typeText);
    if (answer.overlayIndex != -1 && answer.hasDisplayName) record.overlayIndex = answer.overlayIndex;
    ++completions_;
  }
  InvalidateRect(listView_.hwnd(), nullptr, FALSE);
  if (!batch->last) return;
  asking_ = false;
  AskShellInfo();
}

void Browser::ForgetShellInfo() {
  ++generation_;
  asking_ = false;
  shellWorker_.Forget();
}

void Browser::ResumeFileInfoWorker() {
  ForgetShellInfo();
  AskShellInfo();
}

void Browser::StopFileInfoWorker() {
  stopThumbnails_ = true;
  ForgetShellInfo();
}

void Browser::FillShellInfo(FileRecord& record, const std::string& fullPath) {
  ShellItemInfo info = shellInfo_.GetShellFileInfo(fullPath);
  record.iconIndex = info.icon;
  record.typeText = info.typeName.empty() ? FallbackTypeText(record.name, record.isFile) : std::move(info.typeName);
  if (info.overlayIndex != -1 && !info.displayName.empty()) record.overlayIndex = info.overlayIndex;
}

// ---- navigation

void Browser::ShowStatusPath() {
  std::string status = currentFolder_;
  // Known from the listing's loader: the window asks no drive.
  if (!currentFolder_.empty() && folderMissing_) status = kNotFoundMarker + currentFolder_;
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
    afterListing_ = [this, section] {
      listView_.DeselectAll();
      const std::vector<std::string> keys = views_.SelectionOf(section);
      if (keys.empty()) return;
      const Reselection reselect = RowsToReselect(records_, keys);
      for (int row : reselect.rows) listView_.SelectRow(row, row == reselect.scrollTo);
    };
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
  OpenFolder(target.parent);
  const std::string name = target.nameToSelect;
  afterListing_ = [this, name] { SelectRowByName(name, true); };
  hourglass_ = false;
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  if (!CanGoUp(currentFolder_, rootFolder_)) host_.EnableUpButton(false);
}

void Browser::Refresh() {
  // A folder gone is found so by the loader, which lists it empty and marks its path.
  if (!currentFolder_.empty()) OpenFolder(currentFolder_);
}

void Browser::SaveSelection(int row) {
  FolderNodeRef target;
  // The list must show this very node's folder: keys such as Home or End move the tree's
  // selection without listing, and the rows of another folder would overwrite its memory.
  if (!host_.SelectedFolderNode(target) || target.path != rootFolder_ || currentFolder_ != rootFolder_) return;
  // Rows still being read have not had the remembered selection yet: it stays remembered.
  if (loader_) return;
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
  // The rows being read keep the name order they are merged in until the listing ends.
  if (loader_) return;
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
  // While the loader reads, the count says so.
  host_.ShowRowCount((loader_ ? kReadingText : "") +
                     (shownRows_.filtered() ? std::to_string(ShownRowCount()) + " / " + all : all));
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
  // Opening the folders is the watch's own thread's to do: they may be on a hung drive.
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
  // A folder without change notices (some network folders) is listed as it is, unwatched.
  if (watcher_->failed()) {
    StopWatching();
    return;
  }
  // Rows must not move under a label being edited or a thumbnail pass, and one follow-up is
  // read at a time: the changes wait.
  if (listView_.IsEditingLabel() || host_.ThumbnailPassRunning() || follower_ || heldChanges_) {
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
  if (heldChanges_ && !listView_.IsEditingLabel() && !host_.ThumbnailPassRunning()) {
    const std::unique_ptr<ListingBatch> read = std::move(heldChanges_);
    ApplyFollowedChanges(*read);
  }
  if (changesWaiting_ && watcher_) FolderChanged(watcher_->id());
}

void Browser::FollowChanges(const ChangeBatch& batch) {
  ++followedChanges_;
  ListingRequest request;
  request.follow = true;
  request.reread = watchFlat_ || batch.rereadAll() || batch.watchLost();
  if (request.reread) ++rereads_;
  request.flat = watchFlat_;
  request.folder = watchedFolder_;
  request.candidates = flatFolders_;
  request.options = CurrentListingOptions();
  request.flatLimit = flatLimit_;
  followLookups_ = FreshEntries();
  if (!request.reread) {
    // Which paths to read is known here, from the rows; the reading is the loader's.
    const std::string base = IncludeTrailingBackslash(watchedFolder_);
    followLookups_ = ReadChangedEntries(
        batch, records_, collation_,
        [&](const std::wstring& name) { return RelativePath(base + files_->NameToAnsi(name), rootFolder_); },
        [&](const std::string& relativePath) {
          request.changed.push_back(RecordFullPath(rootFolder_, relativePath));
          return std::unique_ptr<FileRecord>();
        });
  }
  // Read on a loader's thread, as listings are: the folder may be on a slow drive.
  request.tag = followTag_ = ++tagCount_;
  follower_ = StartLoader(std::move(request));
}

void Browser::ApplyFollowedChanges(ListingBatch& read) {
  if (read.missing) {
    WatchedFolderGone();
    return;
  }
  // The merge may free records: answers asked before are dropped.
  ForgetShellInfo();
  // Taken before any record goes, and after the new ones are made: no address in it can
  // stand for another record afterwards.
  const RowState state = SaveRowState();
  FreshEntries fresh;
  if (read.reread) {
    fresh.entries = std::move(read.records);
    fresh.whole = true;
  } else {
    fresh.renames = std::move(followLookups_.renames);
    for (std::size_t i = 0; i < followLookups_.lookedUp.size(); ++i)
      fresh.LookedUp(std::move(followLookups_.lookedUp[i].first),
                     i < read.found.size() ? std::move(read.found[i]) : std::unique_ptr<FileRecord>());
  }
  followLookups_ = FreshEntries();
  const MergeCounts counts = MergeIntoListing(records_, std::move(fresh), outOfPlace_, listSort_.sortedColumn(),
                                              listSort_.sortedAscending(), collation_);
  AskShellInfo();
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
  folderMissing_ = true;
  ShowCount();
  ShowStatusPath();
  host_.ListedFolderGone();
}

}  // namespace velmora
