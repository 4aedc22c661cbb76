// The tests' and benchmarks' stand-in for the platform's comparisons.
#pragma once
#include "common/collation.h"

namespace velmora {

// Stand-in without the platform: ASCII and full-width Latin letters fold to one case,
// double-byte characters are kept whole; order is case-insensitive first, then by bytes.
class PortableCollation : public Collation {
 public:
  int CompareIgnoreCase(std::string_view a, std::string_view b) const override;
  std::string FoldKey(std::string_view s) const override;
  void AppendFoldKey(std::string_view s, std::string& out) const override;
  bool FoldsTo(std::string_view s, std::string_view fold) const override;
  int Compare(std::string_view a, std::string_view b) const override;
  std::string SortKey(std::string_view s) const override;
};

}  // namespace velmora
