#include "e2e/shell_folder_override.h"

namespace e2e {

namespace {
// The shell reads the first; the second is its cache of the expanded path.
constexpr const char* kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}  // namespace

ShellFolderOverride::ShellFolderOverride(const std::string& valueName, const std::string& folder)
    : valueName_(valueName) {
  saved_[0].key = kUserShellFolders;
  saved_[1].key = kShellFolders;
  for (Saved& s : saved_) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, s.key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      continue;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName_.c_str(), nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
      s.data.resize(size);
      s.present = RegQueryValueExA(key, valueName_.c_str(), nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
      s.data.resize(size);
    }
    std::string path = folder;
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    RegSetValueExA(key, valueName_.c_str(), 0, &s == &saved_[0] ? REG_EXPAND_SZ : REG_SZ,
                   reinterpret_cast<const BYTE*>(path.c_str()), static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }
}

ShellFolderOverride::~ShellFolderOverride() {
  for (const Saved& s : saved_) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, s.key, 0, KEY_WRITE, &key) != ERROR_SUCCESS) continue;
    if (s.present)
      RegSetValueExA(key, valueName_.c_str(), 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
    else
      RegDeleteValueA(key, valueName_.c_str());
    RegCloseKey(key);
  }
}

}  // namespace e2e
