#include "browse/win32/win32_directory.h"

#include <windows.h>

#include "win32/com_ptr.h"
#include "win32/owned_handle.h"
#include "win32/strings.h"

namespace velmora {

namespace {
void CopyEntry(const WIN32_FIND_DATAW& data, FindEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.sizeHigh = data.nFileSizeHigh;
  entry.sizeLow = data.nFileSizeLow;
  entry.name.assign(data.cFileName);
}

void CopyEntry(const WIN32_FIND_DATAA& data, FindEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.sizeHigh = data.nFileSizeHigh;
  entry.sizeLow = data.nFileSizeLow;
  wchar_t wide[MAX_PATH + 1] = L"";
  const int n = MultiByteToWideChar(CP_ACP, 0, data.cFileName, -1, wide, MAX_PATH + 1);
  entry.name.assign(wide, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
}
}  // namespace

void Win32DirectoryPort::Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) {
  FindEntry entry;
  if (systemLevel_ == 2) {
    // Long paths: the pattern may exceed MAX_PATH behind its "\\?\" prefix.
    const std::wstring wide = AnsiToWide(pattern, static_cast<std::size_t>(-1));
    WIN32_FIND_DATAW data;
    // The basic information level skips the short names and the large fetch reads the
    // folder in bigger blocks; both give the same entries.
    HANDLE first = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) first = FindFirstFileW(wide.c_str(), &data);
    const FindHandle search(first);
    if (!search) return;
    do {
      CopyEntry(data, entry);
      if (!visit(entry)) break;
    } while (FindNextFileW(search.get(), &data));
  } else {
    WIN32_FIND_DATAA data;
    const FindHandle search(FindFirstFileA(pattern.c_str(), &data));
    if (!search) return;
    do {
      CopyEntry(data, entry);
      if (!visit(entry)) break;
    } while (FindNextFileA(search.get(), &data));
  }
}

std::string Win32DirectoryPort::NameToAnsi(const std::wstring& name) const {
  return WideToAnsi(name.c_str(), static_cast<int>(name.size()));
}

uint64_t Win32DirectoryPort::ToLocalFileTime(uint64_t utcFileTime) const {
  FILETIME utc = {static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
  FILETIME local = {};
  if (!FileTimeToLocalFileTime(&utc, &local)) return utcFileTime;
  return (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
}

LocaleSeparators LocaleSeparators::FromUserLocale() {
  LocaleSeparators s;
  char buf[16];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, buf, sizeof(buf)) > 1) s.date = buf;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, sizeof(buf)) > 1) s.time = buf;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof(buf)) > 1) s.thousands = buf;
  return s;
}

}  // namespace velmora
