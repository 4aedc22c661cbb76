#include "browse/listing_loader.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <thread>
#include <utility>

#include "text/cp932.h"

namespace velmora {

namespace {

std::atomic<int> g_running{0};

// Folders before files, then the name's sort key: the order of a sort by name ascending.
bool NameLess(bool aIsFile, const std::string& aKey, bool bIsFile, const std::string& bKey) {
  if (aIsFile != bIsFile) return !aIsFile;
  return aKey < bKey;
}

}  // namespace

void SortBatchByName(FileRecordList& records, std::vector<std::string>& keys) {
  std::vector<std::size_t> order(records.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return NameLess(records[a]->isFile, keys[a], records[b]->isFile, keys[b]);
  });
  FileRecordList sorted;
  std::vector<std::string> sortedKeys;
  sorted.reserve(order.size());
  sortedKeys.reserve(order.size());
  for (std::size_t i : order) {
    sorted.push_back(std::move(records[i]));
    sortedKeys.push_back(std::move(keys[i]));
  }
  records.swap(sorted);
  keys.swap(sortedKeys);
}

void MergeByName(FileRecordList& records, std::vector<std::string>& keys, FileRecordList&& more,
                 std::vector<std::string>&& moreKeys) {
  FileRecordList merged;
  std::vector<std::string> mergedKeys;
  merged.reserve(records.size() + more.size());
  mergedKeys.reserve(records.size() + more.size());
  std::size_t a = 0, b = 0;
  while (a < records.size() || b < more.size()) {
    const bool takeMore = a == records.size() ||
                          (b < more.size() && NameLess(more[b]->isFile, moreKeys[b], records[a]->isFile, keys[a]));
    if (takeMore) {
      merged.push_back(std::move(more[b]));
      mergedKeys.push_back(std::move(moreKeys[b++]));
    } else {
      merged.push_back(std::move(records[a]));
      mergedKeys.push_back(std::move(keys[a++]));
    }
  }
  records.swap(merged);
  keys.swap(mergedKeys);
  more.clear();
  moreKeys.clear();
}

namespace {

void ReadChanges(const ListingRequest& request, FileSystem& files, ListingBatch& last) {
  if (!request.flat && !files.IsExistingFolder(request.folder)) {
    last.missing = true;
  } else if (request.reread && request.flat) {
    CollectFilesFlat(request.candidates, files, request.options, last.records, request.flatLimit);
  } else if (request.reread) {
    EnumerateFolder(request.folder, files, request.options, last.records);
  } else {
    const std::string base = IncludeTrailingBackslash(request.folder);
    for (const std::string& path : request.changed) {
      // Null: gone, or now hidden by the attribute switches.
      std::unique_ptr<FileRecord> found;
      files.Search(path, [&](const FindEntry& entry) {
        if (IsDotEntry(entry) || !PassesAttributeFilter(entry.attributes, request.options.switches)) return false;
        std::string ansi = files.NameToAnsi(entry.name);
        const std::string fullPath = base + ansi;
        found = MakeListedRecord(entry, std::move(ansi), fullPath, (entry.attributes & kAttrDirectory) == 0,
                                 files.ToLocalFileTime(entry.lastWriteTime), request.options.record);
        return false;
      });
      last.found.push_back(std::move(found));
    }
  }
}

}  // namespace

struct ListingLoader::Shared {
  std::mutex mutex;  // held while the collation or deliver is in use
  bool abandoned = false;
  const Collation* collation;
  Deliver deliver;

  // Keys the records and hands them over; false once abandoned.
  bool Hand(std::unique_ptr<ListingBatch> batch) {
    std::lock_guard<std::mutex> lock(mutex);
    if (abandoned) return false;
    batch->keys.reserve(batch->records.size());
    for (const auto& record : batch->records) batch->keys.push_back(collation->SortKey(record->name));
    SortBatchByName(batch->records, batch->keys);
    deliver(std::move(batch));
    return true;
  }
  bool Abandoned() {
    std::lock_guard<std::mutex> lock(mutex);
    return abandoned;
  }
};

ListingLoader::ListingLoader(ListingRequest request, FileSystem& files, const Collation& collation, Deliver deliver,
                             std::function<void()> onThreadStart)
    : shared_(std::make_shared<Shared>()) {
  shared_->collation = &collation;
  shared_->deliver = std::move(deliver);
  ++g_running;
  std::thread([shared = shared_, request = std::move(request), &files, onThreadStart = std::move(onThreadStart)] {
    if (onThreadStart) onThreadStart();
    auto make = [&request] {
      auto batch = std::make_unique<ListingBatch>();
      batch->tag = request.tag;
      return batch;
    };
    auto last = make();
    last->last = true;
    try {
      if (request.follow) {
        last->reread = request.reread;
        ReadChanges(request, files, *last);
      } else if (request.flat) {
        for (const std::string& path : request.candidates)
          if (!shared->Abandoned() && files.IsExistingFolder(path)) last->flatFolders.push_back(path);
        if (!last->flatFolders.empty())
          last->limitExceeded =
              CollectFilesFlat(last->flatFolders, files, request.options, last->records, request.flatLimit).limitExceeded;
      } else if (files.IsExistingFile(request.folder)) {
        last->notAFolder = true;
      } else {
        auto pending = make();
        auto handedAt = std::chrono::steady_clock::now();
        bool first = true, read = false;
        StreamFolder(request.folder, files, request.options, [&](FileRecordList& made) {
          read = read || !made.empty();
          for (auto& record : made) pending->records.push_back(std::move(record));
          const auto now = std::chrono::steady_clock::now();
          if (!first && now - handedAt < request.interval) return !shared->Abandoned();
          first = false;
          handedAt = now;
          std::unique_ptr<ListingBatch> full = std::move(pending);
          pending = make();
          return shared->Hand(std::move(full));
        });
        last->records = std::move(pending->records);
        // An empty listing may be of a folder that is gone: the window marks its path.
        if (!read && last->records.empty()) last->missing = !files.IsExistingFolder(request.folder);
      }
    } catch (...) {
      // What was read before a failure is listed, as a search that ends early.
    }
    shared->Hand(std::move(last));
    --g_running;
  }).detach();
}

ListingLoader::~ListingLoader() { Abandon(); }

void ListingLoader::Abandon() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->abandoned = true;
}

int ListingLoader::Running() { return g_running.load(); }

}  // namespace velmora
