#include "binders/binder_commands.h"

#include "browse/navigation.h"
#include "common/collation.h"
#include "common/file_system.h"
#include "common/link_names.h"
#include "common/prompter.h"
#include "store/binder_store.h"
#include "store/storable_text.h"
#include "text/cp932.h"

namespace velmora {

std::string UnspellableFolderText(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += "[ " + path + " ]\n";
  return text + "このフォルダのパスにはシフトJISで表せない文字が含まれているため、バインダーに登録できません。";
}

std::string UnspellableTitleText(const std::string& title) {
  return "[ " + title + " ]\nこの名前にはシフトJISで表せない文字が含まれているため、バインダー名に使えません。";
}

namespace {
// A title the files cannot hold is refused with the message that says why.
bool TitleRefused(const std::string& title, Prompter& prompter) {
  if (IsStorableTitle(title)) return false;
  if (!IsSpellable(title))
    prompter.Message(UnspellableTitleText(title), kBadTitleCaption);
  else
    prompter.Message(kBadTitleText, kBadTitleCaption);
  return true;
}
}  // namespace

std::string DeleteBinderQuestion(const std::string& title, bool hasFolders) {
  return "'" + title + "' バインダー" + (hasFolders ? "とそのフォルダを" : "を") + "削除します。よろしいですか？";
}

std::string RemoveFolderQuestion(const std::string& binder, const std::string& path) {
  return "'" + binder + "' バインダー" + "から '" + FolderDisplayName(path) + "' を" + "削除します。よろしいですか？";
}

bool IsStorableTitle(const std::string& title) {
  // The store's one rule: a line break would split the title's line and its section header;
  // a zero byte ends the text wherever the platform reads it; a mark names a character the
  // files cannot hold; a lone lead byte at the end takes the line end or the header's "]"
  // as its second half in every reader that walks characters.
  return IsStorableText(title);
}

bool IsStorableFolderPath(const std::string& path) {
  if (!IsStorableText(path)) return false;
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  const bool network = path.size() > 2 && IsNetworkPath(path);
  // Anything else ("cmp", ";x", a relative path) would read back as no folder or another.
  return drive || network;
}

std::string RegistrationPath(const std::string& path) {
  std::string key = path;
  auto isRoot = [](const std::string& p) {
    return p == "\\" || p == "\\\\" || (p.size() == 3 && p[1] == ':');
  };
  while (EndsWithBackslash(key) && !isRoot(key)) key.pop_back();
  return key;
}

std::vector<std::string> SplitPathLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

BinderCommands::BinderCommands(BinderStore& store, const Collation& collation, FileSystem& folders)
    : store_(&store), collation_(&collation), folders_(&folders) {}

std::string BinderCommands::RegistrationTitle(const std::string& name) const {
  const std::string title = store_->IsSettingsSection(name) ? name + " 1" : name;
  const int at = store_->titles.IndexOf(title);
  return at >= 0 ? store_->titles[at] : title;
}

std::string BinderCommands::ResolvedFolder(const std::string& path, bool mustExist,
                                           std::vector<std::string>* unspellable) {
  std::string folder = RegistrationPath(path);
  if (IsShortcutPath(folder)) folder = RegistrationPath(folders_->ResolveShortcut(folder));
  if (!IsSpellable(folder)) {
    if (unspellable && folders_->IsExistingFolder(folder)) unspellable->push_back(folder);
    return std::string();
  }
  if (!IsStorableFolderPath(folder)) return std::string();
  // A shortcut that could not be followed is still the shortcut: a file, refused here too.
  const bool refused = mustExist ? !folders_->IsExistingFolder(folder) : folders_->IsExistingFile(folder);
  return refused ? std::string() : folder;
}

std::string BinderCommands::HeldKey(const std::string& binder, const std::string& folder) const {
  // As stored, whatever the letter case asked for: the node and its key must agree.
  std::string held = store_->folders.StoredKey(binder, folder);
  if (!held.empty()) return held;
  // Files written before keys lost their trailing backslash may hold it so: the same folder.
  return store_->folders.StoredKey(binder, folder + "\\");
}

void BinderCommands::AddFolder(const std::string& binder, const std::string& folder, TreeChange& change) {
  change.selectAndList = true;
  if (!HeldKey(binder, folder).empty()) {
    change.selectPath.clear();  // held already: the binder is selected
    return;
  }
  store_->folders.WriteString(binder, folder, "0");
  change.foldersAdded.push_back({FolderDisplayName(folder), folder});
  change.selectPath = folder;
}

TreeChange BinderCommands::NewBinder(const std::string& entered, Prompter& prompter) {
  TreeChange change;
  if (TitleRefused(entered, prompter)) return change;
  std::string name = entered;
  for (unsigned long long n = 1; store_->titles.IndexOf(name) >= 0 || store_->IsSettingsSection(name); ++n)
    name = entered + " " + std::to_string(n);
  store_->titles.Add(name);
  change.happened = true;
  change.binder = name;
  change.binderAdded = true;
  change.foldersAdded = ReadBinderFolders(*store_, name, *collation_);
  return change;
}

TreeChange BinderCommands::Rename(const std::string& oldTitle, const std::string& newText, Prompter& prompter) {
  TreeChange change;
  if (newText.empty() || newText == oldTitle || store_->titles.IndexOf(newText) >= 0 ||
      store_->IsSettingsSection(newText) || store_->titles.IndexOf(oldTitle) < 0)
    return change;
  if (TitleRefused(newText, prompter)) return change;
  for (FolderEntry& folder : ReadBinderFolders(*store_, newText, *collation_))
    if (!store_->folders.ValueExists(oldTitle, folder.path)) change.foldersAdded.push_back(std::move(folder));
  // The remembered selections of its folders go with it, named by the new title.
  for (const FolderEntry& folder : ReadBinderFolders(*store_, oldTitle, *collation_))
    store_->selections.RenameSection(SelectionSection(oldTitle, folder.displayName),
                                     SelectionSection(newText, folder.displayName));
  store_->RenameBinder(oldTitle, newText);
  change.happened = true;
  change.binder = newText;
  return change;
}

bool BinderCommands::DeleteBinder(const std::string& title, bool hasFolders, Prompter& prompter) {
  if (!prompter.AskYesNo(DeleteBinderQuestion(title, hasFolders), kDeleteCaption)) return false;
  TitleList& titles = store_->titles;
  const int at = titles.IndexOf(title);
  if (at < 0) return false;
  // Titles equal to it but for letter case name the same section: they go with it.
  for (int dup = at; dup >= 0; dup = titles.IndexOf(title, dup)) titles.Delete(dup);
  if (!store_->IsSettingsSection(title)) {
    // And the remembered selections of its folders.
    for (const FolderEntry& folder : ReadBinderFolders(*store_, title, *collation_))
      store_->selections.EraseSection(SelectionSection(title, folder.displayName));
    store_->folders.EraseSection(title);
  }
  return true;
}

bool BinderCommands::RemoveFolder(const std::string& binder, const std::string& path, Prompter& prompter) {
  if (!prompter.AskYesNo(RemoveFolderQuestion(binder, path), kDeleteCaption)) return false;
  store_->folders.DeleteKey(binder, path);
  return true;
}

TreeChange BinderCommands::RegisterFolder(const std::string& title, const std::string& path,
                                          const std::string* selectedBinder, Prompter& prompter) {
  TreeChange change;
  if (title.empty() && (selectedBinder == nullptr || store_->titles.IndexOf(*selectedBinder) < 0)) return change;
  // Checked first, so that a request naming no folder creates no binder either.
  std::vector<std::string> unspellable;
  const std::string folder = ResolvedFolder(path, false, &unspellable);
  if (!unspellable.empty()) prompter.Message(UnspellableFolderText(unspellable), kUnspellableFolderCaption);
  if (folder.empty()) return change;
  const std::string binder = RegistrationTitle(title.empty() ? *selectedBinder : title);
  if (store_->titles.IndexOf(binder) < 0) {
    if (TitleRefused(binder, prompter)) return change;
    if (!prompter.AskYesNo(kCreateBinderQuestion, kCreateBinderCaption)) return change;
    store_->titles.Add(binder);
    change.binderAdded = true;
    change.foldersAdded = ReadBinderFolders(*store_, binder, *collation_);
  }
  change.happened = true;
  change.binder = binder;
  AddFolder(binder, folder, change);
  return change;
}

TreeChange BinderCommands::RegisterFolders(const std::string& binder, const std::string& text) {
  TreeChange change;
  const std::vector<std::string> paths = SplitPathLines(text);
  const int at = store_->titles.IndexOf(binder);
  if (at >= 0) {
    change.binder = store_->titles[at];
    for (const std::string& path : paths) {
      const std::string folder = ResolvedFolder(path, true, &change.unspellable);
      if (folder.empty()) continue;
      change.happened = true;
      AddFolder(change.binder, folder, change);
    }
  }
  return change;
}

std::vector<std::string> BinderCommands::FoldersFromCommandLine(const std::vector<std::string>& parameters,
                                                               std::vector<std::string>* unspellable) {
  std::vector<std::string> found;
  for (const std::string& parameter : parameters) {
    std::string folder = ResolvedFolder(folders_->FullPath(parameter), true, unspellable);
    if (!folder.empty()) found.push_back(std::move(folder));
  }
  return found;
}

bool BinderCommands::RegisterFromCommandLine(const std::string& name, const std::vector<std::string>& folders,
                                             Prompter& prompter) {
  if (folders.empty()) return false;
  return RegisterFromCommandLine(name, prompter, [&](bool create) {
    TreeChange change;
    return FileSentFolders(name, folders, create, change);
  });
}

bool BinderCommands::RegisterFromCommandLine(const std::string& name, Prompter& prompter,
                                             const std::function<SentFolders(bool create)>& file) {
  if (TitleRefused(RegistrationTitle(name), prompter)) return false;
  SentFolders filed = file(false);
  if (filed == SentFolders::kUnknownBinder && prompter.AskYesNo(kCreateBinderQuestion, kCreateBinderCaptionRegistration))
    filed = file(true);
  return filed == SentFolders::kRegistered;
}

SentFolders BinderCommands::FileSentFolders(const std::string& name, const std::vector<std::string>& folders,
                                            bool create, TreeChange& change) {
  change = TreeChange();
  const std::string binder = RegistrationTitle(name);
  if (name.empty() || !IsStorableTitle(binder)) return SentFolders::kRefused;
  // Another process may have sent them: each is checked again.
  std::vector<std::string> existing;
  for (const std::string& path : folders) {
    std::string folder = ResolvedFolder(path, true, &change.unspellable);
    if (!folder.empty()) existing.push_back(std::move(folder));
  }
  if (existing.empty()) return SentFolders::kRefused;
  // A binder without folders has no section yet, and a section without a binder comes back
  // as that binder with its old folders: neither is a new binder to ask about.
  const bool titled = store_->titles.IndexOf(binder) >= 0;
  if (!titled && !create && !store_->folders.SectionExists(binder)) return SentFolders::kUnknownBinder;
  if (!titled) {
    store_->titles.Add(binder);
    change.binderAdded = true;
    change.foldersAdded = ReadBinderFolders(*store_, binder, *collation_);
  }
  for (const std::string& folder : existing) {
    // A key stored with a trailing backslash is the same folder: reset it, never add a twin.
    const std::string held = HeldKey(binder, folder);
    if (held.empty()) change.foldersAdded.push_back({FolderDisplayName(folder), folder});
    change.selectPath = held.empty() ? folder : held;
    store_->folders.WriteString(binder, change.selectPath, "0");
  }
  change.happened = true;
  change.binder = binder;
  change.selectAndList = true;
  return SentFolders::kRegistered;
}

}  // namespace velmora
