// The file commands' file system with the real calls (ANSI, code page 932).
#pragma once
#include "common/file_system.h"

namespace velmora {

class Win32FileSystem : public FileSystem {
 public:
  bool IsExistingFile(const std::string& path) override;
  bool IsExistingFolder(const std::string& path) override;
  bool EntryExists(const std::string& path) override;
  uint32_t MoveEntry(const std::string& from, const std::string& to) override;
  bool CreateFolderWithParents(const std::string& path) override;
  std::string ErrorText(uint32_t code) override;
};

}  // namespace velmora
