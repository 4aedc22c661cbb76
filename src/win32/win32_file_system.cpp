#include "win32/win32_file_system.h"

#include <windows.h>

#include <string>

#include "text/cp932.h"
#include "win32/owned_handle.h"
#include "win32/shell_link.h"
#include "win32/strings.h"

namespace velmora {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    bool ok = true;
    if (valid()) ok = CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A new, empty temporary file beside path; INVALID_HANDLE_VALUE when none can be made.
HANDLE CreateTempBeside(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A name left over by a run that died mid-write is skipped, not reused.
    temp = path + ".~" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    HANDLE h = CreateFileW(AnsiToWide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

class LockFile : public StoreLock {
 public:
  explicit LockFile(HANDLE h) : file_(h) {}

 private:
  FileHandle file_;
};

void CopyEntry(const WIN32_FIND_DATAW& data, FindEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.lastWriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  entry.sizeHigh = data.nFileSizeHigh;
  entry.sizeLow = data.nFileSizeLow;
  entry.name.assign(data.cFileName);
}

}  // namespace

bool Win32FileSystem::IsExistingFile(const std::string& path) { return velmora::IsExistingFile(path); }

bool Win32FileSystem::IsExistingFolder(const std::string& path) { return velmora::IsExistingFolder(path); }

bool Win32FileSystem::EntryExists(const std::string& path) {
  // A search treats "*" and "?" as wildcards, and no entry carries them in its name.
  if (path.empty() || LastDelimiter(path, "*?") != std::string::npos) return false;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(AnsiToWide(path).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

uint32_t Win32FileSystem::MoveEntry(const std::string& from, const std::string& to) {
  if (MoveFileW(AnsiToWide(from).c_str(), AnsiToWide(to).c_str())) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
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

bool Win32FileSystem::CreateFolderWithParents(const std::string& path) {
  std::string folder = ExcludeTrailingBackslash(path);
  if (folder.empty()) return false;
  if (IsExistingFolder(folder)) return true;
  std::string parent = ParentFolder(folder);
  // A root or a bare name has no parent left to create.
  if (!parent.empty() && parent != folder && !IsExistingFolder(parent) && !CreateFolderWithParents(parent))
    return false;
  if (CreateDirectoryW(AnsiToWide(folder).c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && IsExistingFolder(folder);
}

std::unique_ptr<StoreLock> Win32FileSystem::LockStore(const std::string& folder) {
  const std::string path = IncludeTrailingBackslash(folder) + kLockFileName;
  const DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileW(AnsiToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<LockFile>(h);
    // Only another holder is worth waiting for; a folder that cannot hold the file never will.
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return nullptr;
    if (GetTickCount() - start >= lockWaitMs_) return nullptr;
    Sleep(10);
  }
}

bool Win32FileSystem::ReadFile(const std::string& path, std::string& out) {
  FileHandle file(CreateFileW(AnsiToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return false;
  std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), &text[done], static_cast<DWORD>(text.size() - done), &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  text.resize(done);
  out.swap(text);
  return true;
}

bool Win32FileSystem::WriteFileReplacing(const std::string& path, std::string_view bytes) {
  // A read-only target stays as it is. Windows refuses to replace it anyway; Wine would not,
  // so the check is made here for the same result on both.
  DWORD attr = GetFileAttributesW(AnsiToWide(path).c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return false;
  // The temporary file sits beside the target, so the final move stays on one volume.
  std::string temp;
  FileHandle file(CreateTempBeside(path, temp));
  if (!file.valid()) return false;
  bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  ok = file.Close() && ok;
  if (ok)
    ok = MoveFileExW(AnsiToWide(temp).c_str(), AnsiToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
  if (!ok) DeleteFileW(AnsiToWide(temp).c_str());
  return ok;
}

void Win32FileSystem::Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) {
  FindEntry entry;
  // Always the wide search: the ANSI one would hand over look-alikes of the names the code
  // page cannot spell. The pattern may exceed MAX_PATH behind its "\\?\" prefix.
  const std::wstring wide = AnsiToWide(pattern);
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
}

std::string Win32FileSystem::NameToAnsi(const std::wstring& name) const {
  return WideToAnsi(name.c_str(), static_cast<int>(name.size()));
}

uint64_t Win32FileSystem::ToLocalFileTime(uint64_t utcFileTime) const {
  FILETIME utc = {static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
  FILETIME local = {};
  if (!FileTimeToLocalFileTime(&utc, &local)) return utcFileTime;
  return (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
}

std::FILE* Win32FileSystem::OpenToRead(const std::string& path) {
  return _wfopen(AnsiToWide(path).c_str(), L"rb");
}

Win32FileSystem& SystemFiles() {
  static Win32FileSystem files;
  return files;
}

std::string Win32FileSystem::ResolveShortcut(const std::string& path) {
  std::string target;
  if (links_) {
    links_->GetLinkToPath(path, target, nullptr);
  } else {
    TShellLink links;
    links.GetLinkToPath(path, target, nullptr);
  }
  return target;
}

std::string Win32FileSystem::FullPath(const std::string& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetFullPathNameW(AnsiToWide(path).c_str(), MAX_PATH, buffer, nullptr);
  return length > 0 && length < MAX_PATH ? WideToAnsi(buffer, static_cast<int>(length)) : path;
}

}  // namespace velmora
