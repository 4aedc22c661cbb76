// Merging with store files that another process saved since this one read them. This
// process's own changes are what its documents hold against the text it read or last wrote
// (the base); they are applied on top of the files as they are now (theirs):
// - titles: ours removed are removed, ours added are appended;
// - folder list: sections we erased are erased; keys we deleted are deleted; keys we added
//   or whose value we changed are written (our value wins); keys we left alone keep theirs;
// - a binder the other process removed (or renamed away) stays removed, except that folders
//   we added to it bring it back holding just those folders;
// - selections: a folder's remembered selection is one unit; ours replaces theirs when we
//   changed it.
// Renames are replayed first, on base and theirs alike, so that a renamed binder keeps the
// folders the other process added to it under its old name.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/collation.h"
#include "store/ini_document.h"
#include "store/title_list.h"

namespace velmora {

struct BinderRename {
  std::string from, to;
};

// Renames the binder from to to in a title list: the first title equal to from takes the new
// text in place and later titles equal to from go; when another title already equals to,
// from's titles just go, since both binders now share one section.
void RenameTitle(TitleList& titles, std::string_view from, std::string_view to);

// Replays renames[first..] on a title list or a folder list.
void ReplayRenames(const std::vector<BinderRename>& renames, std::size_t first, TitleList& titles);
void ReplayRenames(const std::vector<BinderRename>& renames, std::size_t first, IniDocument& folders);

void MergeTitles(const TitleList& base, const TitleList& ours, TitleList& theirs, const Collation& collation);

// Gives the titles of the binders we added folders to, which must stay in the title list.
// settings is the settings section, expandedKey the binder flag that is not a folder.
std::vector<std::string> MergeFolderList(const IniDocument& base, const IniDocument& ours, IniDocument& theirs,
                                         const TitleList& ourTitles, const Collation& collation,
                                         std::string_view settings, std::string_view expandedKey);

void MergeSelections(const IniDocument& base, const IniDocument& ours, IniDocument& theirs);

}  // namespace velmora
