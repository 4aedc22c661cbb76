// Identifiers of the main window's controls and commands; the process-level tests use them too.
#pragma once

#include "common/command_ids.h"

namespace velmora {

constexpr const char* kMainWindowClass = "TOrvikBinder";
constexpr const char* kApplicationTitle = "Velmora";

enum ControlId : int {
  IDC_TREE = 1001,
  IDC_LIST = 1002,
  IDC_STATUS = 1003,
  IDC_TREEBAR = 1004,
  IDC_LAREG = 1005,
  IDC_LISTBAR = 1006,
  IDC_ATTR_GROUP = 1007,
  IDC_ATTR_S = 1008,
  IDC_ATTR_H = 1009,
  IDC_ATTR_R = 1010,
  IDC_PROGRESS = 1011,
  IDC_HIGH_QUALITY = 1012,
  IDC_PREVIEW = 1013,
  IDC_FILTER = 1014,  // the name filter box in the list's tool bar
};

}  // namespace velmora

namespace velmora {

// Window messages and timers of the main window.
constexpr unsigned kMessageBase = 0x8000;  // WM_APP
constexpr unsigned WM_APP_SHELL_INFO = kMessageBase + 1;  // a batch of the shell information worker's answers
constexpr unsigned WM_APP_LISTING = kMessageBase + 2;     // a batch of a listing's records
constexpr unsigned WM_APP_TREE_CLICK = kMessageBase + 3;       // a click on the tree, after its selection change
constexpr unsigned WM_APP_PREVIEW = kMessageBase + 4;          // the list's selection changed: update the preview
constexpr unsigned WM_APP_FOLDER_CHANGED = kMessageBase + 5;   // posted by the listed folder's watch
constexpr unsigned WM_APP_COMPANION = kMessageBase + 6;        // the companion's requests, taken from WM_COPYDATA
constexpr unsigned WM_APP_THUMBNAILS = kMessageBase + 16;      // rows want pictures after a completed pass

}  // namespace velmora
