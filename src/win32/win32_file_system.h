// The file-system port with the real calls, all wide: the program's paths are converted
// with AnsiToWide, names back with WideToAnsi, so names the code page cannot spell work too.
#pragma once
#include "common/file_system.h"

namespace velmora {

class TShellLink;

class Win32FileSystem : public FileSystem {
 public:
  static constexpr unsigned long kLockWaitMs = 10000;
  static constexpr const char* kLockFileName = "store.lock";

  // lockWaitMs: how long a save waits for another process's save before it goes ahead.
  explicit Win32FileSystem(unsigned long lockWaitMs = kLockWaitMs) : lockWaitMs_(lockWaitMs) {}
  // Shortcuts are resolved through links (a test may redirect its folders); without one,
  // through a shell link object of its own.
  void ResolveShortcutsWith(TShellLink& links) { links_ = &links; }

  bool IsExistingFile(const std::string& path) override;
  bool IsExistingFolder(const std::string& path) override;
  bool EntryExists(const std::string& path) override;
  uint32_t MoveEntry(const std::string& from, const std::string& to) override;
  bool CreateFolderWithParents(const std::string& path) override;
  std::string ErrorText(uint32_t code) override;

  bool ReadFile(const std::string& path, std::string& out) override;
  std::FILE* OpenToRead(const std::string& path) override;
  // Writes a temporary file beside the target, flushes it and moves it over the target;
  // on any failure the temporary file is removed and the target left untouched.
  bool WriteFileReplacing(const std::string& path, std::string_view bytes) override;
  // An exclusive handle on the hidden file kLockFileName in folder: it works across
  // sessions and machines sharing a data folder, and a process that dies lets go of it.
  std::unique_ptr<StoreLock> LockStore(const std::string& folder) override;

  void Search(const std::string& pattern, const std::function<bool(const FindEntry&)>& visit) override;
  uint64_t ToLocalFileTime(uint64_t utcFileTime) const override;
  std::string NameToAnsi(const std::wstring& name) const override;

  // Resolved without asking the user.
  std::string ResolveShortcut(const std::string& path) override;
  std::string FullPath(const std::string& path) override;

 private:
  unsigned long lockWaitMs_;
  TShellLink* links_ = nullptr;
};

// One instance for code without an owner to hand it one (its only state is the lock wait).
Win32FileSystem& SystemFiles();

}  // namespace velmora
