// The store's file operations on the real file system.
#pragma once
#include "store/store_files.h"

namespace velmora {

class Win32StoreFiles : public StoreFileSystem {
 public:
  bool ReadFile(const std::string& path, std::string& out) override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolderWithParents(const std::string& path) override;
  // Writes a temporary file beside the target, flushes it and moves it over the target;
  // on any failure the temporary file is removed and the target left untouched.
  bool WriteFileReplacing(const std::string& path, std::string_view bytes) override;
};

}  // namespace velmora
