// The about window: title, version, author, year and the maker's link beside a lively
// picture, shown modally by TAboutDialog.
#pragma once
#include <windows.h>

#include "about/about_texts.h"
#include "about/picture_animation.h"
#include "win32/owned_handle.h"

namespace velmora {

// ShellExecuteA on behalf of a window; a result above 32 is a start.
class Win32ShellLauncher : public ShellLauncher {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  bool Open(const std::string& file, const std::string& parameters) override;

 private:
  HWND owner_ = nullptr;
};

class TVersionBox {
 public:
  static constexpr const char* kClassName = "TVersionBox";
  // Children: Panel1 and the two buttons sit on the window, the rest on Panel1.
  enum ControlId {
    kPanel1 = 100,
    kImage1,
    kStaticText1,
    kLabel2,
    kStaticText2,
    kLabel3,
    kLabel4,
    kUpdateChkBtn,
    kOKButton = IDOK,
  };
  static constexpr int kClientWidth = 298;
  static constexpr int kClientHeight = 203;
  static constexpr int kPanelWidth = 297;
  static constexpr int kPanelHeight = 161;
  static constexpr UINT kAnimationMs = 200;

  // launcher: null opens the page through the shell. The properties are copied.
  TVersionBox(const AboutProperties& properties, RgbColour panelColour, RandomSource& random,
              ShellLauncher* launcher = nullptr);
  ~TVersionBox();
  TVersionBox(const TVersionBox&) = delete;
  TVersionBox& operator=(const TVersionBox&) = delete;

  // Creates the window over owner (disabled meanwhile), runs it modally and destroys it.
  // Returns IDOK for its button, IDCANCEL for Escape or the close box, 0 when it could
  // not be created.
  int ShowModal(HWND owner);

  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ImageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static void RegisterClasses(HINSTANCE instance);
  LRESULT HandleForm(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandlePanel(HWND panel, UINT msg, WPARAM wp, LPARAM lp);

  bool Create(HWND owner);
  void CreateControls();
  HWND AddLabel(int id, DWORD style, const std::string& text, HFONT font, int x, int y, int width, int height);
  // Only labels with SS_NOTIFY take the mouse; the others let it through to the panel.
  HWND AddAutoSizeLabel(int id, const std::string& text, HFONT font, int x, int y, DWORD style = 0);
  void AddHints();
  void DrawFrame(int frame);
  void PaintImage();
  void Release();

  // Events.
  void FormShow();
  void FormClose();
  void Timer1Timer();
  void Label4Click();
  void Image1MouseMove() { animation_.PictureMouseMove(); }
  void Image1MouseDown() { animation_.PictureMouseDown(); }
  void Panel1MouseMove() { animation_.PanelMouseMove(); }

  AboutProperties properties_;
  VersionBoxTexts texts_;
  RgbColour panelColour_;
  Win32ShellLauncher shellLauncher_;
  ShellLauncher* launcher_;
  PictureAnimation animation_;
  int modalResult_ = 0;

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND panel1_ = nullptr;
  HWND image1_ = nullptr;
  HWND label4_ = nullptr;
  HWND okButton_ = nullptr;
  HWND hints_ = nullptr;
  OwnedBrush panelBrush_;
  OwnedFont formFont_;
  OwnedFont titleFont_;
  OwnedFont authorFont_;
  OwnedFont versionFont_;
  OwnedFont yearFont_;
  OwnedFont linkFont_;
  // Image1's 64 x 64 bitmap, drawn into each tick and stretched to the picture's size.
  MemoryBitmap image_;
  // Image2: both frames side by side.
  MemoryBitmap frames_;
};

}  // namespace velmora
