// The whole persistent state: the title list and the two INI documents in the data folder
// beside the executable, loaded once at start and saved once at exit.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/collation.h"
#include "common/remembered_views.h"
#include "store/ini_document.h"
#include "common/file_system.h"
#include "store/store_merge.h"
#include "store/title_list.h"

namespace velmora {

struct StorePaths {
  std::string exeDir;  // with trailing "\"
  std::string dataFolder;  // exeDir + "data\"
  std::string titleListPath;
  std::string folderListPath;
  std::string selectListPath;
};

class BinderStore : public RememberedViews {
 public:
  BinderStore(const Collation& collation, FileSystem& files);

  // RememberedViews: view styles in folderlist.ini, selections in selectlist.ini.
  int ViewStyleOf(const std::string& binder, const std::string& folder) override;
  void RememberViewStyle(const std::string& binder, const std::string& folder, int style) override;
  std::vector<std::string> SelectionOf(const std::string& section) override;
  void RememberSelection(const std::string& section, const std::vector<std::string>& keys) override;

  // Sets the paths and creates the data folder and the per-user folder when missing.
  void SetUpPaths(std::string exeDir, std::string userName);
  // Reads both INI documents (empty when missing) and the title list; true when
  // titlelist.txt exists, that is when binders exist. Holds the store's lock meanwhile, so
  // that another process's save is read whole or not at all.
  bool Load();
  // Writes folderlist.ini, selectlist.ini and titlelist.txt in that order, each replacing
  // its file as one step. Returns the paths that were not written (their old files stay).
  //
  // Another process (a second window, or the registration started from Send To) may have
  // saved a file since this one read or last wrote it. Such a file is read again and this
  // process's own changes are applied on top of it (store_merge.h says how), so that both
  // processes' changes survive whichever saves last; the documents then hold the merge. A
  // file nobody else changed is written from the documents as they are.
  //
  // A file that existed but could not be read at load, and still cannot, is not
  // overwritten: the empty document standing in for it would wipe the user's data. Once it
  // can be read, this process's changes are merged into it.
  std::vector<std::string> Save();

  // Renames a binder: its title where it stands (later titles equal to the old one go too),
  // and its section where it stands, taking in the folders of a section already named to.
  // Remembered, so that a merging save renames in the other process's files too.
  void RenameBinder(std::string_view from, std::string_view to);

  // True for the name of the settings section in any letter case.
  bool IsSettingsSection(std::string_view name) const;

  const StorePaths& paths() const { return paths_; }

  TitleList titles;
  IniDocument folders;     // folderlist.ini
  IniDocument selections;  // selectlist.ini

  static constexpr const char* kSettingsSection = "Orvik";
  static constexpr const char* kWidthKey = "WID";
  static constexpr const char* kLargeIconsKey = "FRG";
  static constexpr int kDefaultWidth = 152;
  // The binder's expanded flag in its section: the one key there that is not a folder.
  static constexpr const char* kExpandedKey = "cmp";

 private:
  // One file as this process last saw it on disk.
  struct FileState {
    std::string base;          // the text read at load or written at the last save
    bool unreadable = false;   // existed at load but could not be read
    std::size_t renamesIn = 0; // how many of renames_ base already holds
  };
  enum FileIndex { kFolderFile, kSelectFile, kTitleFile, kFileCount };

  const std::string& PathOf(int file) const;
  std::unique_ptr<StoreLock> Lock();
  bool ReadAtLoad(int file, std::string& text);

  const Collation* collation_;
  FileSystem* files_;
  StorePaths paths_;
  FileState state_[kFileCount];
  std::vector<BinderRename> renames_;
};

}  // namespace velmora
