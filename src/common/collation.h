// The string comparisons the store and the views rely on, as a port: the program uses the
// platform's locale-aware calls, native tests a stand-in with the same contract.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

class Collation {
 public:
  virtual ~Collation() = default;
  // Case-insensitive, locale-aware comparison of titles, section names and keys
  // (CompareStringA with NORM_IGNORECASE on the user default locale): <0, 0, >0.
  virtual int CompareIgnoreCase(std::string_view a, std::string_view b) const = 0;
  // A byte string that is equal for two texts exactly when CompareIgnoreCase finds them
  // equal; used to index keys so that a lookup does not scan a section.
  virtual std::string FoldKey(std::string_view s) const = 0;
  // Appends FoldKey(s) to out, and tells whether FoldKey(s) equals fold. Indexes fold every
  // key they hold, so a collation that can do either without a string of its own per call
  // overrides them.
  virtual void AppendFoldKey(std::string_view s, std::string& out) const { out += FoldKey(s); }
  virtual bool FoldsTo(std::string_view s, std::string_view fold) const { return FoldKey(s) == fold; }
  // The tree's and the list's order (lstrcmpA): <0, 0, >0.
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
  // A byte string whose memcmp order equals Compare's order (LCMapStringA LCMAP_SORTKEY).
  virtual std::string SortKey(std::string_view s) const = 0;
};

}  // namespace velmora
