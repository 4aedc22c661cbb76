// Rules of the commands that change the listed folder: in-place rename with numbered
// names, the new folder's name, and what a delete's outcome asks of the list.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/collation.h"
#include "common/file_system.h"
#include "common/prompter.h"

namespace velmora {

constexpr const char* kEnterFileNameText = "ファイル名を入力して下さい";
// The error code the system gives for a name it cannot take (ERROR_INVALID_NAME).
constexpr uint32_t kErrorInvalidName = 123;

// A path counts as taken when a search finds an entry there, or when it is a folder (a
// drive root, which a search does not find).
bool PathTaken(const std::string& path, FileSystem& fs);

// The full path oldPath is to be renamed to when the user typed `typed` (a name, taken
// after its last "\" or ":"). A file keeps its old extension when the typed name has none,
// and a taken name is numbered before the extension: "b(01).txt", "b(02).txt", ...,
// "b(100).txt". A folder takes the typed name whole and is numbered at its end: "def(01)".
// The item's own present name counts as taken; only a change of letter case alone is
// not numbered.
std::string MakeUniqueName(const std::string& oldPath, const std::string& typed, FileSystem& fs,
                           const Collation& collation);

struct RenameRequest {
  std::string editedPath;                  // full path of the row whose label was edited
  std::string editedCaption;               // the text that row shows now
  std::string typed;                       // the text the edit ended with
  std::vector<std::string> selectedPaths;  // full paths of every selected row, in row order
};

struct RenamedItem {
  std::string source;  // full path before
  std::string target;  // full path now
  // The extension changed beyond letter case, so the row's icon is to be asked again.
  bool extensionChanged = false;
};

struct RenameResult {
  std::string shownText;        // the edited row's caption afterwards
  bool unselectEdited = false;  // the edited row is to be unselected
  std::vector<RenamedItem> renamed;  // the items that moved, in the order given
};

// Renames every selected item after the typed text, numbering the names so that they stay
// unique, and shows the messages of refusals and failures through the prompter. Nothing is
// renamed when the typed text equals the present caption, when the edited path is a root
// ("C:\"), when a file is given no base name, or when the text holds a "/" (which would
// move the item into another folder). A failing item keeps its name and the others are
// still tried.
RenameResult RenameEdited(const RenameRequest& request, FileSystem& fs, const Collation& collation,
                          Prompter& prompter);

// The new folder's path in the listed folder: "新しいフォルダ", else "新しいフォルダ1",
// "新しいフォルダ2", ... whichever is not yet a folder (a file of that name is not skipped).
std::string NewFolderPath(const std::string& listedFolder, FileSystem& fs);

// Creates the new folder; its path, or empty after the failure message was shown.
std::string CreateNewFolder(const std::string& listedFolder, FileSystem& fs, Prompter& prompter);

// The failure message of CreateNewFolder.
std::string NewFolderFailedText(const std::string& path);

// What a delete through the shell asks of the list.
enum class DeleteOutcome {
  kRemoveRows,   // done: the deleted rows go
  kUnchanged,    // cancelled before anything was deleted: nothing changes
  kRefreshRows,  // stopped part way, by an error or the user: rows of items that are gone
                 // go, rows of items that still exist are refreshed
};

struct DeleteResult {
  DeleteOutcome outcome = DeleteOutcome::kUnchanged;
  std::vector<std::string> gone;       // rows to remove
  std::vector<std::string> remaining;  // rows to refresh (their items still exist)
};

// The rows of the deleted paths after the shell's delete answered shellResult and aborted;
// when it stopped part way, which items are gone is asked of the file system.
DeleteResult RowsAfterDelete(const std::vector<std::string>& paths, int shellResult, bool aborted, FileSystem& fs);

}  // namespace velmora
