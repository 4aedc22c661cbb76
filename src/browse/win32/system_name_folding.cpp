#include "browse/win32/system_name_folding.h"

#include <windows.h>

namespace velmora {

void SystemNameFolding::Fold(std::wstring_view text, std::wstring& out) const {
  FoldWidth(text, out);
  // Most names are ASCII: those letters are folded here, and the system is asked only for a
  // name with other letters, since a call per name would cost more than the whole match.
  bool beyondAscii = false;
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 0x20);
    beyondAscii = beyondAscii || c >= 0x80;
  }
  if (beyondAscii) CharUpperBuffW(&out[0], static_cast<DWORD>(out.size()));
}

}  // namespace velmora
