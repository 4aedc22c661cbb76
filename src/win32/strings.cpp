#include "win32/strings.h"

#include <vector>

#include "text/cp932.h"

namespace velmora {

namespace {

void AppendWide(std::wstring& w, const char* s, int length) {
  if (length <= 0) return;
  const int needed = MultiByteToWideChar(CP_ACP, 0, s, length, nullptr, 0);
  if (needed <= 0) return;
  const std::size_t at = w.size();
  w.resize(at + static_cast<std::size_t>(needed));
  MultiByteToWideChar(CP_ACP, 0, s, length, &w[at], needed);
}

// The code page's bytes for one UTF-16 unit, or false when it has none but a look-alike.
bool SpellUnit(wchar_t unit, std::string& out) {
  char bytes[4];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes, sizeof(bytes), nullptr,
                                    &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.append(bytes, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

std::wstring AnsiToWide(const std::string& s, std::size_t maxChars) {
  std::wstring w;
  std::size_t start = 0;
  // Plain code-page text between the marks of the units it cannot spell.
  for (std::size_t i = s.find(kUnspellableMark); i != std::string::npos; i = s.find(kUnspellableMark, i + 1)) {
    const int unit = UnspellableAt(s, i);
    if (unit < 0) continue;
    AppendWide(w, s.data() + start, static_cast<int>(i - start));
    w += static_cast<wchar_t>(unit);
    start = i + kUnspellableLength;
    i = start - 1;
  }
  AppendWide(w, s.data() + start, static_cast<int>(s.size() - start));
  if (w.size() > maxChars) w.resize(maxChars);
  return w;
}

bool PathToWide(const std::string& path, std::wstring& wide) {
  wide = AnsiToWide(path);
  if (!path.empty() && (wide.empty() || wide.size() > MAX_PATH - 1)) {
    wide.clear();
    return false;
  }
  return true;
}

bool PathFitsShell(const std::string& path) {
  std::wstring wide;
  return PathToWide(path, wide);
}

std::string WideToAnsi(const wchar_t* s, int length) {
  if (!s) return std::string();
  if (length < 0) length = lstrlenW(s);
  if (length == 0) return std::string();
  // A character the code page lacks is never replaced by a look-alike, which could name
  // another file: it travels as its mark instead.
  // Converted into a buffer first, so that the text is allocated at its own size: a listing
  // keeps every name it makes, and a short one then fits within its string.
  char local[2 * (MAX_PATH + 1)];
  std::vector<char> large;
  char* out = local;
  std::size_t room = sizeof(local);
  if (static_cast<std::size_t>(length) * 2 > room) {
    large.resize(static_cast<std::size_t>(length) * 2);
    out = large.data();
    room = large.size();
  }
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s, length, out, static_cast<int>(room), nullptr,
                                    &usedDefault);
  if (n > 0 && !usedDefault) return std::string(out, static_cast<std::size_t>(n));
  std::string a;
  for (int i = 0; i < length; ++i)
    if (!SpellUnit(s[i], a)) AppendUnspellable(a, static_cast<unsigned>(s[i]) & 0xFFFF);
  return a;
}

bool IsExistingFolder(const std::string& path) {
  const DWORD a = GetFileAttributesW(AnsiToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(AnsiToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace velmora
