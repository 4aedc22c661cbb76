// Decisions of moving between folders and of remembering the selection.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "browse/file_record.h"

namespace velmora {

struct UpTarget {
  std::string parent;        // folder to list next
  std::string nameToSelect;  // row to select there: the folder just left
};

// "C:\a\b" goes to "C:\a" selecting "b"; "C:\sub" to "C:\" selecting "sub"; a root such
// as "C:\" stays and selects its own text. A trailing backslash on a non-root folder is
// ignored, so "C:\a\b\" also goes to "C:\a" rather than to itself.
UpTarget GoUpTarget(std::string_view currentFolder);

// Whether the up button stays enabled in currentFolder: not at the registered folder, and
// not at a drive root or a network share, which a shortcut's target outside the registered folder
// can lead to and from which going up would only list the same folder again.
bool CanGoUp(std::string_view currentFolder, std::string_view rootFolder);

// selectlist.ini section of a registered folder: binder title + "-" + node text.
std::string SelectionSection(std::string_view binderTitle, std::string_view nodeText);

// Keys to store for the selected rows: their names in row order. A name occurs once, as an
// INI section holds a key once; rows outside the list are ignored.
std::vector<std::string> SelectionKeys(const FileRecordList& records,
                                       std::vector<int> selectedRows);

struct Reselection {
  std::vector<int> rows;  // rows to select, in key order, names not found skipped
  int scrollTo = -1;      // row of the first key, scrolled into view; -1 when it is gone
};

// Rows for remembered names: each key found by exact name from row 0, without wrap.
Reselection RowsToReselect(const FileRecordList& records, const std::vector<std::string>& keys);

}  // namespace velmora
