// The main window's controls: made once, in the tab order the window has always had, and the
// top bar's placed along the panes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "browse/file_record.h"
#include "browse/win32/file_list_view.h"
#include "thumbs/win32/color_progress_bar_window.h"

namespace velmora {

constexpr int kTopBarHeight = 30;

inline void Check(HWND button, bool on) { SendMessageA(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
inline bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

using AddHint = std::function<void(HWND control, const std::string& hint)>;

// The tree bar and the large-icons box; the list bar, the attribute boxes in their group, the
// thumbnail progress bar and the quality box.
void CreateTopBar(HWND window, HIMAGELIST treePictures, HIMAGELIST barPictures, ColorProgressBarWindow& progress,
                  const AddHint& addHint);
HWND CreateTreeControl(HWND window);
// The file list and the status bar.
void CreateListAndStatus(HWND window);
void SetChildFonts(HWND window, HFONT font);

// The tree bar and its box at the window's left.
HDWP PlaceTreeBar(HDWP dwp, HWND window);
// The list bar and the controls after it, from the file list's left edge.
void PlaceListBar(HWND window, int listLeft);

// The list bar's view buttons show the style in use.
void ShowViewStyle(HWND window, ViewStyle style);
// The attribute boxes' state.
AttributeSwitches ReadSwitches(HWND window);
void SetBarButtonEnabled(HWND window, int id, bool enabled);
bool IsBarButtonEnabled(HWND window, int id);
// A button that shows a mode: pressed (checked) while the mode is on.
void SetBarButtonPressed(HWND window, int id, bool pressed);
bool IsBarButtonPressed(HWND window, int id);
// Turns a check box over as a click would, its owner told as by a click.
void ToggleBox(HWND window, int id);

// The name filter box.
std::wstring FilterBoxText(HWND window);
void FocusFilterBox(HWND window);
void ClearFilterBox(HWND window);
// Escape empties the box; Enter or the down arrow go on to the list. True when consumed.
bool FilterBoxKey(HWND window, const MSG& msg, HWND list);
// The count's panel as wide as the text needs, never narrower than at start; the width in use.
int FitCountPanel(HWND status, const std::string& text, int width);

}  // namespace velmora
