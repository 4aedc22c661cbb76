// A listing read on a thread of its own, so that no folder, however slow or hung its drive,
// keeps the window waiting. The loader reads the folder (or the flat set), makes the records
// and their name sort keys, and hands them over in batches tagged with the listing's number:
// the first as soon as there are records, the next at most every 100 ms. A window that has
// moved on abandons the loader and never waits for it; the thread ends on its own.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browse/enumeration.h"
#include "browse/file_record.h"
#include "common/collation.h"
#include "common/file_system.h"

namespace velmora {

struct ListingBatch {
  unsigned tag = 0;
  FileRecordList records;         // in the name order among themselves
  std::vector<std::string> keys;  // each record's name sort key
  bool last = false;
  // Set on the last batch only.
  bool notAFolder = false;                // the path named a file: nothing was listed
  bool missing = false;                   // the folder was not there
  bool limitExceeded = false;             // a flat listing stopped at its limit
  std::vector<std::string> flatFolders;   // the folders a flat listing read; empty: none existed
  FileRecordList found;                   // a follow-up's entry at each changed path, or null
  bool reread = false;                    // a follow-up read the whole listing again
};

struct ListingRequest {
  unsigned tag = 0;
  bool flat = false;
  std::string folder;                  // a folder listing's folder
  std::vector<std::string> candidates; // a flat listing's selected paths; the folders among them are read
  ListingOptions options;
  int flatLimit = kFlatListingLimit;
  // A watched listing's follow-up, in one last batch: the whole listing read again (reread;
  // a flat one reads candidates), or each changed entry's full path; a folder listing's
  // folder that is gone comes back missing.
  bool follow = false;
  bool reread = false;
  std::vector<std::string> changed;
  std::chrono::milliseconds interval{100};
};

// The order of a finished listing (folders first, then the name keys), kept while batches
// arrive: a sorted batch merged into sorted records leaves them as a sort of all would.
void SortBatchByName(FileRecordList& records, std::vector<std::string>& keys);
void MergeByName(FileRecordList& records, std::vector<std::string>& keys, FileRecordList&& more,
                 std::vector<std::string>&& moreKeys);

class ListingLoader {
 public:
  // Takes each batch; runs on the loader's thread, never after Abandon has returned.
  using Deliver = std::function<void(std::unique_ptr<ListingBatch>)>;

  // Starts the thread. files must outlive it (see Running); collation and deliver are not
  // used once Abandon has returned. onThreadStart runs first on the new thread.
  ListingLoader(ListingRequest request, FileSystem& files, const Collation& collation, Deliver deliver,
                std::function<void()> onThreadStart = nullptr);
  // Abandons the listing.
  ~ListingLoader();
  ListingLoader(const ListingLoader&) = delete;
  ListingLoader& operator=(const ListingLoader&) = delete;

  // Waits at most for the records in hand to be keyed, never for the file system: a look-up
  // under way ends when its drive answers, and its results are dropped.
  void Abandon();
  // Loader threads of the process not ended yet (a test's port must outlive them).
  static int Running();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velmora
