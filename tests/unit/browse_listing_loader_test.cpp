#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "browse/listing_loader.h"
#include "support/fake_file_system.h"
#include "support/portable_collation.h"
#include "support/slow_file_system.h"

namespace velmora {
namespace {

std::vector<std::string> Paths(const FileRecordList& records) {
  std::vector<std::string> paths;
  for (const auto& r : records) paths.push_back(r->relativePath + (r->isFile ? "" : "\\"));
  return paths;
}

// Batches as the window takes them, waited for with a deadline.
class Received {
 public:
  ListingLoader::Deliver Sink() {
    return [this](std::unique_ptr<ListingBatch> batch) {
      std::lock_guard<std::mutex> lock(mutex_);
      batches_.push_back(std::move(batch));
      wake_.notify_all();
    };
  }
  bool WaitForLast(std::chrono::seconds deadline = std::chrono::seconds(30)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_for(lock, deadline, [this] { return !batches_.empty() && batches_.back()->last; });
  }
  // The batches merged as the window merges them.
  FileRecordList Merged(unsigned tag) {
    FileRecordList records;
    std::vector<std::string> keys;
    for (auto& batch : batches_) {
      EXPECT_EQ(batch->tag, tag);
      MergeByName(records, keys, std::move(batch->records), std::move(batch->keys));
    }
    return records;
  }
  ListingBatch& last() { return *batches_.back(); }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::unique_ptr<ListingBatch>> batches_;
};

bool Eventually(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return condition();
}
bool WaitForLoaders() { return Eventually([] { return ListingLoader::Running() == 0; }); }

class BrowseListingLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    // Several hand-overs' worth of mixed names, folders among files.
    const char* stems[] = {"b", "A", "ソ", "a", "_x", "表", "B10", "b2"};
    for (int i = 0; i < 6000; ++i)
      fs.listings["C:\\data\\*.*"].push_back(FakeFileSystem::Entry(stems[i % 8] + std::to_string(i * 7919 % 6000), i % 9 ? 0x20 : 0x10));
    fs.AddFolder("C:\\data");
    fs.AddFile("C:\\note.txt");
    options.systemLevel = 1;
    options.record.rootFolder = "C:\\data";
  }
  void TearDown() override { EXPECT_TRUE(WaitForLoaders()); }
  ListingRequest Request(unsigned tag, const std::string& folder) {
    ListingRequest request;
    request.tag = tag;
    request.folder = folder;
    request.options = options;
    request.interval = std::chrono::milliseconds(0);
    return request;
  }
  FakeFileSystem fs;
  PortableCollation collation;
  ListingOptions options;
};

TEST_F(BrowseListingLoader, BatchesMergedAsTheyComeEndInTheFinishedListingsOrder) {
  FileRecordList sequential;
  EnumerateFolder("C:\\data", fs, options, sequential);
  ListSort().SortAfterListing(sequential, collation);
  Received received;
  ListingLoader loader(Request(7, "C:\\data"), fs, collation, received.Sink());
  ASSERT_TRUE(received.WaitForLast());
  EXPECT_EQ(Paths(received.Merged(7)), Paths(sequential));

  // However the threads happen to split it: batches of uneven sizes, merged in turn.
  FileRecordList unsorted, merged, batch;
  EnumerateFolder("C:\\data", fs, options, unsorted);
  std::vector<std::string> mergedKeys, keys;
  for (std::size_t i = 0, size = 1; i < unsorted.size(); ++i) {
    keys.push_back(collation.SortKey(unsorted[i]->name));
    batch.push_back(std::move(unsorted[i]));
    if (batch.size() < size && i + 1 < unsorted.size()) continue;
    SortBatchByName(batch, keys);
    MergeByName(merged, mergedKeys, std::move(batch), std::move(keys));
    size *= 3;
  }
  EXPECT_EQ(Paths(merged), Paths(sequential));
}

TEST_F(BrowseListingLoader, EndsTellWhatWasListed) {
  struct Case {
    const char* folder; bool flat; std::vector<std::string> candidates;
    bool missing, notAFolder; std::vector<std::string> flatFolders;
  };
  const Case cases[] = {
      {"C:\\gone", false, {}, true, false, {}},
      {"C:\\note.txt", false, {}, false, true, {}},
      // Only the selected paths that are folders are read flat.
      {"C:\\", true, {"C:\\note.txt", "C:\\data", "C:\\gone"}, false, false, {"C:\\data"}},
      {"C:\\", true, {"C:\\note.txt"}, false, false, {}},
  };
  for (const Case& c : cases) {
    Received received;
    ListingRequest request = Request(1, c.folder);
    request.flat = c.flat;
    request.candidates = c.candidates;
    ListingLoader loader(std::move(request), fs, collation, received.Sink());
    ASSERT_TRUE(received.WaitForLast()) << c.folder;
    EXPECT_EQ(received.last().missing, c.missing) << c.folder;
    EXPECT_EQ(received.last().notAFolder, c.notAFolder) << c.folder;
    EXPECT_EQ(received.last().flatFolders, c.flatFolders) << c.folder;
  }
}

TEST_F(BrowseListingLoader, AbandonedWhileItsDriveHangsReturnsAtOnceAndDeliversNothing) {
  test_support::SlowFileSystem hung(fs, "C:\\data", std::chrono::minutes(10));
  Received received;
  {
    ListingLoader loader(Request(3, "C:\\data"), hung, collation, received.Sink());
    ASSERT_TRUE(Eventually([&] { return hung.slowCalls() == 1; }));
  }  // abandoned here, with its thread still in the look-up
  EXPECT_EQ(ListingLoader::Running(), 1);
  hung.Release();
  EXPECT_TRUE(WaitForLoaders());
  EXPECT_TRUE(received.Merged(3).empty() && !received.WaitForLast(std::chrono::seconds(0)));
}

}  // namespace
}  // namespace velmora
