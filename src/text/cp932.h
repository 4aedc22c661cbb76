// Byte-level rules for code page 932 (Shift-JIS) strings. A trail byte may be 0x5C ("\")
// or 0x7C ("|"), so delimiter searches must step over double-byte characters.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// True for bytes that start a double-byte character in code page 932.
bool IsLeadByte(unsigned char c);

// Length in bytes (1 or 2) of the character starting at s[i]; a lead byte at the very end
// counts as a single byte, as the platform's CharNextA steps over it alone.
std::size_t CharLengthAt(std::string_view s, std::size_t i);

// True when s[i] is the second byte of a double-byte character.
bool IsTrailByteAt(std::string_view s, std::size_t i);

// Position of the last byte of s that is one of delims and not the trail of a double-byte
// character, or npos.
std::size_t LastDelimiter(std::string_view s, std::string_view delims);

// True when the last character of s is the single-byte character c.
bool EndsWithChar(std::string_view s, char c);

// The text after the last "\" or ":" (empty for "C:\" or a path ending in "\").
std::string LastComponent(std::string_view path);

// Display name of a registered folder: its last component, or the whole path when that is empty.
std::string FolderDisplayName(std::string_view path);

// Appends "\" unless the path already ends in one (a trail byte 0x5C does not count).
std::string IncludeTrailingBackslash(std::string_view path);
bool EndsWithBackslash(std::string_view path);
// Removes one trailing "\" (a trail byte 0x5C is part of a character and stays).
std::string ExcludeTrailingBackslash(std::string_view path);

// Parent folder: the path without its last component and without the trailing backslash,
// except that a root keeps it ("C:\sub" gives "C:\", "C:\a\b" gives "C:\a").
std::string ParentFolder(std::string_view path);

// The path up to and including its last "\" or ":" ("C:\a\b.txt" gives "C:\a\").
std::string FolderPart(std::string_view path);

// Extension with its dot ("a.txt" gives ".txt"), empty when there is none.
std::string FileExtension(std::string_view path);

// A "\\server\share" path.
bool IsNetworkPath(std::string_view path);

// The root a path lies under: "\\server\share\" for network paths, else its first three
// characters ("C:\").
std::string DriveRoot(std::string_view path);

// The last component without its extension ("C:\a\b.txt" gives "b").
std::string FileBaseName(std::string_view path);

// Position of the first occurrence of what in s, at or after from, that starts on a
// character of s (never on the trail byte of a double-byte character), or npos. what is
// one or more whole characters.
std::size_t FindChars(std::string_view s, std::string_view what, std::size_t from = 0);

// True when s ends in a lead byte with nothing after it: half a character.
bool EndsWithLoneLeadByte(std::string_view s);

// Names the code page cannot spell travel in the program's text as the code page's bytes
// for what it can spell and, for each UTF-16 unit it cannot, kUnspellableMark and four
// upper-case hex digits. No file name holds the mark (0x01), so such a text given to an
// ANSI call names no file at all, never a look-alike; only the wide conversion reads it
// back. Text without the mark is plain code page 932, byte for byte.
constexpr char kUnspellableMark = '\x01';
constexpr std::size_t kUnspellableLength = 5;
void AppendUnspellable(std::string& out, unsigned unit);
// The UTF-16 unit written at s[i], or -1 when no whole mark starts there.
int UnspellableAt(std::string_view s, std::size_t i);
// True when s is plain code page 932: what the store, the companion and peer programs can read.
bool IsSpellable(std::string_view s);
// The one gate for text that comes from outside the program (other programs' messages, the
// clipboard, drops, the store's files): only the program's own conversions write marks, so
// text from outside that holds the mark byte is refused, never read as a mark.
bool PassesOutsideGate(std::string_view s);

}  // namespace velmora
