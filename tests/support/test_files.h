// Files and shortcuts that tests under Wine make and read back, written once for all of them.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

bool Exists(const std::string& path);
std::string ReadBytes(const std::string& path);  // empty when the file cannot be read
void WriteBytes(const std::string& path, const std::string& bytes);
// The names in a folder (given without a trailing backslash), "." and ".." aside, in byte order.
std::vector<std::string> FolderNames(const std::string& folder);
// A file holding the bytes, then given the attributes (none: left as made).
void MakeFile(const std::string& path, const std::string& bytes = "x", DWORD attributes = 0);
// A file of size bytes.
void MakeFile(const std::string& path, std::size_t size, DWORD attributes = 0);
// The same by wide paths, for names code page 932 cannot spell.
void MakeFile(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
// The names in a folder (with or without its trailing backslash), "." and ".." aside, sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// A shortcut to target as the shell writes it; false when it could not be saved.
bool MakeShortcut(const std::string& link, const std::string& target);
// The target of a shortcut file; empty when it cannot be read.
std::string ShortcutTarget(const std::string& link);

}  // namespace test_support
