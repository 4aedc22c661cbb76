#include "shellops/list_menu.h"

namespace velmora {

const std::vector<ListMenuEntry>& ListMenuEntries() {
  static const std::vector<ListMenuEntry> entries = {
      {ListMenuItem::kOpen, "開く(&O)", 24, ""},
      {ListMenuItem::kOpenWith, "アプリケーションから開く(&H)", 23, ""},
      {ListMenuItem::kSeparator, "", -1, ""},
      {ListMenuItem::kSendTo, "送る(&N)", 25, ""},
      {ListMenuItem::kSeparator, "", -1, ""},
      {ListMenuItem::kCopy, "コピー(&C)", 7, "Ctrl+C"},
      {ListMenuItem::kPaste, "貼り付け(&P)", 12, "Ctrl+V"},
      {ListMenuItem::kSeparator, "", -1, ""},
      {ListMenuItem::kNewFolder, "フォルダの作成(&F)", 11, ""},
      {ListMenuItem::kDelete, "削除(&D)", 4, ""},
      {ListMenuItem::kSeparator, "", -1, ""},
      {ListMenuItem::kProperties, "プロパティ(&P)", 10, ""},
  };
  return entries;
}

bool ListMenuItemShown(ListMenuItem item, const ListMenuState& state) {
  const bool selection = state.selectedCount > 0;
  switch (item) {
    case ListMenuItem::kOpenWith:
      return selection && state.rowUnderCursor && state.rowIsFile;
    case ListMenuItem::kPaste:
      return state.clipboardHasFiles;
    case ListMenuItem::kNewFolder:
      return state.folderListed;
    case ListMenuItem::kSeparator:
      return true;
    case ListMenuItem::kOpen:
    case ListMenuItem::kSendTo:
    case ListMenuItem::kCopy:
    case ListMenuItem::kDelete:
    case ListMenuItem::kProperties:
      return selection;
  }
  return false;
}

}  // namespace velmora
