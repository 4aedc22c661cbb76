// Everything the core asks of files, as one port: the program passes the Win32
// implementation, tests an in-memory one. Paths and names are code page 932 unless a
// signature says otherwise; the entries a search finds carry their names as the file
// system spells them (UTF-16), and the port says how they read in the code page.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// One directory entry, whichever search produced it. The name is std::wstring because on
// Windows that is UTF-16 and WIN32_FIND_DATAW.cFileName is assigned to it without a copy
// loop.
struct FindEntry {
  uint32_t attributes = 0;
  uint64_t lastWriteTime = 0;  // FILETIME: 100 ns units since 1601-01-01, UTC
  uint32_t sizeHigh = 0;
  uint32_t sizeLow = 0;
  std::wstring name;  // at most 260 characters
};

// Held while one process reads or saves the store; other processes' attempts wait for it.
class StoreLock {
 public:
  virtual ~StoreLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Existence. A file is an existing entry that is no folder.
  virtual bool IsExistingFile(const std::string& path) = 0;
  virtual bool IsExistingFolder(const std::string& path) = 0;
  // A directory search for the path finds an entry (of either kind).
  virtual bool EntryExists(const std::string& path) = 0;

  // Changes. MoveEntry renames (or moves) an entry: 0 on success, else the system's error
  // code. CreateFolderWithParents is true when the folder exists afterwards.
  virtual uint32_t MoveEntry(const std::string& from, const std::string& to) = 0;
  virtual bool CreateFolderWithParents(const std::string& path) = 0;
  // The system's message for an error code, as the system words it.
  virtual std::string ErrorText(uint32_t code) = 0;

  // Whole files. ReadFile is false when the file is missing or cannot be read;
  // WriteFileReplacing replaces the file as one step, leaving the old one as it was on failure.
  virtual bool ReadFile(const std::string& path, std::string& out) = 0;
  // A stream to read the file from, binary; null when it cannot be opened. The caller closes it.
  virtual std::FILE* OpenToRead(const std::string& path) = 0;
  virtual bool WriteFileReplacing(const std::string& path, std::string_view bytes) = 0;
  // The lock of the store in folder, waited for a bounded time; null when it could not be
  // had, in time or at all. Released when the result is destroyed.
  virtual std::unique_ptr<StoreLock> LockStore(const std::string& folder) = 0;

  // Directory search: delivers each entry the pattern finds, in the file system's order,
  // until visit returns false; closes the search afterwards. A search that cannot start
  // (missing folder, no access, drive not ready) delivers nothing. The pattern may carry the
  // "\\?\" prefix (see EnumerationPattern).
  virtual void Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) = 0;
  // UTC FILETIME value to local FILETIME value.
  virtual uint64_t ToLocalFileTime(uint64_t utcFileTime) const = 0;

  // Names: an entry's name in code page 932, each character it cannot spell marked (see
  // kUnspellableMark), never replaced by a look-alike.
  virtual std::string NameToAnsi(const std::wstring& name) const = 0;

  // Paths given by the user or the shell: the target of a shortcut (.lnk) file, the path
  // unchanged when it cannot be resolved; the full path of a possibly relative one.
  virtual std::string ResolveShortcut(const std::string& path) = 0;
  virtual std::string FullPath(const std::string& path) = 0;
};

}  // namespace velmora
