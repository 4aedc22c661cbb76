// How the shortcut component names its files, apart from the shell: characters a file name
// cannot hold, the delimiter before a file name, and the numbering of names already taken.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// Replaces, left to right, every occurrence of from in s by to. Only occurrences that start
// a character count: a byte that is the second half of a double-byte character (0x5C in
// "ソ", 0x7C in "ポ") belongs to that character and is passed over, and the search goes on
// after it. from is one or more whole characters.
void MogChange(std::string& s, std::string_view from, std::string_view to);

// The name with every character that a file name cannot hold, and the dot, replaced by its
// full-width form, so that a caller's name is taken whole and never split at an extension.
std::string FileMogChk(std::string name);

// The folder path ending in exactly one delimiter, ready for a file name. A path that names
// an existing file (pathIsFile) comes back unchanged; the empty path gives "\".
std::string PathToSetKugiriMog(std::string_view path, bool pathIsFile);

// Name of a shortcut (without ".lnk") to a file or folder: the caller's name made safe,
// or, when that is empty, the target's last component without its extension.
std::string ShortcutNameForPath(std::string_view linkName, std::string_view targetPath);

// Name of a shortcut to a shell item without a path: the caller's name, or the item's
// display name (without its extension unless the item is a folder), made safe.
std::string ShortcutNameForItem(std::string_view linkName, std::string_view displayName, bool isFolder);

// base + name + ".lnk", or, when a file of that name exists already, the first of
// base + name + "(1).lnk", "(2).lnk", ... that does not.
std::string NumberedLinkPath(const std::string& base, const std::string& name,
                             const std::function<bool(const std::string&)>& fileExists);

// True for a path whose extension is ".lnk" in any letter case.
bool IsShortcutPath(std::string_view path);

}  // namespace velmora
