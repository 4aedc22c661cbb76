// The preview pane below the tree: a picture of the file selected in the file list, fitted
// into the pane inside a bevel. It is shown only while there is a picture to show. The
// picture is found and decoded on a thread of the pane's own (the file may be on a slow
// share); the pane shows it when it is ready, and a newer selection drops an older picture.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "thumbs/picture_decode.h"
#include "win32/shell_context.h"
#include "win32/window_object.h"
#include "win32/win32_file_system.h"

namespace velmora {

class PreviewPane : public ChildWindow {
 public:
  static constexpr const char* kClassName = "TPreviewPane";
  // The bevel's width on each side; the picture keeps one more pixel clear of it.
  static constexpr int kBevel = 2;

  // A hidden child of parent.
  bool Create(HWND parent, int id);
  bool shown() const { return shown_; }

  // UpdatePreview for one path (the selected row's, or the listed folder when none is
  // selected): a folder, or a file of which neither the shell (when systemLevel is not 0) nor
  // the program's decoders can make a picture, hides the pane. True when shown() changed now;
  // a change once the picture is ready is told to the parent as WM_COMMAND with the pane's
  // id and kShownChanged.
  bool Update(int systemLevel, const std::string& path);
  static constexpr WORD kShownChanged = 1;
  bool Hide();
  // What the pane draws inside its bevel, for tests.
  const Raster& canvas() const { return canvas_; }

 private:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  struct Decoder;
  void PictureReady(LPARAM found);
  void Render();
  void Paint(HDC dc) override;
  bool SetShown(bool shown);

  bool shown_ = false;
  std::shared_ptr<Decoder> decoder_;
  unsigned request_ = 0;
  DecodedPicture picture_;  // the shown file's picture, refitted when the pane's size changes
  Raster canvas_;
};

}  // namespace velmora
