// The folder list of one binder: its rows, the rows the user removes, and what OK applies.
// Nothing reaches the store before OK, so Cancel leaves the binder as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "binders/binder_model.h"

namespace velmora {

class BinderStore;
class Collation;

constexpr const char* kFolderListCaptionSuffix = "バインダーが管理するフォルダ";
std::string FolderListCaption(const std::string& binder);

// A row has an icon when the folder's attributes could be read, and is ghosted when they
// hold the hidden attribute, drive roots included.
struct FolderRowLook {
  bool hasIcon = false;
  bool ghosted = false;
};
FolderRowLook LookOfFolderRow(bool attributesRead, std::uint32_t attributes);

class FolderListEdit {
 public:
  // The binder's folders in store order.
  FolderListEdit(BinderStore& store, const std::string& binder, const Collation& collation);

  const std::vector<FolderEntry>& rows() const { return rows_; }
  // Paths of the rows at the given indices, from top to bottom; indices out of range are
  // ignored.
  std::vector<std::string> PathsOf(std::vector<int> indices) const;
  // Removes the rows, last first, and remembers their paths for OK.
  void RemoveRows(std::vector<int> indices);
  // The removed paths, in the order they were removed.
  const std::vector<std::string>& removed() const { return removed_; }

  // OK: each removed folder leaves the binder's section (its key found without regard to
  // letter case). Gives the removed paths: under the binder's node, the first folder node
  // whose path is each of them, byte for byte, is to be deleted.
  std::vector<std::string> Apply();

 private:
  static std::vector<int> Sorted(std::vector<int> indices, std::size_t size);

  BinderStore& store_;
  std::string binder_;
  std::vector<FolderEntry> rows_;
  std::vector<std::string> removed_;
};

}  // namespace velmora
