// The main window: the composition root. It owns the window, its menus and pictures, the
// layout, the status bar and hints, the store, the shell session and the feature objects, and
// routes every control's events to the object that owns the control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "about/win32/about_dialog.h"
#include "app/window_rules.h"
#include "app/win32/app_environment.h"
#include "app/win32/control_ids.h"
#include "app/win32/hint_bar.h"
#include "app/win32/internal_drag.h"
#include "app/win32/list_thumbnails.h"
#include "app/win32/list_commands.h"
#include "app/win32/main_controls.h"
#include "app/win32/main_pictures.h"
#include "app/win32/pane_splitters.h"
#include "app/win32/registration_mode.h"
#include "app/win32/send_to_commands.h"
#include "app/win32/store_session.h"
#include "binders/win32/binder_actions.h"
#include "binders/win32/binder_tree.h"
#include "browse/win32/browser.h"
#include "common/command_table.h"
#include "common/prompter.h"
#include "store/binder_store.h"
#include "store/win32/win32_collation.h"
#include "win32/win32_file_system.h"
#include "thumbs/win32/color_progress_bar_window.h"
#include "thumbs/win32/preview_pane.h"
#include "thumbs/win32/thumbnail_mode.h"
#include "win32/command_menu.h"
#include "win32/owned_handle.h"
#include "win32/shell_context.h"
#include "win32/win32_prompter.h"

namespace velmora {

constexpr int kPreviewHeight = 95;

class TOrvikBinder : private BrowserHost, private BinderActionsHost {
 public:
  // The prompter answers questions and shows messages (the real boxes when null).
  explicit TOrvikBinder(AppEnvironment env, Prompter* prompter = nullptr);
  ~TOrvikBinder() override;
  TOrvikBinder(const TOrvikBinder&) = delete;
  TOrvikBinder& operator=(const TOrvikBinder&) = delete;

  static bool RegisterWindowClass(HINSTANCE instance);

  // Creates the window hidden, then runs construction and the creation handler.
  HWND Create(HINSTANCE instance);
  // Shows the window unless in registration mode.
  void Show(int showCommand);
  // Accelerators and the application hint; true when the message was consumed.
  bool PreTranslateMessage(MSG& msg);

  HWND hwnd() const { return hwnd_; }
  bool registrationMode() const { return registration_.registrationMode(); }
  int systemLevel() const { return systemLevel_; }
  // The tree pane's width as stored, and as laid out now.
  int leftPaneWidth() const { return leftWidth_; }
  int laidOutLeftWidth() const { return laidOutLeft_; }
  BinderStore& store() { return store_; }
  BinderTree& tree() { return tree_; }
  Browser& browser() { return browser_; }
  const Browser& browser() const { return browser_; }
  const CommandTable& commands() const { return commands_; }
  TAboutDialog& aboutDialog() { return aboutDialog1_; }
  ColorProgressBarWindow& progressBar() { return progress_; }
  ThumbnailPass& thumbnails() { return thumbnails_.pass(); }
  PreviewPane& preview() { return preview_; }
  // The preview pane's height as the user last dragged it.
  int previewHeight() const { return previewHeight_; }
  ListCommands& listCommands() { return listCommands_; }
  BinderActions& binderActions() { return binderActions_; }
  HWND control(int id) const { return GetDlgItem(hwnd_, id); }

  // Handlers named after their controls.
  void TreeView1Click();
  void SpeedButton4Click() { tree_.RefreshGhosting(); browser_.Refresh(); }
  void SpeedBtn1Click(int pressedId) { browser_.SetViewStyle(static_cast<ViewStyle>(pressedId - IDM_VIEW_ICON)); }
  void ListView1ColumnClick(int column) { browser_.ColumnClick(column); }
  void SpeedButton5Click() { thumbnails_.Start(); }
  void UpdatePreview();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Each true when it handled the message, with its result.
  bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool HandleMouseMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool HandleAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  void OnMenuSelect(WPARAM wp, LPARAM lp);
  bool OnContextMenu(HWND window, LPARAM at);
  bool OnActivate(WPARAM wp);
  void OnTimer(WPARAM id);
  void OnEndSession(bool ending);
  LRESULT OnSetCursor(HWND window, UINT hitTest);
  void OnMouseMove(POINT at);

  // BrowserHost.
  void ShowRowCount(const std::string& text) override;
  void ShowPath(const std::string& text) override { hints_.SetStatusPath(text); }
  void EnableUpButton(bool enabled) override { SetBarButtonEnabled(hwnd_, IDM_UP, enabled); }
  void EnableThumbnailButton(bool enabled) override {
    SetBarButtonEnabled(hwnd_, IDM_THUMBNAILS, enabled);
    // Pressed only while thumbnail mode is on.
    SetBarButtonPressed(hwnd_, IDM_THUMBNAILS, browser_.thumbnailMode());
  }
  void ShowViewStyle(ViewStyle style) override { velmora::ShowViewStyle(hwnd_, style); }
  AttributeSwitches Switches() const override { return ReadSwitches(hwnd_); }
  void PlayStartSound() override { env_.PlayStartSound(); }
  bool SelectedFolderNode(FolderNodeRef& node) const override;
  void RowsWantThumbnails() override { thumbnails_.RowsWantThumbnails(); }
  void ClearNameFilterBox() override { ClearFilterBox(hwnd_); }
  bool ThumbnailPassRunning() const override { return thumbnails_.running(); }
  void ListedFolderGone() override { tree_.RefreshGhosting(); }
  void NameFilterChanged() { browser_.SetNameFilter(FilterBoxText(hwnd_)); }

  // Start and end.
  void CreateControls();
  void Construct();
  void FormCreate();
  void FormClose() { browser_.Close(); }
  void FormShow() { sendTo_.BuildMenu(pictures_.small()); }
  void FormDestroy();
  void SaveStore() { session_.Save(IsChecked(control(IDC_LAREG)), leftWidth_); }
  void BindCommands();
  void CreateMainMenu();
  void SetUpRootIcon();

  // Layout and settings.
  void Layout();
  void SplitterMoved() { PlaceListBar(hwnd_, laidOutLeft_ + kSplitterWidth); }
  void SetLeftPaneWidth(int width) { leftWidth_ = width; Layout(); }
  void RequestPreview();
  void LargeIconsChanged();

  void SetStatusText(int panel, const std::string& text);

  // Commands and notifications.
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  void OnDrawItem(DRAWITEMSTRUCT* di);

  // Tree and list events.
  void TreeView1KeyUp(WPARAM key) { if (key == VK_UP || key == VK_DOWN) TreeView1Click(); }
  void ListView1MouseMove();

  // The tree's binder commands.
  void ListSelectedNode() override { TreeView1Click(); }
  std::string ListedFolder() const override { return browser_.currentFolder(); }
  HIMAGELIST SmallSystemImages() const override { return browser_.systemSmallImages(); }
  void TreeClicked() override { PostMessageA(hwnd_, WM_APP_TREE_CLICK, 0, 0); }
  void SelectionLeaving() override { browser_.SaveSelection(-1); }
  void BeginNodeDrag() override { drag_.Begin(false); }
  void FormDropFiles(HDROP drop);

  AppEnvironment env_;
  Win32Prompter defaultPrompter_;
  Prompter* prompter_;
  Win32Collation collation_;
  Win32FileSystem files_;
  BinderStore store_;
  ShellContext shell_;
  BinderTree tree_;
  StoreSession session_{store_, tree_, collation_, *prompter_};
  Browser browser_;
  ListCommands listCommands_;
  BinderActions binderActions_;
  SendToCommands sendTo_;
  CommandTable commands_;
  HintBar hints_{commands_};
  ColorProgressBarWindow progress_;  // ColorProgressBar1
  ListThumbnails thumbnailRows_{browser_, [this](MSG& msg) { return PreTranslateMessage(msg); }};
  ThumbnailMode thumbnails_{thumbnailRows_, progress_.bar()};
  PreviewPane preview_;
  RegistrationMode registration_;
  TAboutDialog aboutDialog1_;
  InternalDrag drag_;

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  OwnedFont font_;
  CommandKeys keys_;

  int systemLevel_ = 0;

  MainPictures pictures_;

  int leftWidth_ = BinderStore::kDefaultWidth;
  int laidOutLeft_ = BinderStore::kDefaultWidth;
  PaneSplitters splitters_;
  int previewHeight_ = kPreviewHeight;
  bool previewPending_ = false;
  HWND focusedControl_ = nullptr;  // the focus when the window was last deactivated
  int countPanelWidth_ = 50;  // widens for "shown / all"
};

}  // namespace velmora
