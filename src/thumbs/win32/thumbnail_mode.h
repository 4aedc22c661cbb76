// Thumbnail mode's glue around the pass: starting it from the button, starting it over when
// the quality switches mid-pass, filling in rows added after a pass, and the message pump
// the pass runs between rows. The main window only forwards to it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "thumbs/win32/thumbnail_pass.h"

namespace velmora {

// What thumbnail mode needs of the window around it.
class ThumbnailWindow : public ThumbnailRows {
 public:
  // A listing or a change of view asked the pass to stop.
  virtual bool ThumbnailStopAsked() const = 0;
  virtual bool InThumbnailMode() const = 0;
  // The list shows the thumbnail list from here on; the thumbnail button is disabled.
  virtual void EnterThumbnailMode() = 0;
  // Back to the shell's icons, without listing again.
  virtual void LeaveThumbnailMode() = 0;
  virtual void ShowThumbnails(HIMAGELIST images) = 0;
  virtual bool HighQualityChecked() const = 0;
  // The outermost pass has returned: what waited for it may go on.
  virtual void ThumbnailPassEnded() = 0;
  // The window's accelerators and hints; true when the message was consumed.
  virtual bool PreTranslate(MSG& msg) = 0;
};

class ThumbnailMode : private ThumbnailHost {
 public:
  ThumbnailMode(ThumbnailWindow& window, TColorProgressBar& bar) : window_(window), pass_(*this, bar) {}

  // notify gets completeMessage posted when rows want pictures after a pass.
  void SetUp(HWND notify, UINT completeMessage, const ShellContext& shell, int cellWidth, int cellHeight,
             HIMAGELIST systemLarge);
  ThumbnailPass& pass() { return pass_; }
  bool running() const { return pass_.running(); }
  // A pass under way that nothing has asked to stop: the button waits for it.
  bool busy() const { return pass_.running() && !ThumbnailsStopped(); }

  // The thumbnail button: a fresh pass over every row.
  void Start();
  // Rows were added or read again in thumbnail mode: they get their pictures once the
  // current pass, if any, has swept past them.
  void RowsWantThumbnails();
  // The posted completeMessage.
  void CompletePosted();
  // The pictures follow the high-quality switch without listing the folder again.
  void HighQualityChanged();

 private:
  void Run(bool fresh);
  int ThumbnailRowCount() const override { return window_.ThumbnailRowCount(); }
  std::string ThumbnailRowPath(int row) const override { return window_.ThumbnailRowPath(row); }
  int RowThumbnail(int row) const override { return window_.RowThumbnail(row); }
  void SetRowThumbnail(int row, int image) override { window_.SetRowThumbnail(row, image); }
  void PumpMessages() override;
  bool ThumbnailsStopped() const override { return window_.ThumbnailStopAsked() || quitSeen_ || restart_; }

  ThumbnailWindow& window_;
  ThumbnailPass pass_;
  HWND notify_ = nullptr;
  UINT completeMessage_ = 0;
  bool quitSeen_ = false;
  bool restart_ = false;  // the quality switched during a pass
  bool posted_ = false;
};

}  // namespace velmora
