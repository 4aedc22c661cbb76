#include "app/win32/orvik_binder.h"

#include <shellapi.h>
#include <windowsx.h>

#include <functional>
#include <stdexcept>

#include "app/command_list.h"
#include "app/window_rules.h"
#include "common/path_lists.h"
#include "resource.h"
#include "win32/clipboard_files.h"
#include "text/cp932.h"
#include "thumbs/win32/icon_cells.h"
#include "win32/bulk_update.h"
#include "win32/drop_source.h"
#include "win32/strings.h"
#include "win32/ui_font.h"
#include "win32/window_object.h"

namespace velmora {

namespace {
constexpr int kDesignedWidth = 651;
constexpr int kDesignedHeight = 428;

constexpr const char* kUnexpectedError = "予期しないエラーが発生しました。";

}  // namespace

TOrvikBinder::TOrvikBinder(AppEnvironment env, Prompter* prompter)
    : env_(std::move(env)),
      prompter_(prompter ? prompter : &defaultPrompter_),
      store_(collation_, files_),
      tree_(collation_),
      browser_(*this, collation_, *prompter_, store_),
      listCommands_(browser_, shell_, *prompter_, collation_),
      binderActions_(*this, tree_, store_, collation_, *prompter_),
      sendTo_(binderActions_.shellLink(), listCommands_, browser_, shell_, *prompter_, env_.exePath),
      registration_(store_, binderActions_.commands(), tree_, [this] { TreeView1Click(); }),
      drag_(tree_, binderActions_, [this] { return browser_.SelectedPaths(); },
            [this](const std::vector<std::string>& paths) {
              // A path the shell cannot hold would reach the drop target cut, as another item.
              if (!RefuseTooLongPaths(paths, *prompter_, kApplicationTitle)) DoShellDrag(shell_, hwnd_, paths);
            }) {
  // A double click is the user's own request: the shell may ask about a moved target.
  listCommands_.fileCommands().SetLinkFollower([this](std::string& path) {
    std::string target;
    const HRESULT result = binderActions_.shellLink().GetLinkToPath(path, target, hwnd_);
    path = target;
    return static_cast<int>(result);
  });
}

TOrvikBinder::~TOrvikBinder() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool TOrvikBinder::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  if (GetClassInfoExA(instance, kMainWindowClass, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &TOrvikBinder::WndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&wc) != 0;
}

HWND TOrvikBinder::Create(HINSTANCE instance) {
  instance_ = instance;
  RegisterWindowClass(instance);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kDesignedWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kDesignedHeight) / 2;
  hwnd_ = CreateWindowExA(0, kMainWindowClass, kApplicationTitle,
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, kDesignedWidth, kDesignedHeight,
                          nullptr, nullptr, instance, this);
  if (!hwnd_) throw std::runtime_error("メインウィンドウを作成できません。");
  defaultPrompter_.SetOwner(hwnd_);
  binderActions_.SetOwner(hwnd_);
  listCommands_.SetOwner(hwnd_);
  drag_.SetOwner(hwnd_);
  sendTo_.SetOwner(hwnd_);
  thumbnailRows_.SetOwner(hwnd_);
  Construct();
  // Before the creation handler starts the registration's timer, so that no dialog comes
  // up behind the message.
  session_.ReportStartupFaults();
  FormCreate();
  return hwnd_;
}

void TOrvikBinder::Show(int showCommand) {
  if (registrationMode()) return;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK TOrvikBinder::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TOrvikBinder>(hwnd, msg, lp);
  if (msg == WM_NCCREATE && self) self->hwnd_ = hwnd;
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // A handler's exception is shown and the message loop goes on.
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    self->prompter_->Error(e.what(), kApplicationTitle);
  } catch (...) {
    self->prompter_->Error(kUnexpectedError, kApplicationTitle);
  }
  return 0;
}

LRESULT TOrvikBinder::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (HandleWindowMessage(msg, wp, lp, result) || HandleMouseMessage(msg, wp, lp, result) ||
      HandleAppMessage(msg, wp, lp, result) || tree_.HandleParentMessage(msg))
    return result;
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

bool TOrvikBinder::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_CREATE: CreateControls(); return true;
    case WM_SHOWWINDOW: if (wp) FormShow(); return false;
    case WM_SIZE: Layout(); return true;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp)); return true;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return true;
    case WM_NOTIFY: result = OnNotify(reinterpret_cast<NMHDR*>(lp)); return true;
    case WM_INITMENUPOPUP: GreyUnavailable(reinterpret_cast<HMENU>(wp), commands_); return true;
    // Menu items only (wp 0); the controls draw themselves.
    case WM_MEASUREITEM: if (wp) return false; MeasureCommandPicture(reinterpret_cast<MEASUREITEMSTRUCT*>(lp)); result = TRUE; return true;
    case WM_DRAWITEM: if (wp) return false; OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp)); result = TRUE; return true;
    case WM_MENUSELECT: OnMenuSelect(wp, lp); return true;
    case WM_DROPFILES: FormDropFiles(reinterpret_cast<HDROP>(wp)); return true;
    case WM_CONTEXTMENU: return OnContextMenu(reinterpret_cast<HWND>(wp), lp);
    case WM_ACTIVATE: return OnActivate(wp);
    case WM_TIMER: OnTimer(wp); return true;
    case WM_COPYDATA: result = registration_.CopyData(wp, reinterpret_cast<const COPYDATASTRUCT*>(lp)); return true;
    case WM_QUERYENDSESSION: result = TRUE; return true;
    case WM_ENDSESSION: OnEndSession(wp != 0); return true;
    case WM_CLOSE: FormClose(); DestroyWindow(hwnd_); return true;
    case WM_DESTROY: FormDestroy(); PostQuitMessage(0); return true;
    default: return false;
  }
}

bool TOrvikBinder::HandleMouseMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_SETCURSOR: result = OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp)); return result != 0;
    case WM_LBUTTONDOWN: splitters_.Grab(hwnd_, at); return true;
    case WM_MOUSEMOVE: OnMouseMove(at); return true;
    case WM_LBUTTONUP: drag_.Drop(); splitters_.Release(); return true;
    case WM_CAPTURECHANGED: splitters_.Lose(); drag_.CaptureChanged(reinterpret_cast<HWND>(lp)); return true;
    default: return false;
  }
}

bool TOrvikBinder::HandleAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_APP_SHELL_INFO: browser_.ShellInfoArrived(lp); return true;
    case WM_APP_LISTING: browser_.ListingArrived(lp); return true;
    case WM_APP_THUMBNAILS: thumbnails_.CompletePosted(); return true;
    case WM_APP_TREE_CLICK: TreeView1Click(); return true;
    case WM_APP_PREVIEW: previewPending_ = false; UpdatePreview(); return true;
    case WM_APP_FOLDER_CHANGED: browser_.FolderChanged(static_cast<unsigned>(wp)); return true;
    case WM_APP_COMPANION: registration_.RunCompanionRequests(); return true;
    default: return false;
  }
}

void TOrvikBinder::OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = 2 * kSplitterMinimum + kSplitterWidth + 16;
  info->ptMinTrackSize.y = 160;
}

void TOrvikBinder::OnMenuSelect(WPARAM wp, LPARAM lp) {
  // A highlighted menu item shows its hint like a control under the mouse.
  const bool closed = HIWORD(wp) == 0xFFFF && lp == 0;
  const int id = LOWORD(wp);
  hints_.ApplicationHintChanged(!closed && !(HIWORD(wp) & MF_POPUP) ? sendTo_.Hint(id, commands_) : std::string());
}

bool TOrvikBinder::OnContextMenu(HWND window, LPARAM at) {
  if (window == browser_.listView().hwnd()) {
    listCommands_.ShowMenu(at);
    return true;
  }
  if (window == tree_.hwnd()) {
    binderActions_.ShowMenu(at);
    return true;
  }
  return false;
}

bool TOrvikBinder::OnActivate(WPARAM wp) {
  // Back from a dialog or another program, the control that had the focus has it again
  // (the tree at first) rather than the window itself, so selections keep their colour.
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) focusedControl_ = focus;
    return false;
  }
  if (HIWORD(wp)) return false;
  const bool known = focusedControl_ && IsWindow(focusedControl_) && IsChild(hwnd_, focusedControl_);
  SetFocus(known ? focusedControl_ : tree_.hwnd());
  return true;
}

void TOrvikBinder::OnTimer(WPARAM id) {
  if (id == InternalDrag::kTimer) drag_.Tick();
  if (id == kHandOverTimer) registration_.Timer2Timer();
  if (id == Browser::kRowsTimer) browser_.ShowReadRows();
}

void TOrvikBinder::OnEndSession(bool ending) {
  // The session may end the process without a WM_DESTROY: the store is saved now.
  if (!ending) return;
  FormClose();
  SaveStore();
}

LRESULT TOrvikBinder::OnSetCursor(HWND window, UINT hitTest) {
  // The hourglass of a listing stays until its worker has completed every record.
  if (browser_.hourglass() && hitTest == HTCLIENT) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    return TRUE;
  }
  return window == hwnd_ && splitters_.SetCursor(hwnd_);
}

void TOrvikBinder::OnMouseMove(POINT at) {
  drag_.Over();
  splitters_.Drag(hwnd_, at, tree_.hwnd(), preview_.hwnd(), [this](int width) { SetLeftPaneWidth(width); },
                  [this](int height) {
                    previewHeight_ = height;
                    Layout();
                  });
}

void TOrvikBinder::CreateControls() {
  BindCommands();
  font_ = MakeUiFont(12);
  pictures_.Load(instance_);
  hints_.SetOwner(hwnd_, instance_);
  CreateTopBar(hwnd_, pictures_.small(), pictures_.bar(), progress_,
               [this](HWND control, const std::string& hint) { hints_.AddControlHint(control, hint); });
  tree_.Attach(CreateTreeControl(hwnd_));
  // The preview pane and its splitter stay hidden until a picture is previewed.
  preview_.Create(hwnd_, IDC_PREVIEW);
  CreateListAndStatus(hwnd_);
  SetChildFonts(hwnd_, font_.get());
  CreateMainMenu();
}

void TOrvikBinder::CreateMainMenu() {
  // The window owns its menu bar and destroys it with itself.
  HMENU bar = CreateMenu();
  for (const MainMenu& menu : MainMenus()) {
    HMENU popup = CreatePopupMenu();
    FillCommandMenu(popup, commands_, menu.menu,
                    [this](HMENU into, const Command& command) { AppendMainMenuItem(into, commands_, command); });
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
  }
  SetMenu(hwnd_, bar);
  keys_.Build(commands_);
}

void TOrvikBinder::Construct() {
  // Steps before the window is shown; the controls exist already.
  SetWindowTextA(hwnd_, kApplicationTitle);

  systemLevel_ = AppEnvironment::SystemLevel();
  session_.SetUpPaths(env_.exeDir);

  shell_.Start(env_.shellCalls);
  session_.ShellStarted(shell_);
  sendTo_.LoadOption();
  std::string ownFolder = env_.exeDir;
  if (ownFolder.size() > 3 && EndsWithBackslash(ownFolder)) ownFolder.pop_back();
  browser_.SetUp(hwnd_, control(IDC_LIST), {WM_APP_SHELL_INFO, WM_APP_LISTING, WM_APP_FOLDER_CHANGED}, shell_, systemLevel_,
                 ownFolder);
  keys_.SetControl(KeyScope::kList, browser_.listView().hwnd());
  keys_.SetControl(KeyScope::kTree, tree_.hwnd());
  SetUpRootIcon();
  SetUpVelmoraAbout(aboutDialog1_);
}

void TOrvikBinder::SetUpRootIcon() {
  const SIZE size = pictures_.SetUpRoot(instance_, DriveRoot(env_.exeDir));
  thumbnails_.SetUp(hwnd_, WM_APP_THUMBNAILS, shell_, size.cx, size.cy, browser_.systemLargeImages());
}

void TOrvikBinder::FormCreate() {
  session_.LoadTree(pictures_.rootSmall());

  const int width = store_.folders.ReadInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, leftWidth_);
  SetLeftPaneWidth(width < kSplitterMinimum ? kSplitterMinimum : width);
  Check(control(IDC_LAREG), store_.folders.ReadBool(BinderStore::kSettingsSection, BinderStore::kLargeIconsKey, false));
  LargeIconsChanged();

  DragAcceptFiles(hwnd_, TRUE);
  registration_.SetUp(hwnd_, pictures_.small(), prompter_ == &defaultPrompter_ ? nullptr : prompter_);
  registration_.Start(env_.params);
}

void TOrvikBinder::FormDestroy() {
  // The store first: what follows cannot lose the user's binders.
  SaveStore();
  // The worker ends before COM does: the records it hands over are completed with the
  // shell's objects, which need COM. The watch ends with it.
  browser_.ClearFileRecords();
  // Shell objects go before COM does, so that their Release still has COM to run in.
  browser_.ReleaseShellObjects();
  shell_.Stop();
  tree_.ReleasePaths();
  pictures_.ReleaseBar(control(IDC_LISTBAR));
}

void TOrvikBinder::Layout() {
  if (!hwnd_ || !control(IDC_STATUS)) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  HWND status = control(IDC_STATUS);
  SendMessageA(status, WM_SIZE, 0, 0);
  RECT sr;
  GetWindowRect(status, &sr);
  const int statusHeight = sr.bottom - sr.top;
  int parts[2] = {countPanelWidth_, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  const int width = client.right;
  laidOutLeft_ = LaidOutLeftWidth(leftWidth_, width);
  const int top = kTopBarHeight;
  const int paneHeight = client.bottom - top - statusHeight;

  const bool previewShown = preview_.shown();
  const int previewHeight = LaidOutPreviewHeight(previewHeight_, paneHeight);
  const int treeHeight = previewShown ? paneHeight - previewHeight - kSplitterWidth : paneHeight;
  HDWP dwp = BeginDeferWindowPos(12);
  dwp = DeferWindowPos(dwp, control(IDC_TREE), nullptr, 0, top, laidOutLeft_, treeHeight, SWP_NOZORDER);
  if (previewShown)
    dwp = DeferWindowPos(dwp, preview_.hwnd(), nullptr, 0, top + treeHeight + kSplitterWidth, laidOutLeft_,
                         previewHeight, SWP_NOZORDER);
  const int listLeft = laidOutLeft_ + kSplitterWidth;
  splitters_.Place({laidOutLeft_, top, listLeft, client.bottom},
                   previewShown ? RECT{0, top + treeHeight, laidOutLeft_, top + treeHeight + kSplitterWidth}
                                : RECT{0, 0, 0, 0});
  dwp = DeferWindowPos(dwp, control(IDC_LIST), nullptr, listLeft, top, width - listLeft, paneHeight, SWP_NOZORDER);

  EndDeferWindowPos(PlaceTreeBar(dwp, hwnd_));
  // Every size change repaints the whole list.
  browser_.listView().FitNameColumn();
  InvalidateRect(browser_.listView().hwnd(), nullptr, TRUE);
  SplitterMoved();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TOrvikBinder::LargeIconsChanged() {
  const bool large = IsChecked(control(IDC_LAREG));
  tree_.UseImageList(large ? pictures_.large() : pictures_.small(), !large);
  // The root's picture indexes the list in use, so it follows the switch at start as well.
  if (tree_.Root()) tree_.SetRootImage(large ? pictures_.rootLarge() : pictures_.rootSmall());
}

bool TOrvikBinder::PreTranslateMessage(MSG& msg) {
  if (msg.message == WM_KEYUP && msg.hwnd == tree_.hwnd()) TreeView1KeyUp(msg.wParam);
  if (msg.message == WM_MOUSEMOVE && msg.hwnd == browser_.listView().hwnd()) ListView1MouseMove();
  hints_.Track(msg);
  if (FilterBoxKey(hwnd_, msg, browser_.listView().hwnd())) return true;
  HWND list = browser_.listView().hwnd();
  if (CommandKeys::MoveFocus(msg, {tree_.hwnd(), control(IDC_FILTER), list})) {
    if (GetFocus() == list) listCommands_.ShowFocus();
    return true;
  }
  // Shift+F10 opens the focused pane's menu, as the menu key does.
  const bool menuKey = (msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYDOWN) && msg.wParam == VK_F10 &&
                       GetKeyState(VK_SHIFT) < 0;
  if (menuKey && OnContextMenu(msg.hwnd, MAKELPARAM(-1, -1))) return true;
  return keys_.Translate(hwnd_, msg);
}

void TOrvikBinder::SetStatusText(int panel, const std::string& text) {
  // Wide, so that a path the code page cannot spell shows as it is.
  SendMessageW(control(IDC_STATUS), SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
}

void TOrvikBinder::OnCommand(int id, int code) {
  if (id == IDC_LAREG) {
    if (code == BN_CLICKED) LargeIconsChanged();
    return;
  }
  if (id == IDC_HIGH_QUALITY) {
    if (code == BN_CLICKED) thumbnails_.HighQualityChanged();
    return;
  }
  if (id == IDC_PREVIEW) {
    // The picture came, or there was none: the tree gives the pane its room, or takes it back.
    if (code == PreviewPane::kShownChanged) Layout();
    return;
  }
  if (id == IDC_FILTER) {
    if (code == EN_CHANGE) NameFilterChanged();
    return;
  }
  if (!sendTo_.Run(id)) commands_.Run(id);
}

LRESULT TOrvikBinder::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_LIST) return listCommands_.OnNotify(header, [this] { drag_.Begin(true); }, [this] { RequestPreview(); });
  if (header->idFrom == IDC_TREE) return binderActions_.OnNotify(header);
  if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) hints_.OnToolTipText(header);
  return 0;
}

void TOrvikBinder::OnDrawItem(DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_MENU || sendTo_.DrawItem(*di)) return;
  DrawCommandPicture(*di, commands_, pictures_.small(), [this](const Command& c) { return sendTo_.Picture(c); });
}

void TOrvikBinder::BindCommands() {
  DeclareCommands(commands_);
  listCommands_.BindCommands(commands_);
  binderActions_.BindCommands(commands_);
  sendTo_.BindCommands(commands_);
  auto bind = [this](int id, std::function<void()> run, std::function<bool()> available = nullptr) {
    commands_.Bind(id, std::move(run), std::move(available));
  };
  bind(IDM_UP, [this] { browser_.GoUp(); }, [this] { return IsBarButtonEnabled(hwnd_, IDM_UP); });
  for (int id : {IDM_VIEW_ICON, IDM_VIEW_LIST, IDM_VIEW_DETAIL}) {
    bind(id, [this, id] {
      SpeedBtn1Click(id);
      // Chosen from the menu, the buttons follow as they do for a click.
      velmora::ShowViewStyle(hwnd_, static_cast<ViewStyle>(id - IDM_VIEW_ICON));
    });
    commands_.BindChecked(id, [this, id] { return IsBarButtonPressed(hwnd_, id); });
  }
  commands_.BindChecked(IDM_THUMBNAILS, [this] { return browser_.thumbnailMode(); });
  // The menu's switches are the boxes themselves, so each shows what the other did.
  const std::pair<int, int> boxes[] = {{IDM_ATTR_SYSTEM, IDC_ATTR_S}, {IDM_ATTR_HIDDEN, IDC_ATTR_H},
                                       {IDM_ATTR_READ_ONLY, IDC_ATTR_R}, {IDM_LARGE_ICONS, IDC_LAREG},
                                       {IDM_HIGH_QUALITY, IDC_HIGH_QUALITY}};
  for (const auto& box : boxes) {
    const int id = box.second;
    bind(box.first, [this, id] { ToggleBox(hwnd_, id); }, [this, id] { return IsWindowEnabled(control(id)) != FALSE; });
    commands_.BindChecked(box.first, [this, id] { return IsChecked(control(id)); });
  }
  for (int id = IDM_SORT_NAME; id <= IDM_SORT_DATE; ++id) {
    const SortColumn column = static_cast<SortColumn>(id - IDM_SORT_NAME);
    bind(id, [this, column] { ListView1ColumnClick(static_cast<int>(column)); });
    commands_.BindChecked(id, [this, column] { return browser_.listSort().sortedColumn() == column; });
  }
  for (const bool ascending : {true, false}) {
    const int id = ascending ? IDM_SORT_ASCENDING : IDM_SORT_DESCENDING;
    // A header click sorts by the column and turns the direction for the next: at most two
    // clicks on the sorted column give the direction asked for.
    bind(id, [this, ascending] {
      for (int i = 0; i < 2 && browser_.listSort().sortedAscending() != ascending; ++i)
        ListView1ColumnClick(static_cast<int>(browser_.listSort().sortedColumn()));
    });
    commands_.BindChecked(id, [this, ascending] { return browser_.listSort().sortedAscending() == ascending; });
  }
  bind(IDM_THUMBNAILS, [this] { SpeedButton5Click(); }, [this] {
    return browser_.listView().GetViewStyle() == kIconView && !browser_.rootFolder().empty() &&
           !browser_.thumbnailMode() && !thumbnails_.busy();
  });
  bind(IDM_REFRESH, [this] { SpeedButton4Click(); });
  bind(IDM_FILTER, [this] { FocusFilterBox(hwnd_); });
  bind(IDM_EXIT, [this] { PostMessageA(hwnd_, WM_CLOSE, 0, 0); });
  bind(IDM_HELP, [this] { env_.OpenHelp(hwnd_, *prompter_); });
  bind(IDM_ABOUT, [this] { aboutDialog1_.Execute(hwnd_); });
}

// ---- the browser's host

bool TOrvikBinder::SelectedFolderNode(FolderNodeRef& node) const {
  HTREEITEM item = tree_.Selected();
  const std::string* path = tree_.FolderPath(item);
  if (!path) return false;
  node.binder = tree_.Text(TreeView_GetParent(tree_.hwnd(), item));
  node.nodeText = tree_.Text(item);
  node.path = *path;
  return true;
}

// ---- handlers of the tree and the list

void TOrvikBinder::TreeView1Click() {
  FolderNodeRef node;
  if (SelectedFolderNode(node))
    browser_.ShowRegisteredFolder(node);
  else
    browser_.ShowNothing();
  UpdatePreview();
}

void TOrvikBinder::RequestPreview() {
  // Selections change row by row: the pane is updated once they have settled.
  if (previewPending_) return;
  previewPending_ = true;
  PostMessageA(hwnd_, WM_APP_PREVIEW, 0, 0);
}

void TOrvikBinder::UpdatePreview() {
  const FileListView& list = browser_.listView();
  const int row = list.FirstSelected();
  const std::string path = row >= 0 ? browser_.RowFullPath(row) : browser_.rootFolder();
  if (preview_.Update(systemLevel_, path)) Layout();
}

void TOrvikBinder::ShowRowCount(const std::string& text) {
  SetStatusText(0, text);
  countPanelWidth_ = FitCountPanel(control(IDC_STATUS), text, countPanelWidth_);
}

void TOrvikBinder::ListView1MouseMove() {
  if (browser_.flatListing()) {
    browser_.MouseMove();
  } else if (hints_.statusPath() != browser_.currentFolder() && !hints_.showingHint()) {
    hints_.SetStatusPath(browser_.currentFolder());
  }
}

void TOrvikBinder::FormDropFiles(HDROP handle) {
  POINT at = {};
  DragQueryPoint(handle, &at);
  if (ChildWindowFromPointEx(hwnd_, at, CWP_SKIPDISABLED | CWP_SKIPINVISIBLE) != tree_.hwnd()) {
    listCommands_.HandleShellDrop(handle);
    return;
  }
  binderActions_.HandleShellDrop(handle);
}

}  // namespace velmora
