// What the file commands ask of the file system, as a port so that tests can use a fake.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool IsExistingFile(const std::string& path) = 0;
  virtual bool IsExistingFolder(const std::string& path) = 0;
  // A directory search for the path finds an entry (of either kind).
  virtual bool EntryExists(const std::string& path) = 0;
  // Renames (or moves) an entry; 0 on success, else the system's error code.
  virtual uint32_t MoveEntry(const std::string& from, const std::string& to) = 0;
  // Creates the folder and any missing parents; true when it exists as a folder afterwards.
  virtual bool CreateFolderWithParents(const std::string& path) = 0;
  // The system's message for an error code, as the system words it.
  virtual std::string ErrorText(uint32_t code) = 0;
};

}  // namespace velmora
