#include "binders/folder_list.h"

#include <algorithm>

#include "common/file_attributes.h"
#include "store/binder_store.h"

namespace velmora {

std::string FolderListCaption(const std::string& binder) { return binder + kFolderListCaptionSuffix; }

FolderRowLook LookOfFolderRow(bool attributesRead, std::uint32_t attributes) {
  FolderRowLook look;
  look.hasIcon = attributesRead;
  look.ghosted = attributesRead && (attributes & kAttrHidden) != 0;
  return look;
}

FolderListEdit::FolderListEdit(BinderStore& store, const std::string& binder, const Collation& collation)
    : store_(store), binder_(binder), rows_(ReadBinderFolders(store, binder, collation)) {}

std::vector<int> FolderListEdit::Sorted(std::vector<int> indices, std::size_t size) {
  indices.erase(std::remove_if(indices.begin(), indices.end(),
                               [size](int i) { return i < 0 || static_cast<std::size_t>(i) >= size; }),
                indices.end());
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

std::vector<std::string> FolderListEdit::PathsOf(std::vector<int> indices) const {
  std::vector<std::string> paths;
  for (int i : Sorted(std::move(indices), rows_.size())) paths.push_back(rows_[static_cast<std::size_t>(i)].path);
  return paths;
}

void FolderListEdit::RemoveRows(std::vector<int> indices) {
  const std::vector<int> sorted = Sorted(std::move(indices), rows_.size());
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
    removed_.push_back(rows_[static_cast<std::size_t>(*it)].path);
    rows_.erase(rows_.begin() + *it);
  }
}

std::vector<std::string> FolderListEdit::Apply() {
  for (const std::string& path : removed_) store_.folders.DeleteKey(binder_, path);
  std::vector<std::string> applied;
  applied.swap(removed_);
  return applied;
}

}  // namespace velmora
