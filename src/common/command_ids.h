// Identifiers of the main window's commands; the feature objects bind their actions to them
// and the process-level tests send them.
#pragma once

namespace velmora {

enum CommandId : int {
  // Tree buttons; the tag is the id minus IDM_EXPAND_ALL.
  IDM_EXPAND_ALL = 2000,
  IDM_EXPAND_BINDERS = 2001,
  IDM_COLLAPSE_ALL = 2002,
  // List tool bar.
  IDM_UP = 2100,          // SpeedButton1
  IDM_VIEW_ICON = 2101,   // SpeedBtn1, tag 0
  IDM_VIEW_LIST = 2102,   // SpeedBtn2, tag 1
  IDM_VIEW_DETAIL = 2103, // SpeedBtn3, tag 2
  IDM_REFRESH = 2104,     // SpeedButton4
  IDM_THUMBNAILS = 2105,  // SpeedButton5
  IDM_FILTER = 2106,      // puts the focus in the filter box
  // The view menu: the tool bar's boxes, and the sort the column headers choose.
  IDM_ATTR_SYSTEM = 2200,
  IDM_ATTR_HIDDEN = 2201,
  IDM_ATTR_READ_ONLY = 2202,
  IDM_LARGE_ICONS = 2203,
  IDM_HIGH_QUALITY = 2204,
  IDM_VIEW_SORT = 2205,   // the sort submenu
  IDM_SORT_NAME = 2210,   // the columns in their order: the column is the id minus IDM_SORT_NAME
  IDM_SORT_SIZE = 2211,
  IDM_SORT_TYPE = 2212,
  IDM_SORT_DATE = 2213,
  IDM_SORT_ASCENDING = 2214,
  IDM_SORT_DESCENDING = 2215,
  // Main menu.
  IDM_NEW_BINDER = 3001,
  IDM_EXIT = 3002,
  IDM_SELECT_ALL = 3003,
  IDM_INVERT_SELECTION = 3004,
  IDM_SENDTO_OPTION = 3005,
  IDM_HELP = 3006,
  IDM_ABOUT = 3007,
  // The file list's context menu.
  IDM_LIST_OPEN = 3101,        // Open1
  IDM_LIST_OPEN_WITH = 3102,   // H1
  IDM_LIST_COPY = 3103,        // Copy1
  IDM_LIST_PASTE = 3104,       // Paste1
  IDM_LIST_NEW_FOLDER = 3105,  // N7
  IDM_LIST_DELETE = 3106,      // Delete2
  IDM_LIST_PROPERTIES = 3107,  // Property1
  IDM_LIST_SEND_TO = 3108,     // the send-to submenu
  IDM_LIST_OPEN_SELECTED = 3109,  // Enter: the first selected row
  IDM_LIST_RENAME = 3110,         // F2 and the menu: the focused row's label
  IDM_LIST_PROPERTIES_FOCUSED = 3111,  // Alt+Enter: the focused row
  // The tree's context menu; its new-binder item is IDM_NEW_BINDER.
  IDM_TREE_OPEN = 3201,
  IDM_TREE_ADD_FOLDER = 3202,
  IDM_TREE_FOLDER_LIST = 3203,
  IDM_TREE_RENAME = 3204,
  IDM_TREE_COPY = 3205,
  IDM_TREE_PASTE = 3206,
  IDM_TREE_DELETE = 3207,
  // The send-to submenu's entries, in the SendTo folder's order.
  IDM_SENDTO_FIRST = 4000,
  IDM_SENDTO_LAST = 4999,
};

}  // namespace velmora
