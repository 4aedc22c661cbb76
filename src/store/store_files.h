// The file operations the binder store needs, as a port: the program passes the Win32
// implementation, tests an in-memory one.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

class StoreFileSystem {
 public:
  virtual ~StoreFileSystem() = default;
  // The whole file; false when it is missing or cannot be read.
  virtual bool ReadFile(const std::string& path, std::string& out) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates the folder and every missing parent; true when the folder exists afterwards.
  virtual bool CreateFolderWithParents(const std::string& path) = 0;
  // Replaces the file by bytes as one step: on failure the old file is left as it was.
  virtual bool WriteFileReplacing(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace velmora
