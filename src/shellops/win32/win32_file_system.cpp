#include "shellops/win32/win32_file_system.h"

#include <windows.h>

#include "text/cp932.h"
#include "win32/strings.h"

namespace velmora {

bool Win32FileSystem::IsExistingFile(const std::string& path) { return velmora::IsExistingFile(path); }

bool Win32FileSystem::IsExistingFolder(const std::string& path) { return velmora::IsExistingFolder(path); }

bool Win32FileSystem::EntryExists(const std::string& path) {
  // A search treats "*" and "?" as wildcards, and no entry carries them in its name.
  if (path.empty() || LastDelimiter(path, "*?") != std::string::npos) return false;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

uint32_t Win32FileSystem::MoveEntry(const std::string& from, const std::string& to) {
  if (MoveFileA(from.c_str(), to.c_str())) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

bool Win32FileSystem::CreateFolderWithParents(const std::string& path) {
  if (path.empty()) return false;
  if (IsExistingFolder(path)) return true;
  const std::string parent = ParentFolder(ExcludeTrailingBackslash(path));
  if (!parent.empty() && parent != path && !IsExistingFolder(parent) && !CreateFolderWithParents(parent))
    return false;
  return CreateDirectoryA(path.c_str(), nullptr) || IsExistingFolder(path);
}

std::string Win32FileSystem::ErrorText(uint32_t code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (buffer) {
    text.assign(buffer, length);
    LocalFree(buffer);
  }
  // A code the system has no text for still tells the user which error it was.
  if (text.empty()) text = std::to_string(code);
  return text;
}

}  // namespace velmora
