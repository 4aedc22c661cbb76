#pragma once
#include <windows.h>

#include <string>

#include "win32/strings.h"

namespace velmora {

// The text a label edit ended with, from its ANSI or its wide notification; false when the
// edit was cancelled.
template <class InfoA, class InfoW>
bool EditedLabel(const NMHDR* header, bool wide, std::string& text) {
  if (wide) {
    const wchar_t* typed = reinterpret_cast<const InfoW*>(header)->item.pszText;
    if (typed) text = WideToAnsi(typed);
    return typed != nullptr;
  }
  const char* typed = reinterpret_cast<const InfoA*>(header)->item.pszText;
  if (typed) text = typed;
  return typed != nullptr;
}

}  // namespace velmora
