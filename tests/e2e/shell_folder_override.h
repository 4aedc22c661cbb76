// Points one of the user's shell folders (SendTo, Desktop, Personal, ...) at a folder of the
// test's own for the programs started meanwhile, and puts the previous values back when it
// goes, also when the test fails.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class ShellFolderOverride {
 public:
  ShellFolderOverride(const std::string& valueName, const std::string& folder);
  ~ShellFolderOverride();
  ShellFolderOverride(const ShellFolderOverride&) = delete;
  ShellFolderOverride& operator=(const ShellFolderOverride&) = delete;

 private:
  struct Saved {
    const char* key;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  std::string valueName_;
  Saved saved_[2];
};

}  // namespace e2e
