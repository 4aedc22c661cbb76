// The whole persistent state: the title list and the two INI documents in the data folder
// beside the executable, loaded once at start and saved once at exit.
#pragma once
#include <string>
#include <vector>

#include "store/collation.h"
#include "store/ini_document.h"
#include "store/store_files.h"
#include "store/title_list.h"

namespace velmora {

struct StorePaths {
  std::string exeDir;  // with trailing "\"
  std::string dataFolder;  // exeDir + "data\"
  std::string titleListPath;
  std::string userFolder;  // dataFolder + user name + "\"
  std::string folderListPath;
  std::string selectListPath;
};

class BinderStore {
 public:
  BinderStore(const Collation& collation, StoreFileSystem& files);

  // Sets the paths and creates the data folder and the per-user folder when missing.
  void SetUpPaths(std::string exeDir, std::string userName);
  // Reads both INI documents (empty when missing) and the title list; true when
  // titlelist.txt exists, that is when binders exist.
  bool Load();
  // Writes folderlist.ini, selectlist.ini and titlelist.txt in that order, each replacing
  // its file as one step. Returns the paths that were not written (their old files stay).
  // A file that existed but could not be read at load is not overwritten either: the
  // empty document standing in for it would wipe the user's data.
  std::vector<std::string> Save();

  const StorePaths& paths() const { return paths_; }

  TitleList titles;
  IniDocument folders;     // folderlist.ini
  IniDocument selections;  // selectlist.ini
  // Lent to commands as a temporary list of paths; always emptied after use.
  std::vector<std::string> scratchList;

  static constexpr const char* kSettingsSection = "Orvik";
  static constexpr const char* kWidthKey = "WID";
  static constexpr const char* kLargeIconsKey = "FRG";
  static constexpr int kDefaultWidth = 152;

 private:
  bool ReadInto(const std::string& path, std::string& text, bool& unreadable);

  StoreFileSystem* files_;
  StorePaths paths_;
  bool folderListUnreadable_ = false;
  bool selectListUnreadable_ = false;
  bool titleListUnreadable_ = false;
};

}  // namespace velmora
