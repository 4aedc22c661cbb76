// Conversions between the ANSI code page (932) and the shell's wide strings, and existence checks.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// The program's text (code page 932, with marks for the units it cannot spell: see
// kUnspellableMark) to wide and back. Wide to ANSI never uses a look-alike character.
// AnsiToWide cuts after maxChars characters: for text that is only shown.
std::wstring AnsiToWide(const std::string& s, std::size_t maxChars = std::wstring::npos);
// A path for the shell's wide interfaces, whole: false (and nothing converted) when it has
// more characters than the shell's MAX_PATH buffers hold, so that no cut path, which would
// name another item, ever reaches the shell.
bool PathToWide(const std::string& path, std::wstring& wide);
bool PathFitsShell(const std::string& path);
std::string WideToAnsi(const wchar_t* s, int length = -1);

bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);

}  // namespace velmora
