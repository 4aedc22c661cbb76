#include "browse/enumeration.h"

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
    if (IsDotEntry(entry)) return true;
    if (!PassesAttributeFilter(entry.attributes, options.switches)) return true;
    records.push_back(RecordFor(entry, base, !IsFolder(entry), files, options));
    return true;
  });
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
