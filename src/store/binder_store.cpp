#include "store/binder_store.h"

#include <utility>

#include "store/storable_text.h"
#include "text/cp932.h"

namespace velmora {

BinderStore::BinderStore(const Collation& collation, FileSystem& files)
    : titles(collation), folders(collation), selections(collation), collation_(&collation), files_(&files) {}

void BinderStore::SetUpPaths(std::string exeDir, std::string userName) {
  paths_.exeDir = IncludeTrailingBackslash(exeDir);
  std::string data = paths_.exeDir + "data";
  if (!files_->IsExistingFolder(data)) files_->CreateFolderWithParents(data);
  paths_.dataFolder = data + "\\";
  paths_.titleListPath = paths_.dataFolder + "titlelist.txt";
  std::string user = paths_.dataFolder + userName;
  if (!files_->IsExistingFolder(user)) files_->CreateFolderWithParents(user);
  paths_.folderListPath = paths_.dataFolder + "folderlist.ini";
  paths_.selectListPath = paths_.dataFolder + "selectlist.ini";
}

const std::string& BinderStore::PathOf(int file) const {
  switch (file) {
    case kFolderFile: return paths_.folderListPath;
    case kSelectFile: return paths_.selectListPath;
    default: return paths_.titleListPath;
  }
}

bool BinderStore::ReadAtLoad(int file, std::string& text) {
  FileState& state = state_[file];
  state = FileState();
  text.clear();
  if (files_->ReadFile(PathOf(file), text)) return true;
  text.clear();
  state.unreadable = files_->IsExistingFile(PathOf(file));
  return false;
}

std::unique_ptr<StoreLock> BinderStore::Lock() {
  return paths_.dataFolder.empty() ? nullptr : files_->LockStore(paths_.dataFolder);
}

namespace {
// The gate for the store's files (PassesOutsideGate): a section or a key that holds the mark
// byte is left out, as if it were not there; the next save writes the files without it.
void RefuseMarkedNames(IniDocument& document) {
  for (const std::string& section : document.SectionNames()) {
    if (!PassesOutsideGate(section)) {
      document.EraseSection(section);
      continue;
    }
    std::vector<std::string> keys;
    document.ReadSectionKeys(section, keys);
    for (const std::string& key : keys)
      if (!PassesOutsideGate(key)) document.DeleteKey(section, key);
  }
}

void RefuseMarkedTitles(TitleList& titles) {
  for (int i = titles.Count() - 1; i >= 0; --i)
    if (!PassesOutsideGate(titles[i])) titles.Delete(i);
}
}  // namespace

bool BinderStore::Load() {
  const std::unique_ptr<StoreLock> lock = Lock();
  renames_.clear();
  std::string text;
  ReadAtLoad(kFolderFile, text);
  folders.Parse(text);
  if (!PassesOutsideGate(text)) RefuseMarkedNames(folders);
  state_[kFolderFile].base = std::move(text);
  ReadAtLoad(kSelectFile, text);
  selections.Parse(text);
  if (!PassesOutsideGate(text)) RefuseMarkedNames(selections);
  state_[kSelectFile].base = std::move(text);
  const bool titlesRead = ReadAtLoad(kTitleFile, text);
  titles.Parse(text);
  if (!PassesOutsideGate(text)) RefuseMarkedTitles(titles);
  state_[kTitleFile].base = std::move(text);
  // A title list that exists but cannot be read still means binders exist; they are only
  // missing for this run, and the file is kept at save.
  return titlesRead || state_[kTitleFile].unreadable;
}

void BinderStore::RenameBinder(std::string_view from, std::string_view to) {
  RenameTitle(titles, from, to);
  folders.RenameSection(from, to);
  renames_.push_back({std::string(from), std::string(to)});
}

bool BinderStore::IsSettingsSection(std::string_view name) const {
  return collation_->CompareIgnoreCase(name, kSettingsSection) == 0;
}

std::vector<std::string> BinderStore::Save() {
  const std::unique_ptr<StoreLock> lock = Lock();
  // What each file holds now, and whether someone else wrote it since this process did.
  std::string disk[kFileCount];
  bool readable[kFileCount], changed[kFileCount];
  for (int f = 0; f < kFileCount; ++f) {
    readable[f] = files_->ReadFile(PathOf(f), disk[f]);
    changed[f] = readable[f] && disk[f] != state_[f].base;
  }
  std::vector<std::string> keepTitles;
  if (changed[kFolderFile]) {
    IniDocument base(*collation_), theirs(*collation_);
    base.Parse(state_[kFolderFile].base);
    theirs.Parse(disk[kFolderFile]);
    // Both with the renames this process made since, as its own documents have them.
    ReplayRenames(renames_, state_[kFolderFile].renamesIn, base);
    ReplayRenames(renames_, state_[kFolderFile].renamesIn, theirs);
    keepTitles = MergeFolderList(base, folders, theirs, titles, *collation_, kSettingsSection, kExpandedKey);
    folders = std::move(theirs);
  }
  if (changed[kSelectFile]) {
    IniDocument base(*collation_), theirs(*collation_);
    base.Parse(state_[kSelectFile].base);
    theirs.Parse(disk[kSelectFile]);
    MergeSelections(base, selections, theirs);
    selections = std::move(theirs);
  }
  if (changed[kTitleFile]) {
    TitleList base(*collation_), theirs(*collation_);
    base.Parse(state_[kTitleFile].base);
    theirs.Parse(disk[kTitleFile]);
    ReplayRenames(renames_, state_[kTitleFile].renamesIn, base);
    ReplayRenames(renames_, state_[kTitleFile].renamesIn, theirs);
    MergeTitles(base, titles, theirs, *collation_);
    titles = std::move(theirs);
  }
  for (const std::string& title : keepTitles)
    if (titles.IndexOf(title) < 0) titles.Add(title);

  std::vector<std::string> failed;
  auto write = [&](int f, const std::string& text) {
    // Still unreadable: the empty document standing in for it must not replace it.
    if (state_[f].unreadable && !readable[f] && files_->IsExistingFile(PathOf(f))) {
      failed.push_back(PathOf(f));
      return;
    }
    if (!files_->WriteFileReplacing(PathOf(f), text)) {
      failed.push_back(PathOf(f));
      return;
    }
    state_[f].base = text;
    state_[f].unreadable = false;
    state_[f].renamesIn = renames_.size();
  };
  write(kFolderFile, folders.Text());
  write(kSelectFile, selections.Text());
  write(kTitleFile, titles.Text());
  return failed;
}

int BinderStore::ViewStyleOf(const std::string& binder, const std::string& folder) {
  return folders.ReadInteger(binder, folder, 0);
}

void BinderStore::RememberViewStyle(const std::string& binder, const std::string& folder, int style) {
  folders.WriteString(binder, folder, std::to_string(style));
}

std::vector<std::string> BinderStore::SelectionOf(const std::string& section) {
  std::vector<std::string> keys;
  if (selections.SectionExists(section)) selections.ReadSectionKeys(section, keys);
  return keys;
}

void BinderStore::RememberSelection(const std::string& section, const std::vector<std::string>& keys) {
  // Only what reads back from the file as itself is stored: a folder the code page cannot
  // spell keeps no selection, and a name that could not be read back is left out of one.
  if (!IsStorableText(section)) return;
  if (selections.SectionExists(section)) selections.EraseSection(section);
  for (const std::string& key : keys)
    if (IsStorableSelectionName(key)) selections.WriteString(section, key, "");
}

}  // namespace velmora
