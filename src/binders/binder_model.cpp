#include "binders/binder_model.h"

#include "common/file_attributes.h"

#include <algorithm>
#include <unordered_set>

#include "common/collation.h"
#include "store/binder_store.h"
#include "text/cp932.h"

namespace velmora {

std::vector<BinderEntry> ReadBinders(BinderStore& store, const Collation& collation) {
  std::vector<BinderEntry> binders;
  binders.reserve(static_cast<std::size_t>(store.titles.Count()));
  std::unordered_set<std::string> shown;
  for (int i = 0; i < store.titles.Count(); ++i) {
    // A title equal to an earlier one but for letter case names the same section, and one
    // naming the settings section would show (and erase) the settings: as a hand-edited
    // titlelist.txt may have them, they stay in the file but are not shown, so that the
    // tree holds one node and writes one expanded flag per section.
    if (store.IsSettingsSection(store.titles[i]) || !shown.insert(collation.FoldKey(store.titles[i])).second) continue;
    binders.push_back({store.titles[i], ReadBinderFolders(store, store.titles[i], collation)});
  }
  return binders;
}

std::vector<FolderEntry> ReadBinderFolders(BinderStore& store, const std::string& title, const Collation& collation) {
  std::vector<std::string> keys;
  store.folders.ReadSectionKeys(title, keys);
  std::vector<FolderEntry> folders;
  folders.reserve(keys.size());
  for (std::string& key : keys) {
    if (collation.CompareIgnoreCase(key, kExpandedKey) == 0) continue;
    FolderEntry folder;
    folder.displayName = FolderDisplayName(key);
    folder.path = std::move(key);
    folders.push_back(std::move(folder));
  }
  return folders;
}

void SortBinders(std::vector<BinderEntry>& binders, const Collation& collation) {
  SortBinderTitles(binders, collation);
  for (BinderEntry& binder : binders) SortFolders(binder.folders, collation);
}

void SortBinderTitles(std::vector<BinderEntry>& binders, const Collation& collation) {
  std::stable_sort(binders.begin(), binders.end(), [&collation](const BinderEntry& a, const BinderEntry& b) {
    return collation.Compare(a.title, b.title) < 0;
  });
}

void SortFolders(std::vector<FolderEntry>& folders, const Collation& collation) {
  std::stable_sort(folders.begin(), folders.end(), [&collation](const FolderEntry& a, const FolderEntry& b) {
    return collation.Compare(a.displayName, b.displayName) < 0;
  });
}

int NodeImage(int level, bool open, int rootImage) {
  switch (level) {
    case 0: return rootImage;
    case 1: return open ? 1 : 0;
    case 2: return open ? 3 : 2;
    default: return -1;
  }
}

bool IsGhostedFolder(const std::string& path, bool attributesRead, std::uint32_t attributes) {
  return attributesRead && !LastComponent(path).empty() && (attributes & kAttrHidden) != 0;
}

}  // namespace velmora
