// Conversions between the ANSI code page (932) and the shell's wide strings, and existence checks.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// ANSI to wide, at most maxChars characters.
std::wstring AnsiToWide(const std::string& s, std::size_t maxChars = MAX_PATH);
std::string WideToAnsi(const wchar_t* s, int length = -1);

bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);

}  // namespace velmora
