#include "shellops/change_rules.h"

#include "common/path_lists.h"
#include "text/cp932.h"

namespace velmora {

namespace {

// Beyond this many numbered tries the last candidate is handed to the move, which then
// reports the collision itself (only a file system that claims every name gets here).
constexpr int kMaxNumberedTries = 100000;

std::string NumberSuffix(int n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return "(" + digits + ")";
}

}  // namespace

bool PathTaken(const std::string& path, FileSystem& fs) {
  return fs.EntryExists(path) || fs.IsExistingFolder(path);
}

std::string MakeUniqueName(const std::string& oldPath, const std::string& typed, FileSystem& fs,
                           const Collation& collation) {
  const std::string folder = FolderPart(oldPath);
  const std::string newFull = folder + typed;
  std::string newBase;
  std::string newExt;
  if (fs.IsExistingFile(oldPath)) {
    newBase = FileBaseName(newFull);
    newExt = FileExtension(LastComponent(newFull));
    if (newExt.empty()) newExt = FileExtension(LastComponent(oldPath));
  } else {
    // A folder's name has no extension to keep or to number around.
    newBase = LastComponent(newFull);
  }
  std::string candidate = folder + newBase + newExt;
  // The item's own name (exactly, or with other letter case) is no collision.
  if (collation.CompareIgnoreCase(candidate, oldPath) == 0) return candidate;
  for (int n = 1; n <= kMaxNumberedTries && PathTaken(candidate, fs); ++n) {
    candidate = folder + newBase + NumberSuffix(n) + newExt;
    if (candidate == oldPath) break;
  }
  return candidate;
}

RenameResult RenameEdited(const RenameRequest& request, FileSystem& fs, const Collation& collation,
                          Prompter& prompter) {
  RenameResult result;
  result.shownText = request.editedCaption;
  const std::string& edited = request.editedPath;
  // Confirming the present name unchanged is no request to rename.
  if (edited.size() <= 3 || request.typed == request.editedCaption) return result;
  if (fs.IsExistingFile(edited)) {
    if (FileBaseName(request.typed).empty()) {
      prompter.Message(kEnterFileNameText, kFileCommandCaption);
      result.unselectEdited = true;
      return result;
    }
  } else if (LastComponent(request.typed).empty()) {
    return result;
  }
  if (LastDelimiter(request.typed, "/") != std::string::npos) {
    prompter.Message(fs.ErrorText(kErrorInvalidName), kFileCommandCaption);
    return result;
  }

  bool editedSelected = false;
  std::string shown;
  for (const std::string& source : request.selectedPaths) {
    const std::string target = MakeUniqueName(source, request.typed, fs, collation);
    const bool isEdited = source == edited;
    if (isEdited) {
      editedSelected = true;
      shown = LastComponent(target);
    }
    if (target == source) continue;
    // Cut by the system's buffers, either name would be another item's.
    if (PathTooLong(source) || PathTooLong(target)) {
      prompter.Message(PathTooLongText(PathTooLong(source) ? source : target), kFileCommandCaption);
      if (isEdited) shown = request.editedCaption;
      continue;
    }
    const uint32_t error = fs.MoveEntry(source, target);
    if (error != 0) {
      prompter.Message(fs.ErrorText(error), kFileCommandCaption);
      if (isEdited) shown = request.editedCaption;
      continue;
    }
    RenamedItem item;
    item.source = source;
    item.target = target;
    item.extensionChanged =
        collation.CompareIgnoreCase(FileExtension(LastComponent(source)), FileExtension(LastComponent(target))) != 0;
    result.renamed.push_back(std::move(item));
  }
  if (editedSelected) result.shownText = shown;
  return result;
}

std::string NewFolderPath(const std::string& listedFolder, FileSystem& fs) {
  const std::string base = IncludeTrailingBackslash(listedFolder) + "新しいフォルダ";
  std::string candidate = base;
  for (int n = 1; fs.IsExistingFolder(candidate); ++n) candidate = base + std::to_string(n);
  return candidate;
}

std::string NewFolderFailedText(const std::string& path) {
  return "[ " + path + " ]\nフォルダの作成に失敗しました。";
}

std::string CreateNewFolder(const std::string& listedFolder, FileSystem& fs, Prompter& prompter) {
  if (listedFolder.empty()) return std::string();
  const std::string path = NewFolderPath(listedFolder, fs);
  if (fs.CreateFolderWithParents(path)) return path;
  prompter.Message(NewFolderFailedText(path), kFileCommandCaption);
  return std::string();
}

DeleteResult RowsAfterDelete(const std::vector<std::string>& paths, int shellResult, bool aborted, FileSystem& fs) {
  DeleteResult result;
  if (paths.empty()) return result;
  if (shellResult == 0 && !aborted) {
    result.outcome = DeleteOutcome::kRemoveRows;
    result.gone = paths;
    return result;
  }
  // The shell may have deleted some items before it stopped: a No to one of its later
  // questions ends the operation as cancelled all the same.
  for (const std::string& path : paths)
    (fs.IsExistingFile(path) || fs.IsExistingFolder(path) ? result.remaining : result.gone).push_back(path);
  if (aborted && result.gone.empty()) {
    result.remaining.clear();
    return result;
  }
  result.outcome = DeleteOutcome::kRefreshRows;
  return result;
}

}  // namespace velmora
