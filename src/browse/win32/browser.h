// The folder browser: the records of the listed folder, the virtual list that shows them,
// the sort, the shell file information, the worker that completes the rows, and moving
// between folders. It keeps the record invariants, so that no caller has to.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browse/completion_cursor.h"
#include "browse/enumeration.h"
#include "browse/file_record.h"
#include "browse/listing_changes.h"
#include "browse/listing_loader.h"
#include "browse/name_filter.h"
#include "browse/record_sort.h"
#include "browse/shown_rows.h"
#include "browse/win32/file_list_view.h"
#include "browse/win32/folder_watcher.h"
#include "browse/win32/shell_file_info.h"
#include "browse/win32/shell_info_worker.h"
#include "browse/win32/win32_directory.h"
#include "common/collation.h"
#include "common/file_system.h"
#include "common/prompter.h"
#include "common/remembered_views.h"
#include "win32/shell_context.h"

namespace velmora {

// A registered folder's node in the tree: the binder's title, the node's caption and the path.
struct FolderNodeRef {
  std::string binder;
  std::string nodeText;
  std::string path;
};

// What the browser asks of the window around it.
class BrowserHost {
 public:
  virtual ~BrowserHost() = default;
  virtual void ShowRowCount(const std::string& text) = 0;
  virtual void ShowPath(const std::string& text) = 0;
  virtual void EnableUpButton(bool enabled) = 0;
  virtual void EnableThumbnailButton(bool enabled) = 0;
  virtual void ShowViewStyle(ViewStyle style) = 0;
  virtual AttributeSwitches Switches() const = 0;
  virtual void PlayStartSound() = 0;
  // The registered folder whose node the tree has selected; false for root and binder nodes.
  virtual bool SelectedFolderNode(FolderNodeRef& node) const = 0;
  // In thumbnail mode: rows were read again or added, and have no picture yet.
  virtual void RowsWantThumbnails() = 0;
  // A new listing empties the filter box (the browser has dropped the filter already).
  virtual void ClearNameFilterBox() = 0;
  // While a thumbnail pass walks the rows, they must not move under it.
  virtual bool ThumbnailPassRunning() const = 0;
  // The listed folder is gone: the tree marks it as a refresh would.
  virtual void ListedFolderGone() = 0;
};

class Browser {
 public:
  struct Messages {
    UINT shellInfo;       // posted by the shell information worker; the window calls ShellInfoArrived
    UINT listing;         // posted by a listing's loader; the window calls ListingArrived
    UINT folderChanged;   // posted by the folder's watch; the window calls FolderChanged
  };

  Browser(BrowserHost& host, const Collation& collation, Prompter& prompter, RememberedViews& views);
  ~Browser();
  Browser(const Browser&) = delete;
  Browser& operator=(const Browser&) = delete;

  // The list control exists; the shell context is started and outlives the browser's use of it.
  void SetUp(HWND window, HWND list, Messages messages, const ShellContext& shell, int systemLevel,
             const std::string& ownFolder);
  // Before the window goes: lets the listing's and the shell's threads go and empties the list.
  void Close();
  // Before COM ends.
  void ReleaseShellObjects() { shellInfo_.ResetCache(); }

  // Listings. A listing is read on a loader thread and its rows come as they are read; the
  // steps that need the whole listing (the remembered selection) run when it ends.
  void ListFolder(const std::string& path, bool flat);
  bool loading() const { return loader_ != nullptr; }
  void OpenFolder(const std::string& path);
  void ClearFileRecords();
  void StopFileInfoWorker();

  // Navigation.
  void ShowRegisteredFolder(const FolderNodeRef& node);
  void ShowNothing();
  void EnterFolder(int row, const std::string& fullPath);
  void GoUp();
  void Refresh();
  // Remembers the shown folder's selection (or row, when not -1) for the selected node.
  void SaveSelection(int row);
  int SelectRowByName(const std::string& name, bool makeVisible);
  void SetViewStyle(ViewStyle style);
  void ColumnClick(int column);
  void MouseMove();
  void LeaveThumbnailMode(bool refresh);
  // The thumbnail pass: thumbnail mode starts with the pass (and the stop flag is cleared);
  // a completed pass installs its list, in which each row has its own picture.
  void EnterThumbnailMode();
  void ShowThumbnails(HIMAGELIST images);
  // The row's picture in the thumbnail list, which moves with the row; -1 for none. Rows
  // redraw with a picture set while the list is shown.
  int RowThumbnail(int row) const;
  void SetRowThumbnail(int row, int image);
  bool thumbnailMode() const { return thumbnailMode_; }
  const ListSort& listSort() const { return listSort_; }
  // Set by every stop of the worker: listings, leaving the folder, closing.
  bool stopThumbnails() const { return stopThumbnails_; }

  // The filter box's text: only rows whose names contain it stay shown. The selection and
  // the focus stay on the rows that remain.
  void SetNameFilter(const std::wstring& typed);
  const std::wstring& nameFilter() const { return filterText_; }
  // The record a row shows, or null.
  const FileRecord* RowRecord(int row) const { return velmora::RowRecord(records_, shownRows_, row); }
  int ShownRowCount() const { return static_cast<int>(shownRows_.RowCount(records_.size())); }

  // The folder's watch, forwarded by the window: the list follows the changes on disk.
  void FolderChanged(unsigned id);
  // Changes held back while a label was edited or a thumbnail pass ran.
  void ApplyWaitingChanges();
  // The watch has its folders open (it opens them on its own thread).
  bool watching() const { return watcher_ != nullptr && watcher_->armed(); }
  // Batches of changes the list has followed since the browser was made, and how many of
  // them read the whole listing again.
  std::size_t followedChanges() const { return followedChanges_; }
  std::size_t rereads() const { return rereads_; }
  // How long the watch waits for a burst to settle; tests lengthen it.
  void SetWatchTiming(FolderWatcher::Timing timing) { watchTiming_ = timing; }

  // The threads' batches, forwarded by the window, which owns nothing of them.
  void ShellInfoArrived(LPARAM batch);
  void ListingArrived(LPARAM batch);
  // The window's timer kRowsTimer: rows read and held back are shown now.
  void ShowReadRows();
  static constexpr UINT_PTR kRowsTimer = 0x5652;

  std::string RowFullPath(int row) const;
  std::vector<std::string> SelectedPaths() const;
  // The full path of a record, by its index in records().
  std::string RecordPath(std::size_t record) const;
  // The row whose full path is this one (letter case aside), or -1.
  int RowOfPath(const std::string& fullPath) const;
  // The same for several paths in one pass over the records.
  std::vector<int> RowsOfPaths(const std::vector<std::string>& fullPaths) const;

  // Record changes after a file operation, each keeping the record invariants.
  // Removes the rows of these full paths (a delete that went through).
  void RemoveRows(const std::vector<std::string>& fullPaths);
  // Reads each path's entry again: the row of that path is refreshed and selected, a path
  // without a row is appended at the end; paths that are gone are skipped. The record takes
  // the entry's own kind and the shell's information for the path.
  void RefreshEntries(const std::vector<std::string>& fullPaths);
  // Edits one row's record in place (a rename) and redraws the row. A renamed row keeps its
  // place and takes the type, icon, overlay and picture of its new name.
  template <typename Edit>
  void ChangeRecord(int row, Edit edit) {
    const std::size_t record = shownRows_.RecordOf(row, records_.size());
    if (record == ShownRows::npos) return;
    const std::string oldPath = records_[record]->relativePath;
    edit(*records_[record]);
    RecordEdited(row, record, oldPath);
  }

  const FileRecordList& records() const { return records_; }
  FileListView& listView() { return listView_; }
  ShellFileInfo& shellInfo() { return shellInfo_; }
  const std::string& rootFolder() const { return rootFolder_; }
  const std::string& currentFolder() const { return currentFolder_; }
  bool flatListing() const { return flatListing_; }
  bool hourglass() const { return hourglass_; }
  // The shell's information is still being fetched for some records.
  bool WorkerRunning() const { return asking_; }
  // Records completed by workers, and listings made, since the browser was made.
  std::size_t completions() const { return completions_; }
  std::size_t listings() const { return listings_; }
  int defaultFileIcon() const { return defaultFileIcon_; }
  int defaultFolderIcon() const { return defaultFolderIcon_; }
  HIMAGELIST systemLargeImages() const { return systemLarge_; }
  HIMAGELIST systemSmallImages() const { return systemSmall_; }
  // The port listings read folders through; tests and harnesses put a slow one in.
  void SetFileSystem(FileSystem& files) { files_ = &files; }
  // The flat listing's file limit; tests lower it.
  void SetFlatListingLimit(int limit) { flatLimit_ = limit; }

 private:
  ListingOptions CurrentListingOptions() const;
  // The selected rows that are folders, as the listing knows them (no drive is asked).
  std::vector<std::string> SelectedFolders() const;
  std::unique_ptr<ListingLoader> StartLoader(ListingRequest request);
  void ListSelectedFoldersFlat(ListingRequest& request);
  void InstallFlatListing(ListingBatch& batch);
  void KeepListing();
  void FinishListing(bool missing);
  void AbandonListing();
  void AskShellInfo();
  void SetUpSystemImageLists(const std::string& ownFolder);
  void FillShellInfo(FileRecord& record, const std::string& fullPath);
  void ShowStatusPath();
  void ShowSortArrow();
  void ShowCount();
  std::vector<std::size_t> RecordsOfPaths(const std::vector<std::string>& fullPaths) const;
  // Which records are shown, the selection, the focus and the first visible row, kept by
  // record across a change of the records or of the filter.
  struct RowState {
    std::vector<const FileRecord*> selected;
    const FileRecord* focused = nullptr;
    const FileRecord* top = nullptr;
  };
  RowState SaveRowState() const;
  void ShowRowsAgain(const RowState& state);
  void FilterRows();
  void StartWatching(const std::vector<std::string>& folders, bool subtree);
  void StopWatching();
  void FollowChanges(const ChangeBatch& batch);
  void RecordEdited(int row, std::size_t record, const std::string& oldPath);
  void ApplyFollowedChanges(ListingBatch& read);
  void WatchedFolderGone();
  // The worker completes records again after some were added or changed.
  void ResumeFileInfoWorker();
  void ForgetShellInfo();

  BrowserHost& host_;
  const Collation& collation_;
  Prompter& prompter_;
  RememberedViews& views_;

  FileSystem* files_;
  HWND window_ = nullptr;
  Messages messages_ = {};
  int systemLevel_ = 2;
  HIMAGELIST systemSmall_ = nullptr;  // the shell's lists, shared, not owned
  HIMAGELIST systemLarge_ = nullptr;
  int defaultFileIcon_ = 0;
  int defaultFolderIcon_ = 0;
  LocaleSeparators separators_;

  std::string rootFolder_;
  std::string currentFolder_;
  FileRecordList records_;
  RowsOutOfPlace outOfPlace_;
  FreshEntries followLookups_;  // the paths the follow-up under way reads, and its renames
  FileListView listView_;
  ShownRows shownRows_;
  std::wstring filterText_;
  std::unique_ptr<NameFolding> folding_;
  ListSort listSort_;
  ShellFileInfo shellInfo_;
  ShellInfoWorker shellWorker_;
  // Bumped whenever records may have gone: answers asked before are dropped.
  unsigned generation_ = 0;
  bool asking_ = false;
  bool askedWhileReading_ = false;
  std::unique_ptr<ListingLoader> loader_;
  // The watch's follow-up being read, and one read while rows had to stay put.
  std::unique_ptr<ListingLoader> follower_;
  unsigned followTag_ = 0;
  std::unique_ptr<ListingBatch> heldChanges_;
  unsigned tagCount_ = 0;  // each listing and follow-up has a tag of its own
  unsigned listingTag_ = 0;
  std::string listingPath_;
  std::vector<std::string> loadingKeys_;  // the records' name keys while a listing is read
  // Records read but not shown yet, with their keys, and when rows may be taken in next.
  FileRecordList unshownRecords_;
  std::vector<std::string> unshownKeys_;
  std::chrono::steady_clock::time_point nextShow_;
  std::function<void()> afterListing_;
  bool folderMissing_ = false;
  CompletionCursor cursor_;
  std::size_t completions_ = 0;
  std::size_t listings_ = 0;
  int flatLimit_ = kFlatListingLimit;
  bool flatListing_ = false;
  bool hourglass_ = false;
  bool thumbnailMode_ = false;
  bool stopThumbnails_ = false;

  std::unique_ptr<FolderWatcher> watcher_;
  unsigned watcherCount_ = 0;
  FolderWatcher::Timing watchTiming_;
  std::string watchedFolder_;                // a folder listing's folder
  std::vector<std::string> flatFolders_;     // a flat listing's folders
  bool watchFlat_ = false;
  bool flatBefore_ = false;  // the listing a flat one replaces was flat
  bool changesWaiting_ = false;
  std::size_t followedChanges_ = 0;
  std::size_t rereads_ = 0;
};

}  // namespace velmora
