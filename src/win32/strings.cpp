#include "win32/strings.h"

namespace velmora {

std::wstring AnsiToWide(const std::string& s, std::size_t maxChars) {
  if (s.empty()) return std::wstring();
  const int needed = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring w(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], needed);
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
  const int needed = WideCharToMultiByte(CP_ACP, 0, s, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string a(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, s, length, &a[0], needed, nullptr, nullptr);
  return a;
}

bool IsExistingFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace velmora
