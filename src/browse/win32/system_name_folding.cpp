#include "browse/win32/system_name_folding.h"

#include <windows.h>

namespace velmora {

void SystemNameFolding::Fold(std::wstring_view text, std::wstring& out) const {
  FoldWidth(text, out);
  if (!out.empty()) CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
}

}  // namespace velmora
