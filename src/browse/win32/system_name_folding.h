// The filter's folding with the system's own upper-case tables, for every script.
#pragma once
#include "browse/name_filter.h"

namespace velmora {

class SystemNameFolding : public NameFolding {
 public:
  void Fold(std::wstring_view text, std::wstring& out) const override;
};

}  // namespace velmora
