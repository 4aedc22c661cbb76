#include "binders/tree_menu.h"

namespace velmora {

const std::vector<TreeMenuEntry>& TreeMenuEntries() {
  static const std::vector<TreeMenuEntry> entries = {
      {TreeMenuItem::kOpen, "開く(&O)", 6, 0},
      {TreeMenuItem::kSeparator, "", -1, 0},
      {TreeMenuItem::kNewBinder, "新規作成(&N)", 0, 0},
      {TreeMenuItem::kAddFolder, "フォルダを追加する", 2, 0},
      {TreeMenuItem::kFolderList, "フォルダの一覧(&L)", 21, 0},
      {TreeMenuItem::kRename, "名前の変更(&R)", 14, 0},
      {TreeMenuItem::kSeparator, "", -1, 0},
      {TreeMenuItem::kCopy, "コピー(&C)", 7, 'C'},
      {TreeMenuItem::kPaste, "貼り付け(&P)", 12, 'V'},
      {TreeMenuItem::kSeparator, "", -1, 0},
      {TreeMenuItem::kDelete, "削除(&D)", 4, 0},
  };
  return entries;
}

bool TreeMenuItemShown(TreeMenuItem item, int selectedLevel, bool clipboardHasFiles) {
  switch (item) {
    case TreeMenuItem::kSeparator:
      return true;
    case TreeMenuItem::kOpen:
    case TreeMenuItem::kCopy:
      return selectedLevel == 2;
    case TreeMenuItem::kNewBinder:
      return selectedLevel == 0;
    case TreeMenuItem::kAddFolder:
    case TreeMenuItem::kFolderList:
    case TreeMenuItem::kRename:
      return selectedLevel == 1;
    case TreeMenuItem::kPaste:
      return selectedLevel == 1 && clipboardHasFiles;
    case TreeMenuItem::kDelete:
      return selectedLevel == 1 || selectedLevel == 2;
  }
  return false;
}

}  // namespace velmora
