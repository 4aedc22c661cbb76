// The preview pane below the tree: a picture of the file selected in the file list, fitted
// into the pane inside a bevel. It is shown only while there is a picture to show.
#pragma once
#include <windows.h>

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
  // the program's decoders can make a picture, hides the pane. True when shown() changed.
  bool Update(const ShellContext& shell, int systemLevel, const std::string& path);
  bool Hide();
  // What the pane draws inside its bevel, for tests.
  const Raster& canvas() const { return canvas_; }

 private:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool FindPicture(const ShellContext& shell, int systemLevel, const std::string& path, int width, int height);
  void Render();
  void Paint(HDC dc) override;
  bool SetShown(bool shown);

  bool shown_ = false;
  PictureReader reader_{&SystemFiles()};
  DecodedPicture picture_;  // the shown file's picture, refitted when the pane's size changes
  Raster canvas_;
};

}  // namespace velmora
