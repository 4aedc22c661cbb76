#include "binders/binder_model.h"

#include "common/file_attributes.h"

#include <algorithm>

#include "store/binder_store.h"
#include "store/collation.h"
#include "text/cp932.h"

namespace velmora {

std::vector<BinderEntry> ReadBinders(BinderStore& store, const Collation& collation) {
  std::vector<BinderEntry> binders;
  binders.reserve(static_cast<std::size_t>(store.titles.Count()));
  std::vector<std::string>& scratch = store.scratchList;
  for (int i = 0; i < store.titles.Count(); ++i) {
    BinderEntry binder;
    binder.title = store.titles[i];
    scratch.clear();
    store.folders.ReadSectionKeys(binder.title, scratch);
    for (std::string& key : scratch) {
      if (collation.CompareIgnoreCase(key, kExpandedKey) == 0) continue;
      FolderEntry folder;
      folder.displayName = FolderDisplayName(key);
      folder.path = std::move(key);
      binder.folders.push_back(std::move(folder));
    }
    binders.push_back(std::move(binder));
  }
  scratch.clear();
  return binders;
}

void SortBinders(std::vector<BinderEntry>& binders, const Collation& collation) {
  auto byText = [&collation](const std::string& a, const std::string& b) {
    return collation.Compare(a, b) < 0;
  };
  std::stable_sort(binders.begin(), binders.end(),
                   [&](const BinderEntry& a, const BinderEntry& b) { return byText(a.title, b.title); });
  for (BinderEntry& binder : binders) {
    std::stable_sort(binder.folders.begin(), binder.folders.end(),
                     [&](const FolderEntry& a, const FolderEntry& b) {
                       return byText(a.displayName, b.displayName);
                     });
  }
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
