// Path lists in the forms the shell takes them: the CR LF text form, the double-NUL list of
// SHFileOperation and the CF_HDROP block, and the targets of a copy into a folder.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/prompter.h"

namespace velmora {

// Paths each followed by CR LF.
std::string PathText(const std::vector<std::string>& paths);

// The shell's list form: every CR LF (both single-byte characters) becomes one NUL, and two
// NULs follow the copy, so "C:\a" CR LF "C:\b" CR LF gives "C:\a" NUL "C:\b" NUL NUL NUL.
// Empty lines are left out: their NULs would end the list early for the shell.
std::string MakeDoubleNulList(std::string_view text);

// Size of the header in front of a CF_HDROP file list.
constexpr std::size_t kDropFilesHeaderSize = 20;

// The CF_HDROP block: the 20-byte header (list offset 20, point (0, 0), not in a non-client
// area, ANSI names) followed by MakeDoubleNulList(text). Empty when the text holds no path.
std::string BuildDropFilesBlock(std::string_view text);

// The same block with wide names (fWide set), as the shell writes it: each name UTF-16
// little-endian with its NUL, then one more NUL. Empty when there is no name.
std::string BuildWideDropFilesBlock(const std::vector<std::u16string>& names);

// Names read from a CF_HDROP block; wide blocks keep their UTF-16 names for the platform to
// convert.
struct DropFileNames {
  bool wide = false;
  std::vector<std::string> ansi;
  std::vector<std::u16string> utf16;
  std::size_t size() const { return wide ? utf16.size() : ansi.size(); }
};

// Reads a block of the given size (another program may have written it): nullopt when the
// header is cut short or the list offset lies inside the header or past the block's end
// (names would be read from the header's own bytes or from outside). Names run to their NUL
// and the list to its empty name; a list that reaches the end of the block unterminated
// keeps the names completed before it.
std::optional<DropFileNames> ParseDropFilesBlock(const void* block, std::size_t size);

// The refusals of a block ParseDropFilesBlock rejects, for a paste and for a drop.
constexpr const char* kMalformedPasteText =
    "クリップボードのファイル一覧の形式が正しくないため、貼り付けを中止しました。";
constexpr const char* kMalformedDropText = "ドロップされたファイル一覧の形式が正しくないため、受け付けませんでした。";

// The shell's path buffers hold MAX_PATH (260) characters with the closing NUL. A longer path
// would come out of them cut, as another path, so the shell commands refuse it whole.
constexpr std::size_t kMaxShellPathChars = 259;

// Counted in characters of code page 932, as the shell's wide form counts them.
bool PathTooLong(std::string_view path);

// "[ path ]" and why nothing was done, in the manner of the other file command messages.
std::string PathTooLongText(const std::string& path);

// Shows PathTooLongText for the first path of the list that is too long and answers true
// (the command is refused); false when every path fits.
bool RefuseTooLongPaths(const std::vector<std::string>& paths, Prompter& prompter, const char* caption);

// folder + "\" + name, without doubling the backslash of a drive root ("C:\" + "a.txt" gives
// "C:\a.txt").
std::string JoinPath(std::string_view folder, std::string_view name);

// A copy of sources into one folder: one target per source, in the same order.
struct CopyPlan {
  std::vector<std::string> sources;
  std::vector<std::string> targets;
};

// Each source goes to folder + its last component; a trailing backslash on a source is
// ignored, and a source without a name (a drive root) is left out, since its target would
// be the folder itself.
CopyPlan PlanCopyInto(std::string_view folder, const std::vector<std::string>& sources);

}  // namespace velmora
