#pragma once
#include <windows.h>

#include <string>

#include "win32/strings.h"

namespace velmora {

// The text a label edit ended with, from its ANSI or its wide notification; false when the
// edit was cancelled. With the ANSI one, the text is read wide from the edit control while
// it is there, so that a character the code page cannot spell comes as its mark rather
// than as the control's look-alike.
template <class InfoA, class InfoW>
bool EditedLabel(const NMHDR* header, bool wide, std::string& text, HWND editControl = nullptr) {
  if (wide) {
    const wchar_t* typed = reinterpret_cast<const InfoW*>(header)->item.pszText;
    if (typed) text = WideToAnsi(typed);
    return typed != nullptr;
  }
  const char* typed = reinterpret_cast<const InfoA*>(header)->item.pszText;
  if (!typed) return false;
  text = typed;
  if (editControl && IsWindow(editControl)) {
    const int length = GetWindowTextLengthW(editControl);
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(GetWindowTextW(editControl, &shown[0], length + 1)));
    // Only where the control's own text is the one notified, as the code page spells it.
    if (WideToAnsi(shown.c_str(), static_cast<int>(shown.size())) != text) {
      std::string plain(static_cast<std::size_t>(2 * shown.size() + 1), '\0');
      const int n = WideCharToMultiByte(CP_ACP, 0, shown.c_str(), static_cast<int>(shown.size()), &plain[0],
                                        static_cast<int>(plain.size()), nullptr, nullptr);
      if (n >= 0 && plain.substr(0, static_cast<std::size_t>(n)) == text) text = WideToAnsi(shown.c_str(), static_cast<int>(shown.size()));
    }
  }
  return true;
}

}  // namespace velmora
