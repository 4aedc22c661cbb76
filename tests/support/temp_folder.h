// Temporary folders for tests that run under Wine: made fresh, removed with all contents.
#pragma once
#include <string>

namespace test_support {

// Deletes the folder (given with a trailing backslash) and everything in it, read-only
// and hidden entries included.
void RemoveTree(const std::string& folder);

class TempFolder {
 public:
  explicit TempFolder(const char* prefix = "velmora-test");
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // with trailing backslash
  std::string operator+(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

}  // namespace test_support
