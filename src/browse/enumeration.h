// Turning folder contents into file records: the folder listing and the flat listing.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/file_record.h"
#include "browse/record_sort.h"
#include "common/collation.h"
#include "common/file_system.h"

namespace velmora {

struct ListingOptions {
  int systemLevel = 2;
  AttributeSwitches switches;
  RecordContext record;
};

// Search pattern for a folder: the folder with a trailing backslash and "*.*"; at system
// level 2 "\\?\" goes in front unless the folder begins with "\\" (a network path).
std::string EnumerationPattern(std::string_view folder, int systemLevel);

// True for "." and ".." entries; a file named "." is not skipped, as only folders carry it.
bool IsDotEntry(const FindEntry& entry);

// Folder listing: appends one record per entry of folder that passes the attribute
// switches, in the file system's order. Returns the number of records appended.
std::size_t EnumerateFolder(std::string_view folder, FileSystem& files,
                            const ListingOptions& options, FileRecordList& records);

// EnumerateFolder's records, in its order, with each record's name key added to keys (which
// starts empty) for the sort that follows a listing. The folder is read on a thread of its
// own, handing entries over in batches, while this one builds the records and keys: files
// must allow Search there alongside NameToAnsi and ToLocalFileTime here. The reading thread
// has ended when this returns, also when it throws. onReaderStart, when given, runs first on
// the reading thread (the platform hands back the stack that thread will not use).
std::size_t EnumerateFolderWithNameKeys(std::string_view folder, FileSystem& files,
                                        const ListingOptions& options,
                                        const Collation& collation, FileRecordList& records,
                                        NameKeys& keys,
                                        const std::function<void()>& onReaderStart = nullptr);

// The same reading, with the records handed to take batch by batch as they are made (take may
// move them away); reading stops when take returns false.
void StreamFolder(std::string_view folder, FileSystem& files, const ListingOptions& options,
                  const std::function<bool(FileRecordList& made)>& take,
                  const std::function<void()>& onReaderStart = nullptr);

// A flat listing stops once it holds more than this many files.
constexpr int kFlatListingLimit = 10000;

struct FlatListingResult {
  int filesAdded = 0;
  bool limitExceeded = false;  // the caller shows the limit message, once
};

// Flat listing: every file beneath each folder in turn, depth-first (a folder's own files
// before those of its sub-folders), no folder rows, no attribute filter. The file that
// passes the limit stays, so a capped listing holds kFlatListingLimit + 1 files, and no
// further folder is read. Walks with its own stack, so a deep tree (a junction that loops
// back to its parent) ends when the platform refuses the path instead of overflowing the
// thread's stack.
FlatListingResult CollectFilesFlat(const std::vector<std::string>& folders, FileSystem& files,
                                   const ListingOptions& options, FileRecordList& records,
                                   int limit = kFlatListingLimit);

}  // namespace velmora
