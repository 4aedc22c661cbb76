#include "store/binder_store.h"

#include <utility>

#include "text/cp932.h"

namespace velmora {

BinderStore::BinderStore(const Collation& collation, StoreFileSystem& files)
    : titles(collation), folders(collation), selections(collation), files_(&files) {}

void BinderStore::SetUpPaths(std::string exeDir, std::string userName) {
  paths_.exeDir = IncludeTrailingBackslash(exeDir);
  std::string data = paths_.exeDir + "data";
  if (!files_->FolderExists(data)) files_->CreateFolderWithParents(data);
  paths_.dataFolder = data + "\\";
  paths_.titleListPath = paths_.dataFolder + "titlelist.txt";
  std::string user = paths_.dataFolder + userName;
  if (!files_->FolderExists(user)) files_->CreateFolderWithParents(user);
  paths_.userFolder = IncludeTrailingBackslash(user);
  paths_.folderListPath = paths_.dataFolder + "folderlist.ini";
  paths_.selectListPath = paths_.dataFolder + "selectlist.ini";
}

bool BinderStore::ReadInto(const std::string& path, std::string& text, bool& unreadable) {
  text.clear();
  unreadable = false;
  if (files_->ReadFile(path, text)) return true;
  text.clear();
  unreadable = files_->FileExists(path);
  return false;
}

bool BinderStore::Load() {
  std::string text;
  ReadInto(paths_.folderListPath, text, folderListUnreadable_);
  folders.Parse(text);
  ReadInto(paths_.selectListPath, text, selectListUnreadable_);
  selections.Parse(text);
  bool titlesRead = ReadInto(paths_.titleListPath, text, titleListUnreadable_);
  titles.Parse(text);
  // A title list that exists but cannot be read still means binders exist; they are only
  // missing for this run, and the file is kept at save.
  return titlesRead || titleListUnreadable_;
}

std::vector<std::string> BinderStore::Save() {
  std::vector<std::string> failed;
  auto write = [&](const std::string& path, bool unreadable, const std::string& text) {
    if (unreadable || !files_->WriteFileReplacing(path, text)) failed.push_back(path);
  };
  write(paths_.folderListPath, folderListUnreadable_, folders.Text());
  write(paths_.selectListPath, selectListUnreadable_, selections.Text());
  write(paths_.titleListPath, titleListUnreadable_, titles.Text());
  return failed;
}

}  // namespace velmora
