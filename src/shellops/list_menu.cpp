#include "shellops/list_menu.h"

#include "common/command_ids.h"

namespace velmora {

bool ListMenuItemShown(int commandId, const ListMenuState& state) {
  const bool selection = state.selectedCount > 0;
  switch (commandId) {
    case IDM_LIST_OPEN_WITH:
      return selection && state.rowUnderCursor && state.rowIsFile;
    case IDM_LIST_PASTE:
      return state.clipboardHasFiles;
    case IDM_LIST_NEW_FOLDER:
      return state.folderListed;
    case IDM_LIST_RENAME:
      return state.selectedCount == 1 && state.rowUnderCursor;
    case IDM_LIST_OPEN:
    case IDM_LIST_SEND_TO:
    case IDM_LIST_COPY:
    case IDM_LIST_DELETE:
    case IDM_LIST_PROPERTIES:
      return selection;
    default:
      return false;
  }
}

}  // namespace velmora
