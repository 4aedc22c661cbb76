#include "binders/tree_menu.h"

#include "common/command_ids.h"

namespace velmora {

bool TreeMenuItemShown(int commandId, int selectedLevel, bool clipboardHasFiles) {
  switch (commandId) {
    case IDM_TREE_OPEN:
    case IDM_TREE_COPY:
      return selectedLevel == 2;
    case IDM_NEW_BINDER:
      return selectedLevel == 0;
    case IDM_TREE_ADD_FOLDER:
    case IDM_TREE_FOLDER_LIST:
    case IDM_TREE_RENAME:
      return selectedLevel == 1;
    case IDM_TREE_PASTE:
      return selectedLevel == 1 && clipboardHasFiles;
    case IDM_TREE_DELETE:
      return selectedLevel == 1 || selectedLevel == 2;
    default:
      return false;
  }
}

}  // namespace velmora
