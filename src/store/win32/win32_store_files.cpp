#include "store/win32/win32_store_files.h"

#include <windows.h>

#include <string>

#include "text/cp932.h"

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
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

}  // namespace

std::unique_ptr<StoreLock> Win32StoreFiles::LockStore(const std::string& folder) {
  const std::string path = IncludeTrailingBackslash(folder) + kLockFileName;
  const DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<LockFile>(h);
    // Only another holder is worth waiting for; a folder that cannot hold the file never will.
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return nullptr;
    if (GetTickCount() - start >= lockWaitMs_) return nullptr;
    Sleep(10);
  }
}

bool Win32StoreFiles::ReadFile(const std::string& path, std::string& out) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

bool Win32StoreFiles::FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32StoreFiles::FolderExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32StoreFiles::CreateFolderWithParents(const std::string& path) {
  std::string folder = ExcludeTrailingBackslash(path);
  if (folder.empty()) return false;
  if (FolderExists(folder)) return true;
  std::string parent = ParentFolder(folder);
  // A root or a bare name has no parent left to create.
  if (!parent.empty() && parent != folder && !FolderExists(parent) && !CreateFolderWithParents(parent))
    return false;
  if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(folder);
}

bool Win32StoreFiles::WriteFileReplacing(const std::string& path, std::string_view bytes) {
  // A read-only target stays as it is. Windows refuses to replace it anyway; Wine would not,
  // so the check is made here for the same result on both.
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return false;
  // The temporary file sits beside the target, so the final move stays on one volume.
  std::string temp;
  FileHandle file(CreateTempBeside(path, temp));
  if (!file.valid()) return false;
  bool ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  ok = file.Close() && ok;
  if (ok) ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

}  // namespace velmora
