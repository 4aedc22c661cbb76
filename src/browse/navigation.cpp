#include "browse/navigation.h"

#include <algorithm>
#include <unordered_set>

#include "browse/record_sort.h"
#include "text/cp932.h"

namespace velmora {

namespace {

bool IsRoot(std::string_view folder) { return ParentFolder(folder) == folder; }

// "\\server\share": above it lies only the server, which cannot be listed.
bool IsShareRoot(std::string_view folder) {
  if (folder.size() < 3 || !IsNetworkPath(folder)) return false;
  std::string parent = ParentFolder(folder);
  return parent.size() > 2 && LastDelimiter(std::string_view(parent).substr(2), "\\") ==
                                  std::string_view::npos;
}

std::string_view WithoutTrailingBackslash(std::string_view folder) {
  if (EndsWithBackslash(folder) && !IsRoot(folder)) folder.remove_suffix(1);
  return folder;
}

}  // namespace

UpTarget GoUpTarget(std::string_view currentFolder) {
  std::string_view folder = WithoutTrailingBackslash(currentFolder);
  UpTarget target;
  target.parent = ParentFolder(folder);
  target.nameToSelect = LastComponent(folder);
  if (target.nameToSelect.empty()) target.nameToSelect = target.parent;
  return target;
}

bool CanGoUp(std::string_view currentFolder, std::string_view rootFolder) {
  if (currentFolder.empty() || currentFolder == rootFolder) return false;
  std::string_view folder = WithoutTrailingBackslash(currentFolder);
  return !IsRoot(folder) && !IsShareRoot(folder) && !ParentFolder(folder).empty();
}

std::string SelectionSection(std::string_view binderTitle, std::string_view nodeText) {
  std::string section(binderTitle);
  section += '-';
  section += nodeText;
  return section;
}

std::vector<std::string> SelectionKeys(const FileRecordList& records,
                                       std::vector<int> selectedRows) {
  std::sort(selectedRows.begin(), selectedRows.end());
  std::vector<std::string> keys;
  std::unordered_set<std::string> seen;
  for (int row : selectedRows) {
    if (row < 0 || static_cast<std::size_t>(row) >= records.size()) continue;
    const std::string& name = records[row]->name;
    if (seen.insert(name).second) keys.push_back(name);
  }
  return keys;
}

Reselection RowsToReselect(const FileRecordList& records, const std::vector<std::string>& keys) {
  Reselection result;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    int row = SearchByName(records, keys[i], 0, false);
    if (row < 0) continue;
    result.rows.push_back(row);
    if (i == 0) result.scrollTo = row;
  }
  return result;
}

}  // namespace velmora
