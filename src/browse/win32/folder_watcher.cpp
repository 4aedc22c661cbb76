#include "browse/win32/folder_watcher.h"

#include "win32/strings.h"
#include "win32/thread_stack.h"

namespace velmora {

namespace {
constexpr DWORD kNoticeFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE;
// 64 KB: larger buffers fail on network folders.
constexpr std::size_t kBufferWords = 16384;

ChangeKind KindOf(DWORD action) {
  switch (action) {
    case FILE_ACTION_ADDED: return ChangeKind::kAdded;
    case FILE_ACTION_REMOVED: return ChangeKind::kRemoved;
    case FILE_ACTION_RENAMED_OLD_NAME: return ChangeKind::kRenamedFrom;
    case FILE_ACTION_RENAMED_NEW_NAME: return ChangeKind::kRenamedTo;
    default: return ChangeKind::kModified;
  }
}
}  // namespace

FolderWatcher::FolderWatcher(HWND window, UINT message, unsigned id) : window_(window), message_(message), id_(id) {}

FolderWatcher::~FolderWatcher() { Stop(); }

bool FolderWatcher::Start(const std::vector<std::string>& folders, bool subtree, Timing timing) {
  subtree_ = subtree;
  timing_ = timing;
  batch_ = ChangeBatch(timing_.nameLimit);
  // One wait covers the stop event and every folder.
  if (folders.empty() || folders.size() >= MAXIMUM_WAIT_OBJECTS) return false;
  watches_.resize(folders.size());
  for (std::size_t i = 0; i < folders.size(); ++i) {
    Watch& watch = watches_[i];
    const std::wstring path = AnsiToWide(folders[i]);
    watch.directory = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    watch.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watch.buffer.resize(kBufferWords);
    if (watch.directory == INVALID_HANDLE_VALUE || !watch.event || !Read(watch)) {
      Close();
      return false;
    }
  }
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = stop_ ? CreateThread(nullptr, 0, &FolderWatcher::Run, this, 0, nullptr) : nullptr;
  if (!thread_) {
    Close();
    return false;
  }
  return true;
}

bool FolderWatcher::Read(Watch& watch) {
  ResetEvent(watch.event);
  watch.overlapped = OVERLAPPED();
  watch.overlapped.hEvent = watch.event;
  return ReadDirectoryChangesW(watch.directory, watch.buffer.data(), static_cast<DWORD>(watch.buffer.size() * sizeof(DWORD)),
                               subtree_ ? TRUE : FALSE, kNoticeFilter, nullptr, &watch.overlapped, nullptr) != FALSE;
}

void FolderWatcher::Stop() {
  if (thread_) {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  Close();
}

void FolderWatcher::Close() {
  for (Watch& watch : watches_) {
    if (watch.directory != INVALID_HANDLE_VALUE) {
      // A read still pending writes into the buffer until it is cancelled. The watching
      // thread re-arms the reads, and CancelIo reaches only the calling thread's own.
      if (CancelIoEx(watch.directory, &watch.overlapped)) {
        DWORD bytes = 0;
        GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, TRUE);
      }
      CloseHandle(watch.directory);
    }
    if (watch.event) CloseHandle(watch.event);
  }
  watches_.clear();
  if (stop_) CloseHandle(stop_);
  stop_ = nullptr;
}

bool FolderWatcher::Post() const {
  return poster_ ? poster_(window_, message_, static_cast<WPARAM>(id_))
                 : PostMessageW(window_, message_, static_cast<WPARAM>(id_), 0) != FALSE;
}

void FolderWatcher::PostFailed() {
  AcquireSRWLockExclusive(&lock_);
  posted_ = false;
  ReleaseSRWLockExclusive(&lock_);
}

ChangeBatch FolderWatcher::Take() {
  AcquireSRWLockExclusive(&lock_);
  ChangeBatch taken = std::move(batch_);
  batch_ = ChangeBatch(timing_.nameLimit);
  posted_ = false;
  ReleaseSRWLockExclusive(&lock_);
  return taken;
}

void FolderWatcher::PostUntilTaken() {
  // The watch ends here: the list must hear of it, so a failed post is tried again until it
  // goes through or the watch is stopped.
  while (!Post()) {
    if (WaitForSingleObject(stop_, timing_.quietMs) != WAIT_TIMEOUT) return;
  }
}

DWORD WINAPI FolderWatcher::Run(void* self) {
  GiveBackUnusedStack();
  static_cast<FolderWatcher*>(self)->Loop();
  return 0;
}

std::size_t FolderWatcher::Gather(const Watch& watch, DWORD bytes) {
  std::size_t notices = 1;
  AcquireSRWLockExclusive(&lock_);
  if (bytes == 0) {
    // The notices did not fit: which names changed is lost.
    batch_.RereadAll();
  } else if (subtree_) {
    // Names below sub-folders cannot be followed one by one; the listing is read again.
    batch_.RereadAll();
  } else {
    const auto* base = reinterpret_cast<const BYTE*>(watch.buffer.data());
    for (DWORD offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
      batch_.Add(KindOf(info->Action), std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)));
      if (!info->NextEntryOffset) break;
      offset += info->NextEntryOffset;
      ++notices;
    }
  }
  ReleaseSRWLockExclusive(&lock_);
  return notices;
}

void FolderWatcher::Loop() {
  std::vector<HANDLE> handles{stop_};
  for (const Watch& watch : watches_) handles.push_back(watch.event);
  bool pending = false;
  for (;;) {
    DWORD timeout = INFINITE;
    if (pending) timeout = HandOverDelay(GetTickCount64(), firstChange_, lastChange_, timing_.quietMs, timing_.maxDelayMs);
    const DWORD r = timeout == 0 ? WAIT_TIMEOUT
                                 : WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
    if (r == WAIT_OBJECT_0) return;
    if (r == WAIT_TIMEOUT) {
      // Quiet, rather than a burst handed over at its latest (a wait may end a tick early).
      const bool quiet = lastChange_ + timing_.quietMs <= firstChange_ + timing_.maxDelayMs;
      AcquireSRWLockExclusive(&lock_);
      if (quiet && burstNotices_ >= timing_.burstReread) batch_.RereadAll();
      const bool post = !posted_ && !batch_.empty();
      if (post) posted_ = true;
      ReleaseSRWLockExclusive(&lock_);
      if (quiet) burstNotices_ = 0;
      pending = false;
      if (post && !Post()) {
        // Not handed over (the queue is full, say): tried again once another quiet time has
        // passed, so that the watch never goes silent with a batch nobody was told of.
        PostFailed();
        firstChange_ = lastChange_ = GetTickCount64();
        pending = true;
      }
      continue;
    }
    if (r <= WAIT_OBJECT_0 || r >= WAIT_OBJECT_0 + handles.size()) {
      AcquireSRWLockExclusive(&lock_);
      batch_.WatchLost();
      posted_ = true;
      ReleaseSRWLockExclusive(&lock_);
      PostUntilTaken();
      return;
    }
    Watch& watch = watches_[r - WAIT_OBJECT_0 - 1];
    DWORD bytes = 0;
    bool read = GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, FALSE) != FALSE;
    // Too many notices for the buffer: the names are lost, the watch is not.
    if (!read && GetLastError() == ERROR_NOTIFY_ENUM_DIR) {
      read = true;
      bytes = 0;
    }
    if (read) burstNotices_ += Gather(watch, bytes);
    const unsigned long long now = GetTickCount64();
    if (!pending) firstChange_ = now;
    lastChange_ = now;
    pending = true;
    if (!read || !Read(watch)) {
      // The folder went away or stopped reporting: the list finds out which, at once.
      AcquireSRWLockExclusive(&lock_);
      batch_.WatchLost();
      const bool post = !posted_;
      posted_ = true;
      ReleaseSRWLockExclusive(&lock_);
      if (post) PostUntilTaken();
      return;
    }
  }
}

}  // namespace velmora
