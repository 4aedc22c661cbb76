// The file list as thumbnail mode sees it: its rows, their pictures and the switches beside
// it. Thumbnail mode runs over the browser's records; the main window only passes its
// accelerators in for the pump between rows.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>

#include "app/win32/control_ids.h"
#include "app/win32/main_controls.h"
#include "browse/win32/browser.h"
#include "thumbs/win32/thumbnail_mode.h"

namespace velmora {

class ListThumbnails : public ThumbnailWindow {
 public:
  ListThumbnails(Browser& browser, std::function<bool(MSG&)> preTranslate)
      : browser_(browser), preTranslate_(std::move(preTranslate)) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  int ThumbnailRowCount() const override { return static_cast<int>(browser_.records().size()); }
  std::string ThumbnailRowPath(int row) const override { return browser_.RecordPath(static_cast<std::size_t>(row)); }
  int RowThumbnail(int row) const override { return browser_.RowThumbnail(row); }
  void SetRowThumbnail(int row, int image) override { browser_.SetRowThumbnail(row, image); }
  bool ThumbnailStopAsked() const override { return browser_.stopThumbnails(); }
  bool InThumbnailMode() const override { return browser_.thumbnailMode(); }
  void EnterThumbnailMode() override {
    SetBarButtonEnabled(owner_, IDM_THUMBNAILS, false);
    // The button looks pressed while the mode is on.
    SetBarButtonPressed(owner_, IDM_THUMBNAILS, true);
    browser_.EnterThumbnailMode();
  }
  void LeaveThumbnailMode() override { browser_.LeaveThumbnailMode(false); }
  void ShowThumbnails(HIMAGELIST images) override { browser_.ShowThumbnails(images); }
  bool HighQualityChecked() const override { return IsChecked(GetDlgItem(owner_, IDC_HIGH_QUALITY)); }
  // Changes on disk waited while the pass walked the rows.
  void ThumbnailPassEnded() override { browser_.ApplyWaitingChanges(); }
  bool PreTranslate(MSG& msg) override { return preTranslate_(msg); }

 private:
  Browser& browser_;
  std::function<bool(MSG&)> preTranslate_;
  HWND owner_ = nullptr;
};

}  // namespace velmora
