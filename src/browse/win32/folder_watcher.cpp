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

// What the watching thread uses; it holds it alive after the window has let the watch go.
struct FolderWatcher::Shared {
  struct Watch {
    HANDLE directory = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped = {};
    std::vector<DWORD> buffer;
  };
  HWND window;
  UINT message;
  Poster poster;
  unsigned id;
  bool subtree = false;
  Timing timing;
  std::vector<std::string> folders;
  std::vector<Watch> watches;    // the thread's own
  HANDLE stop = nullptr;
  SRWLOCK lock = SRWLOCK_INIT;
  ChangeBatch batch;             // under lock
  bool posted = false;           // under lock
  std::atomic<bool> failed{false};
  std::atomic<bool> armed{false};
  unsigned long long firstChange = 0, lastChange = 0;  // the thread's own
  std::size_t burstNotices = 0;                         // the thread's own: since it was last quiet

  ~Shared() {
    if (stop) CloseHandle(stop);
  }
  bool Open();
  void Loop();
  bool Read(Watch& watch);
  // The number of notices gathered.
  std::size_t Gather(const Watch& watch, DWORD bytes);
  void Close();
  // Posts the message; false when it could not be posted.
  bool Post() const {
    return poster ? poster(window, message, static_cast<WPARAM>(id))
                  : PostMessageW(window, message, static_cast<WPARAM>(id), 0) != FALSE;
  }
  // A batch whose message could not be posted is handed over again later: until then it
  // is not taken, so the watch must not count it as posted.
  void PostFailed() {
    AcquireSRWLockExclusive(&lock);
    posted = false;
    ReleaseSRWLockExclusive(&lock);
  }
  // The last message of a watch that ends on its own, posted until it goes through.
  void PostUntilTaken() {
    while (!Post()) {
      if (WaitForSingleObject(stop, timing.quietMs) != WAIT_TIMEOUT) return;
    }
  }
};

FolderWatcher::FolderWatcher(HWND window, UINT message, unsigned id) : shared_(std::make_shared<Shared>()), id_(id) {
  shared_->window = window;
  shared_->message = message;
  shared_->id = id;
}

FolderWatcher::~FolderWatcher() { Stop(); }

bool FolderWatcher::Start(const std::vector<std::string>& folders, bool subtree, Timing timing) {
  Shared& s = *shared_;
  s.subtree = subtree;
  s.timing = timing;
  s.batch = ChangeBatch(timing.nameLimit);
  // One wait covers the stop event and every folder.
  if (folders.empty() || folders.size() >= MAXIMUM_WAIT_OBJECTS) return false;
  s.folders = folders;
  s.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!s.stop) return false;
  auto* held = new std::shared_ptr<Shared>(shared_);
  HANDLE thread = CreateThread(nullptr, 0, &FolderWatcher::Run, held, 0, nullptr);
  if (!thread) {
    delete held;
    return false;
  }
  CloseHandle(thread);
  return true;
}

DWORD WINAPI FolderWatcher::Run(void* held) {
  GiveBackUnusedStack();
  const std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(held));
  Shared& s = **shared;
  if (s.Open()) {
    s.armed = true;
    s.Loop();
  } else {
    s.failed = true;
    s.PostUntilTaken();
  }
  s.Close();
  return 0;
}

bool FolderWatcher::Shared::Open() {
  watches.resize(folders.size());
  for (std::size_t i = 0; i < folders.size(); ++i) {
    Watch& watch = watches[i];
    const std::wstring path = AnsiToWide(folders[i]);
    watch.directory = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    watch.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watch.buffer.resize(kBufferWords);
    if (watch.directory == INVALID_HANDLE_VALUE || !watch.event || !Read(watch)) return false;
  }
  return true;
}

bool FolderWatcher::Shared::Read(Watch& watch) {
  ResetEvent(watch.event);
  watch.overlapped = OVERLAPPED();
  watch.overlapped.hEvent = watch.event;
  return ReadDirectoryChangesW(watch.directory, watch.buffer.data(), static_cast<DWORD>(watch.buffer.size() * sizeof(DWORD)),
                               subtree ? TRUE : FALSE, kNoticeFilter, nullptr, &watch.overlapped, nullptr) != FALSE;
}

void FolderWatcher::Stop() {
  if (shared_->stop) SetEvent(shared_->stop);
}

bool FolderWatcher::failed() const { return shared_->failed; }
bool FolderWatcher::armed() const { return shared_->armed; }

void FolderWatcher::Shared::Close() {
  for (Watch& watch : watches) {
    if (watch.directory != INVALID_HANDLE_VALUE) {
      // A read still pending writes into the buffer until it is cancelled; the reads are
      // this thread's own.
      if (CancelIoEx(watch.directory, &watch.overlapped)) {
        DWORD bytes = 0;
        GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, TRUE);
      }
      CloseHandle(watch.directory);
    }
    if (watch.event) CloseHandle(watch.event);
  }
  watches.clear();
}

void FolderWatcher::SetPoster(Poster poster) { shared_->poster = std::move(poster); }

ChangeBatch FolderWatcher::Take() {
  Shared& s = *shared_;
  AcquireSRWLockExclusive(&s.lock);
  ChangeBatch taken = std::move(s.batch);
  s.batch = ChangeBatch(s.timing.nameLimit);
  s.posted = false;
  ReleaseSRWLockExclusive(&s.lock);
  return taken;
}

std::size_t FolderWatcher::Shared::Gather(const Watch& watch, DWORD bytes) {
  std::size_t notices = 1;
  AcquireSRWLockExclusive(&lock);
  if (bytes == 0) {
    // The notices did not fit: which names changed is lost.
    batch.RereadAll();
  } else if (subtree) {
    // Names below sub-folders cannot be followed one by one; the listing is read again.
    batch.RereadAll();
  } else {
    const auto* base = reinterpret_cast<const BYTE*>(watch.buffer.data());
    for (DWORD offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
      batch.Add(KindOf(info->Action), std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)));
      if (!info->NextEntryOffset) break;
      offset += info->NextEntryOffset;
      ++notices;
    }
  }
  ReleaseSRWLockExclusive(&lock);
  return notices;
}

void FolderWatcher::Shared::Loop() {
  std::vector<HANDLE> handles{stop};
  for (const Watch& watch : watches) handles.push_back(watch.event);
  bool pending = false;
  for (;;) {
    DWORD timeout = INFINITE;
    if (pending) timeout = HandOverDelay(GetTickCount64(), firstChange, lastChange, timing.quietMs, timing.maxDelayMs);
    const DWORD r = timeout == 0 ? WAIT_TIMEOUT
                                 : WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
    if (r == WAIT_OBJECT_0) return;
    if (r == WAIT_TIMEOUT) {
      // Quiet, rather than a burst handed over at its latest (a wait may end a tick early).
      const bool quiet = lastChange + timing.quietMs <= firstChange + timing.maxDelayMs;
      AcquireSRWLockExclusive(&lock);
      if (quiet && burstNotices >= timing.burstReread) batch.RereadAll();
      const bool post = !posted && !batch.empty();
      if (post) posted = true;
      ReleaseSRWLockExclusive(&lock);
      if (quiet) burstNotices = 0;
      pending = false;
      if (post && !Post()) {
        // Not handed over (the queue is full, say): tried again once another quiet time has
        // passed, so that the watch never goes silent with a batch nobody was told of.
        PostFailed();
        firstChange = lastChange = GetTickCount64();
        pending = true;
      }
      continue;
    }
    if (r <= WAIT_OBJECT_0 || r >= WAIT_OBJECT_0 + handles.size()) {
      AcquireSRWLockExclusive(&lock);
      batch.WatchLost();
      posted = true;
      ReleaseSRWLockExclusive(&lock);
      PostUntilTaken();
      return;
    }
    Watch& watch = watches[r - WAIT_OBJECT_0 - 1];
    DWORD bytes = 0;
    bool read = GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, FALSE) != FALSE;
    // Too many notices for the buffer: the names are lost, the watch is not.
    if (!read && GetLastError() == ERROR_NOTIFY_ENUM_DIR) {
      read = true;
      bytes = 0;
    }
    if (read) burstNotices += Gather(watch, bytes);
    const unsigned long long now = GetTickCount64();
    if (!pending) firstChange = now;
    lastChange = now;
    pending = true;
    if (!read || !Read(watch)) {
      // The folder went away or stopped reporting: the list finds out which, at once.
      AcquireSRWLockExclusive(&lock);
      batch.WatchLost();
      const bool post = !posted;
      posted = true;
      ReleaseSRWLockExclusive(&lock);
      if (post) PostUntilTaken();
      return;
    }
  }
}

}  // namespace velmora
