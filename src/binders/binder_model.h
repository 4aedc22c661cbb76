// What the binder tree shows, decided without the tree control: binders in title-list order
// with their registered folders, and the rules for pictures and ghosting.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/binder_store.h"

namespace velmora {

class Collation;

struct FolderEntry {
  std::string displayName;
  std::string path;  // the key as stored in the binder's section
};

struct BinderEntry {
  std::string title;
  std::vector<FolderEntry> folders;
};

// Binders and their folders in store order; the expanded flag "cmp" is not a folder. A
// title equal to an earlier one but for letter case, or naming the settings section, is
// not shown (it stays in titlelist.txt).
std::vector<BinderEntry> ReadBinders(BinderStore& store, const Collation& collation);

// The folders of one binder's section in store order, without the expanded flag.
std::vector<FolderEntry> ReadBinderFolders(BinderStore& store, const std::string& title, const Collation& collation);

// Orders binders and each binder's folders by text with the tree's comparison.
void SortBinders(std::vector<BinderEntry>& binders, const Collation& collation);
// The same for the binders alone, and for one binder's folders.
void SortBinderTitles(std::vector<BinderEntry>& binders, const Collation& collation);
void SortFolders(std::vector<FolderEntry>& folders, const Collation& collation);

constexpr const char* kExpandedKey = BinderStore::kExpandedKey;
constexpr const char* kRootText = "バインダー";

// Picture of a node at the given level (0 root, 1 binder, 2 folder); -1 for deeper levels.
int NodeImage(int level, bool open, int rootImage);

// A folder node is ghosted when its attributes could be read, it is not a drive root and it
// carries the hidden attribute.
bool IsGhostedFolder(const std::string& path, bool attributesRead, std::uint32_t attributes);

}  // namespace velmora
