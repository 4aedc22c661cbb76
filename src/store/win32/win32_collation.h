// The program's comparisons: the user default locale's case-insensitive comparison for
// titles, sections and keys, and lstrcmpA's word sort for the tree and the list.
#pragma once
#include "common/collation.h"

namespace velmora {

class Win32Collation : public Collation {
 public:
  int CompareIgnoreCase(std::string_view a, std::string_view b) const override;
  std::string FoldKey(std::string_view s) const override;
  int Compare(std::string_view a, std::string_view b) const override;
  std::string SortKey(std::string_view s) const override;
};

}  // namespace velmora
