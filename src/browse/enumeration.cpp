#include "browse/enumeration.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "text/cp932.h"

namespace velmora {

namespace {

bool IsFolder(const FindEntry& entry) { return (entry.attributes & kAttrDirectory) != 0; }

std::unique_ptr<FileRecord> RecordFor(const FindEntry& entry, const std::string& folderWithSlash,
                                      bool isFile, FileSystem& files,
                                      const ListingOptions& options) {
  std::string name = files.NameToAnsi(entry.name);
  std::string fullPath = folderWithSlash + name;
  return MakeListedRecord(entry, std::move(name), fullPath, isFile,
                          files.ToLocalFileTime(entry.lastWriteTime), options.record);
}

bool Listed(const FindEntry& entry, const ListingOptions& options) {
  return !IsDotEntry(entry) && PassesAttributeFilter(entry.attributes, options.switches);
}

// Entries per hand-over. Under Wine each hand-over can cost a server round trip, so batches
// are large; what is left after the last entry is at most one batch's records.
constexpr std::size_t kBatch = 1024;

// Entries handed from the reading thread to the listing one. Slots are kept when a batch is
// emptied, so that after the first few batches an entry is copied into a name's existing
// storage: the two threads then hardly ever meet in the heap.
struct EntryBatch {
  std::vector<FindEntry> slots;
  std::size_t count = 0;

  const FindEntry* begin() const { return slots.data(); }
  const FindEntry* end() const { return slots.data() + count; }
  FindEntry& Next() {
    if (count == slots.size()) {
      if (slots.empty()) slots.reserve(kBatch);
      slots.emplace_back();
    }
    return slots[count++];
  }
  // Moves other's entries to the end of these; other is left empty.
  void Append(EntryBatch& other) {
    if (count == 0) {
      std::swap(*this, other);
    } else {
      for (std::size_t i = 0; i < other.count; ++i) std::swap(Next(), other.slots[i]);
    }
    other.count = 0;
  }
};

// The entries of one search, read on a thread of its own and taken in batches. The reader
// never waits for the taker, whose work per entry is the smaller.
class EntryReader {
 public:
  EntryReader(FileSystem& files, std::string pattern, const ListingOptions& options,
              const std::function<void()>& onStart)
      : thread_([this, &files, pattern = std::move(pattern), &options, &onStart] {
          if (onStart) onStart();
          Read(files, pattern, options);
        }) {}
  // A taker that leaves early (it threw) stops the search at its next entry.
  ~EntryReader() {
    stop_ = true;
    thread_.join();
  }
  EntryReader(const EntryReader&) = delete;
  EntryReader& operator=(const EntryReader&) = delete;

  // Swaps the entries read since the last call into batch, whose slots go back to the
  // reader; false once the search has ended and everything was taken. Rethrows what the
  // search threw.
  bool Take(EntryBatch& batch) {
    batch.count = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return ready_.count > 0 || ended_; });
    if (ready_.count > 0) {
      std::swap(batch, ready_);
      return true;
    }
    if (failure_) std::rethrow_exception(failure_);
    return false;
  }

 private:
  void Read(FileSystem& files, const std::string& pattern, const ListingOptions& options) {
    EntryBatch batch;
    std::exception_ptr failure;
    try {
      files.Search(pattern, [&](const FindEntry& entry) {
        if (stop_) return false;
        if (!Listed(entry, options)) return true;
        batch.Next() = entry;
        if (batch.count >= kBatch) HandOver(batch);
        return true;
      });
    } catch (...) {
      failure = std::current_exception();
    }
    // What was read before a failure is still listed, as when the search ran on this thread.
    try {
      HandOver(batch);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = failure;
    ended_ = true;
    wake_.notify_one();
  }
  void HandOver(EntryBatch& batch) {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_.Append(batch);
    wake_.notify_one();
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  EntryBatch ready_;
  std::exception_ptr failure_;
  bool ended_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: started once the rest is in place
};

}  // namespace

std::string EnumerationPattern(std::string_view folder, int systemLevel) {
  std::string pattern = IncludeTrailingBackslash(folder) + "*.*";
  bool network = IsNetworkPath(folder);
  if (systemLevel == 2 && !network) pattern.insert(0, "\\\\?\\");
  return pattern;
}

bool IsDotEntry(const FindEntry& entry) {
  if (entry.name == L"..") return true;
  return entry.name == L"." && IsFolder(entry);
}

std::size_t EnumerateFolder(std::string_view folder, FileSystem& files,
                            const ListingOptions& options, FileRecordList& records) {
  std::size_t before = records.size();
  std::string base = IncludeTrailingBackslash(folder);
  files.Search(EnumerationPattern(folder, options.systemLevel), [&](const FindEntry& entry) {
    if (Listed(entry, options)) records.push_back(RecordFor(entry, base, !IsFolder(entry), files, options));
    return true;
  });
  return records.size() - before;
}

void StreamFolder(std::string_view folder, FileSystem& files, const ListingOptions& options,
                  const std::function<bool(FileRecordList& made)>& take,
                  const std::function<void()>& onReaderStart) {
  const std::string base = IncludeTrailingBackslash(folder);
  EntryReader reader(files, EnumerationPattern(folder, options.systemLevel), options, onReaderStart);
  EntryBatch batch;
  FileRecordList made;
  while (reader.Take(batch)) {
    for (const FindEntry& entry : batch) made.push_back(RecordFor(entry, base, !IsFolder(entry), files, options));
    if (!take(made)) return;
    made.clear();
  }
}

std::size_t EnumerateFolderWithNameKeys(std::string_view folder, FileSystem& files,
                                        const ListingOptions& options,
                                        const Collation& collation, FileRecordList& records,
                                        NameKeys& keys,
                                        const std::function<void()>& onReaderStart) {
  const std::size_t before = records.size();
  StreamFolder(folder, files, options, [&](FileRecordList& made) {
    for (auto& record : made) {
      keys.Add(record->name, collation);
      records.push_back(std::move(record));
    }
    return true;
  }, onReaderStart);
  return records.size() - before;
}

FlatListingResult CollectFilesFlat(const std::vector<std::string>& folders, FileSystem& files,
                                   const ListingOptions& options, FileRecordList& records, int limit) {
  FlatListingResult result;
  // Folders still to read, the next one at the back; sub-folders are pushed in reverse so
  // that they are read in the order the file system gave them, before any later sibling.
  std::vector<std::string> pending(folders.rbegin(), folders.rend());
  std::vector<std::string> subFolders;
  while (!pending.empty()) {
    std::string folder = std::move(pending.back());
    pending.pop_back();
    std::string base = IncludeTrailingBackslash(folder);
    std::string pattern = EnumerationPattern(folder, options.systemLevel);

    files.Search(pattern, [&](const FindEntry& entry) {
      if (IsFolder(entry)) return true;
      records.push_back(RecordFor(entry, base, true, files, options));
      if (++result.filesAdded > limit) result.limitExceeded = true;
      return !result.limitExceeded;
    });
    if (result.limitExceeded) break;

    subFolders.clear();
    files.Search(pattern, [&](const FindEntry& entry) {
      if (IsFolder(entry) && !IsDotEntry(entry))
        subFolders.push_back(base + files.NameToAnsi(entry.name));
      return true;
    });
    for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it)
      pending.push_back(std::move(*it));
  }
  return result;
}

}  // namespace velmora
