// Shortcut utilities whose special folders the test chooses; a folder it did not choose is
// the system's.
#pragma once
#include <map>
#include <string>

#include "win32/shell_link.h"

namespace velmora {

class RedirectedShellLink : public TShellLink {
 public:
  std::string GetPath(int csidl) override {
    auto it = folders.find(csidl);
    return it != folders.end() ? it->second : TShellLink::GetPath(csidl);
  }
  std::map<int, std::string> folders;
};

}  // namespace velmora
