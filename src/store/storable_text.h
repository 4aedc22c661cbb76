// The one rule for what the store's files may hold: binder titles (titlelist.txt and the
// section names of folderlist.ini), folder keys and the selection names of selectlist.ini.
// Whatever passes reads back from the files as itself, in code page 932, for this program
// and for peer programs.
#pragma once
#include <string_view>

namespace velmora {

// No line break, no zero byte, no mark of a unit the code page cannot spell (the files hold
// plain code page 932), no lone lead byte at its end (it would take the line end or a
// section header's "]" as its second half).
bool IsStorableText(std::string_view text);
// A name remembered in a selection, a key of its own line: storable text that is not empty
// and does not start with ";" (a comment line) or "[" (a section header).
bool IsStorableSelectionName(std::string_view name);

}  // namespace velmora
