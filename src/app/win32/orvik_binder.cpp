#include "app/win32/orvik_binder.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include <functional>
#include <stdexcept>

#include "app/help_page.h"
#include "app/hint_text.h"
#include "app/window_rules.h"
#include "binders/folder_list.h"
#include "binders/tree_menu.h"
#include "binders/win32/folder_list_dialog.h"
#include "common/path_lists.h"
#include "resource.h"
#include "win32/clipboard_files.h"
#include "win32/win32_file_system.h"
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
// High enough for the attribute group: its 12-pixel caption, the 13-pixel check boxes below
// it and the frame's bottom edge, none crossing another.
constexpr int kTopBarHeight = 30;
constexpr int kStatusPanelWidth = 50;
constexpr int kFilterBoxWidth = 110;
constexpr int kTreeImageCount = 28;
constexpr COLORREF kMaskColor = RGB(255, 0, 255);

constexpr const char* kSaveFailedText = "次のファイルを保存できませんでした。以前の内容はそのまま残っています。\r\n\r\n";
constexpr const char* kUnexpectedError = "予期しないエラーが発生しました。";

int ToolbarHeight() { return 22; }
// Tops that centre a control of that height in the top bar.
int BarTop(int height) { return (kTopBarHeight - height) / 2; }

HWND MakeToolbar(HWND parent, int id, HIMAGELIST images, const TBBUTTON* buttons, int count) {
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(23, 22));
  SendMessageA(bar, TB_ADDBUTTONSA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buttons));
  return bar;
}

int ToolbarWidth(HWND bar) {
  const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
  int width = 0;
  for (int i = 0; i < count; ++i) {
    RECT r = {};
    if (SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
      width = r.right > width ? r.right : width;
  }
  return width;
}

HWND MakeControl(HWND parent, const char* cls, const char* text, DWORD style, int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                         nullptr);
}

LRESULT CALLBACK PaintGroupBackground(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

void Check(HWND button, bool on) { SendMessageA(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The text a label edit ended with, from its ANSI or its wide notification; false when the
// edit was cancelled.
template <class InfoA, class InfoW>
bool EditedLabel(const NMHDR* header, bool wide, std::string& text) {
  if (wide) {
    const wchar_t* typed = reinterpret_cast<const InfoW*>(header)->item.pszText;
    if (typed) text = WideToAnsi(typed);
    return typed != nullptr;
  }
  const char* typed = reinterpret_cast<const InfoA*>(header)->item.pszText;
  if (typed) text = typed;
  return typed != nullptr;
}

}  // namespace

DWORD AppEnvironment::PlatformModuleFileName(char* buffer, DWORD size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

AppEnvironment AppEnvironment::FromProcess(const ModuleFileName& moduleFileName) {
  AppEnvironment env;
  char exe[MAX_PATH] = "";
  const DWORD length = moduleFileName(exe, MAX_PATH);
  // A path cut at the buffer's end, or one the code page cannot spell (its "?" names
  // nothing), would put the data folder somewhere else.
  if (length > 0 && length < MAX_PATH && IsExistingFile(std::string(exe, length))) {
    env.exePath.assign(exe, length);
    env.exeDir = IncludeTrailingBackslash(ParentFolder(env.exePath));
  }
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) env.params.push_back(WideToAnsi(argv[i]));
  if (argv) LocalFree(argv);
  return env;
}

TOrvikBinder::TOrvikBinder(AppEnvironment env, Prompter* prompter)
    : env_(std::move(env)),
      prompter_(prompter ? prompter : &defaultPrompter_),
      store_(collation_, files_),
      tree_(collation_),
      browser_(*this, collation_, *prompter_, store_),
      listCommands_(browser_, shell_, *prompter_, collation_),
      binderActions_(*this, tree_, store_, collation_, *prompter_),
      sendTo_(binderActions_.shellLink(), listCommands_.fileCommands(), shell_, *prompter_),
      sendToOption_(binderActions_.shellLink(), env_.exePath, kApplicationTitle),
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
  ReleaseListMenu();
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
  Construct();
  // Before the creation handler starts the registration's timer, so that no dialog comes
  // up behind the message.
  ReportStartupFaults();
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
      HandleAppMessage(msg, wp, lp, result))
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
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wp)); return true;
    // Menu items only (wp 0); the controls draw themselves.
    case WM_MEASUREITEM: if (wp) return false; OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp)); result = TRUE; return true;
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
    case WM_LBUTTONDOWN: OnLeftButtonDown(at); return true;
    case WM_MOUSEMOVE: OnMouseMove(at); return true;
    case WM_LBUTTONUP: OnLeftButtonUp(); return true;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return true;
    default: return false;
  }
}

bool TOrvikBinder::HandleAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_APP_COMPLETE_RECORD: result = browser_.CompleteRecord(lp); return true;
    case WM_APP_WORKER_DONE: browser_.FileInfoWorkerDone(static_cast<unsigned>(wp)); return true;
    case WM_APP_THUMBNAILS: CompleteThumbnails(); return true;
    case WM_APP_TREE_CLICK: TreeView1Click(); return true;
    case WM_APP_PREVIEW: previewPending_ = false; UpdatePreview(); return true;
    case WM_APP_FOLDER_CHANGED: browser_.FolderChanged(static_cast<unsigned>(wp)); return true;
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
  const std::string hint = sendTo_.Owns(id) ? sendTo_.Hint(id) : commands_.Hint(id);
  ApplicationHintChanged(!closed && !(HIWORD(wp) & MF_POPUP) ? hint : std::string());
}

bool TOrvikBinder::OnContextMenu(HWND window, LPARAM at) {
  if (window == browser_.listView().hwnd()) {
    ListView1ContextPopup();
    return true;
  }
  if (window == tree_.hwnd()) {
    TreeView1ContextPopup(at);
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
  if (window != hwnd_) return FALSE;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd_, &p);
  return paneSplitter_.SetCursorAt(p) || previewSplitter_.SetCursorAt(p);
}

void TOrvikBinder::OnLeftButtonDown(POINT at) {
  if (!paneSplitter_.Grab(hwnd_, at)) previewSplitter_.Grab(hwnd_, at);
}

void TOrvikBinder::OnMouseMove(POINT at) {
  drag_.Over();
  if (paneSplitter_.tracking()) {
    RECT client;
    GetClientRect(hwnd_, &client);
    SetLeftPaneWidth(DraggedLeftWidth(paneSplitter_.DraggedTo(at), client.right));
  } else if (previewSplitter_.tracking()) {
    RECT tree;
    GetWindowRect(tree_.hwnd(), &tree);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tree), 2);
    RECT pane;
    GetWindowRect(preview_.hwnd(), &pane);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&pane), 2);
    previewHeight_ = DraggedPreviewHeight(previewSplitter_.DraggedTo(at), tree.top, pane.bottom);
    Layout();
  }
}

void TOrvikBinder::OnLeftButtonUp() {
  drag_.Drop();
  paneSplitter_.Release();
  previewSplitter_.Release();
}

void TOrvikBinder::OnCaptureChanged(HWND gainer) {
  paneSplitter_.Lose();
  previewSplitter_.Lose();
  drag_.CaptureChanged(gainer);
}

void TOrvikBinder::CreateControls() {
  DeclareCommands();
  DeclareListCommands();
  DeclareTreeCommands();
  font_ = MakeUiFont(12);
  LoadImageLists();

  const TBBUTTON treeButtons[] = {
      {8, IDM_EXPAND_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {8, IDM_EXPAND_BINDERS, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {9, IDM_COLLAPSE_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
  };
  MakeToolbar(hwnd_, IDC_TREEBAR, imageList1_.get(), treeButtons, 3);

  HWND lareg = MakeControl(hwnd_, "BUTTON", "Lareg", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_LAREG);
  AddControlHint(lareg, "大きいアイコン");

  // The list tool bar's own pictures: the up arrow, then the view, refresh and thumbnail
  // pictures of the tree list.
  HIMAGELIST barImages = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0);
  HBITMAP up = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(IDB_UP16), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ImageList_AddMasked(barImages, up, kMaskColor);
  DeleteObject(up);
  for (int index : {17, 18, 19, 20, 22}) {
    HICON icon = ImageList_GetIcon(imageList1_.get(), index, ILD_NORMAL);
    ImageList_AddIcon(barImages, icon);
    DestroyIcon(icon);
  }
  listBarImages_.Reset(barImages);
  const TBBUTTON listButtons[] = {
      {0, IDM_UP, 0, BTNS_BUTTON, {0}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
      {1, IDM_VIEW_ICON, TBSTATE_ENABLED, BTNS_CHECKGROUP, {0}, 0, 0},
      {2, IDM_VIEW_LIST, TBSTATE_ENABLED, BTNS_CHECKGROUP, {0}, 0, 0},
      {3, IDM_VIEW_DETAIL, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECKGROUP, {0}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
      {5, IDM_THUMBNAILS, 0, BTNS_BUTTON, {0}, 0, 0},
      {4, IDM_REFRESH, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
  };
  MakeToolbar(hwnd_, IDC_LISTBAR, barImages, listButtons, 8);
  HWND filter = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
                                0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER)), instance_, nullptr);
  const char* kFilterHint = "絞り込み|名前で絞り込む";
  SendMessageW(filter, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(AnsiToWide(ShortHint(kFilterHint)).c_str()));
  AddControlHint(filter, kFilterHint);

  HWND s = MakeControl(hwnd_, "BUTTON", "S", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_S);
  HWND h = MakeControl(hwnd_, "BUTTON", "H", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_H);
  HWND r = MakeControl(hwnd_, "BUTTON", "R", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_ATTR_R);
  Check(r, true);
  AddControlHint(s, "システム属性");
  AddControlHint(h, "隠しファイル");
  AddControlHint(r, "読み取り専用");
  // Below its check boxes in the z-order, so that its frame does not paint over them.
  HWND group = MakeControl(hwnd_, "BUTTON", " 表示属性", BS_GROUPBOX, IDC_ATTR_GROUP);
  SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The main window clips its children, so nobody else would paint the group box's inside.
  SetWindowSubclass(group, &PaintGroupBackground, 0, 0);

  progress_.Create(hwnd_, IDC_PROGRESS, 0, 0, 0, 0);
  ApplyThumbnailBarLook(progress_.bar());
  AddControlHint(progress_.hwnd(), "進捗|サムネイルの進捗を表示");
  MakeControl(hwnd_, "BUTTON", "高画質", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_HIGH_QUALITY);

  HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                              0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)),
                              instance_, nullptr);
  tree_.Attach(tree);

  // The preview pane and its splitter stay hidden until a picture is previewed.
  preview_.Create(hwnd_, IDC_PREVIEW);

  CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                      LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS | LVS_EDITLABELS,
                  0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST)), instance_,
                  nullptr);
  CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)), instance_, nullptr);

  EnumChildWindows(hwnd_, &SetChildFont, reinterpret_cast<LPARAM>(font_.get()));
  CreateMainMenu();
}

void TOrvikBinder::LoadImageLists() {
  imageList1_.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kTreeImageCount + 1, 8));
  HBITMAP strip16 = static_cast<HBITMAP>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDB_IMAGELIST16), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ImageList_AddMasked(imageList1_.get(), strip16, kMaskColor);
  DeleteObject(strip16);
  // The 32-pixel list is resized to the shell's large icon size once that is known.
  imageList3_.Reset(ImageList_Create(32, 32, ILC_COLOR24 | ILC_MASK, 5, 4));
}

namespace {
// A command's menu item; its picture is drawn by the window (WM_DRAWITEM).
void AppendCommandItem(HMENU menu, const Command& command, const std::string& shortcutText) {
  std::string caption = command.caption;
  if (!shortcutText.empty()) caption += "\t" + shortcutText;
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  mii.fType = MFT_STRING;
  mii.wID = static_cast<UINT>(command.id);
  mii.dwTypeData = const_cast<char*>(caption.c_str());
  if (command.picture >= 0) {
    mii.fMask |= MIIM_BITMAP;
    mii.hbmpItem = HBMMENU_CALLBACK;
  }
  InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
}
}  // namespace

void TOrvikBinder::CreateMainMenu() {
  // The window owns its menu bar and destroys it with itself.
  HMENU bar = CreateMenu();
  std::vector<ACCEL> keys;
  for (const MenuLayout& layout : menuLayout_) {
    HMENU popup = CreatePopupMenu();
    for (int id : layout.items) {
      const Command* command = commands_.Find(id);
      if (!command) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      AppendCommandItem(popup, *command,
                        command->shortcut.key ? std::string("Ctrl+") + static_cast<char>(command->shortcut.key)
                                              : std::string());
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), layout.caption.c_str());
  }
  SetMenu(hwnd_, bar);
  for (const Command& command : commands_.commands()) {
    if (!command.shortcut.key) continue;
    ACCEL accel = {};
    accel.fVirt = FVIRTKEY | (command.shortcut.control ? FCONTROL : 0);
    accel.key = static_cast<WORD>(command.shortcut.key);
    accel.cmd = static_cast<WORD>(command.id);
    keys.push_back(accel);
  }
  if (!keys.empty()) accelerators_.Reset(CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size())));
}

void TOrvikBinder::Construct() {
  // Steps before the window is shown; the controls exist already.
  SetWindowTextA(hwnd_, kApplicationTitle);

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  const BOOL gotVersion = GetVersionExA(&version);
  systemLevel_ = SystemLevelFor(gotVersion != FALSE, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);

  char userName[1024] = "";
  DWORD userLength = sizeof(userName);
  if (!GetUserNameA(userName, &userLength)) userName[0] = '\0';
  // Without its own folder the program keeps no store rather than one in the wrong place.
  startupFaults_.noProgramPath = env_.exeDir.empty();
  if (!startupFaults_.noProgramPath) store_.SetUpPaths(env_.exeDir, userName);

  shell_.Start(env_.shellCalls);
  startupFaults_.noOle = !shell_.oleInitialized();
  startupFaults_.noShell = !shell_.desktop() || !shell_.allocator();
  sendToOption_.Load();
  sendToOption_.ShowIn(GetMenu(hwnd_), IDM_SENDTO_OPTION);
  std::string ownFolder = env_.exeDir;
  if (ownFolder.size() > 3 && EndsWithBackslash(ownFolder)) ownFolder.pop_back();
  browser_.SetUp(hwnd_, control(IDC_LIST), {WM_APP_COMPLETE_RECORD, WM_APP_WORKER_DONE, WM_APP_FOLDER_CHANGED}, shell_, systemLevel_,
                 ownFolder);
  SetUpRootIcon();
  SetUpVelmoraAbout(aboutDialog1_);
}

void TOrvikBinder::SetUpRootIcon() {
  const std::string root = DriveRoot(env_.exeDir);
  IconHandle large;
  GetFileIcon(large, root, false, false);
  if (large.get()) {
    const SIZE size = IconSize(large.get());
    thumbWidth_ = size.cx > 0 ? size.cx : 32;
    thumbHeight_ = size.cy > 0 ? size.cy : 32;
  }
  thumbnails_.SetUp(shell_, thumbWidth_, thumbHeight_, browser_.systemLargeImages());
  // The binder and folder pictures are drawn at 32 pixels and fitted to the shell's size.
  ImageList_SetIconSize(imageList3_.get(), thumbWidth_, thumbHeight_);
  HBITMAP strip32 = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(IDB_IMAGELIST32), IMAGE_BITMAP,
                                                   4 * thumbWidth_, thumbHeight_, LR_CREATEDIBSECTION));
  ImageList_AddMasked(imageList3_.get(), strip32, kMaskColor);
  DeleteObject(strip32);
  rootIndex32_ = AddIconCell(imageList3_.get(), large.get(), false);

  IconHandle small;
  GetFileIcon(small, root, false, true);
  rootIndex16_ = AddIconCell(imageList1_.get(), small.get(), false);
}

void TOrvikBinder::ReportStartupFaults() {
  const std::string text = StartupFaultText(startupFaults_);
  if (!text.empty()) prompter_->Message(text, kApplicationTitle);
}

void TOrvikBinder::FormCreate() {
  const bool bindersExist = !startupFaults_.noProgramPath && store_.Load();
  if (bindersExist) {
    std::vector<BinderEntry> binders = ReadBinders(store_, collation_);
    SortBinders(binders, collation_);
    tree_.Build(binders, rootIndex16_);
    tree_.RestoreExpandedState(store_.folders);
    tree_.ExpandRoot();
  } else {
    tree_.BuildRootOnly(rootIndex16_);
  }

  const int width = store_.folders.ReadInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, leftWidth_);
  SetLeftPaneWidth(width < kSplitterMinimum ? kSplitterMinimum : width);
  Check(control(IDC_LAREG), store_.folders.ReadBool(BinderStore::kSettingsSection, BinderStore::kLargeIconsKey, false));
  LargeIconsChanged();

  DragAcceptFiles(hwnd_, TRUE);
  registration_.SetUp(hwnd_, imageList1_.get(), prompter_ == &defaultPrompter_ ? nullptr : prompter_);
  registration_.Start(env_.params);
}

void TOrvikBinder::FormClose() { browser_.Close(); }

void TOrvikBinder::FormDestroy() {
  // Shell objects go before COM does, so that their Release still has COM to run in.
  browser_.ReleaseShellObjects();
  shell_.Stop();
  browser_.ClearFileRecords();
  SaveStore();
  tree_.ReleasePaths();
  if (listBarImages_) SendMessageA(control(IDC_LISTBAR), TB_SETIMAGELIST, 0, 0);
  listBarImages_.Reset();
}

void TOrvikBinder::SaveStore() {
  // Ending the session saves before the window goes; the destruction then has nothing new.
  if (storeSaved_) return;
  storeSaved_ = true;
  tree_.SaveExpandedState(store_.folders);
  store_.folders.WriteBool(BinderStore::kSettingsSection, BinderStore::kLargeIconsKey, IsChecked(control(IDC_LAREG)));
  store_.folders.WriteInteger(BinderStore::kSettingsSection, BinderStore::kWidthKey, leftWidth_);
  if (startupFaults_.noProgramPath) return;  // said at start
  for (const std::string& path : store_.Save()) prompter_->Message(kSaveFailedText + path, kApplicationTitle);
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
  paneSplitter_.Place({laidOutLeft_, top, listLeft, client.bottom});
  previewSplitter_.Place(previewShown ? RECT{0, top + treeHeight, laidOutLeft_, top + treeHeight + kSplitterWidth}
                                      : RECT{0, 0, 0, 0});
  dwp = DeferWindowPos(dwp, control(IDC_LIST), nullptr, listLeft, top, width - listLeft, paneHeight, SWP_NOZORDER);

  HWND treeBar = control(IDC_TREEBAR);
  const int treeBarWidth = ToolbarWidth(treeBar);
  dwp = DeferWindowPos(dwp, treeBar, nullptr, 2, BarTop(ToolbarHeight()), treeBarWidth, ToolbarHeight(), SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_LAREG), nullptr, treeBarWidth + 8, BarTop(16), 52, 16, SWP_NOZORDER);
  EndDeferWindowPos(dwp);
  // Every size change repaints the whole list.
  browser_.listView().FitNameColumn();
  InvalidateRect(browser_.listView().hwnd(), nullptr, TRUE);
  SplitterMoved();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TOrvikBinder::SplitterMoved() {
  // The list tool bar and the controls after it start at the file list's left edge.
  int x = laidOutLeft_ + kSplitterWidth;
  HWND listBar = control(IDC_LISTBAR);
  const int barWidth = ToolbarWidth(listBar);
  HDWP dwp = BeginDeferWindowPos(8);
  dwp = DeferWindowPos(dwp, listBar, nullptr, x, BarTop(ToolbarHeight()), barWidth, ToolbarHeight(), SWP_NOZORDER);
  x += barWidth + 4;
  dwp = DeferWindowPos(dwp, control(IDC_FILTER), nullptr, x, BarTop(20), kFilterBoxWidth, 20, SWP_NOZORDER);
  x += kFilterBoxWidth + 6;
  // The check boxes sit between the caption and the frame's bottom edge.
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_GROUP), nullptr, x, 0, 112, kTopBarHeight, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_S), nullptr, x + 8, 13, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_H), nullptr, x + 42, 13, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_R), nullptr, x + 76, 13, 28, 14, SWP_NOZORDER);
  x += 118;
  dwp = DeferWindowPos(dwp, control(IDC_PROGRESS), nullptr, x, BarTop(kThumbnailBarHeight), kThumbnailBarWidth,
                       kThumbnailBarHeight, SWP_NOZORDER);
  x += kThumbnailBarWidth + 6;
  dwp = DeferWindowPos(dwp, control(IDC_HIGH_QUALITY), nullptr, x, BarTop(16), 60, 16, SWP_NOZORDER);
  EndDeferWindowPos(dwp);
}

void TOrvikBinder::SetLeftPaneWidth(int width) {
  leftWidth_ = width;
  Layout();
}

void TOrvikBinder::LargeIconsChanged() {
  const bool large = IsChecked(control(IDC_LAREG));
  tree_.UseImageList(large ? imageList3_.get() : imageList1_.get(), !large);
  // The root's picture indexes the list in use, so it follows the switch at start as well.
  if (tree_.Root()) tree_.SetRootImage(large ? rootIndex32_ : rootIndex16_);
}

void TOrvikBinder::AddControlHint(HWND control, const std::string& hint) {
  controlHints_[control] = hint;
  if (!tooltip_) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               instance_, nullptr);
  }
  const std::string tip = ShortHint(hint);
  TTTOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(tip.c_str());
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string TOrvikBinder::HintAt(HWND window, POINT screenPoint) const {
  auto found = controlHints_.find(window);
  if (found != controlHints_.end()) return found->second;
  const int id = GetDlgCtrlID(window);
  if (GetParent(window) == hwnd_ && (id == IDC_TREEBAR || id == IDC_LISTBAR)) {
    POINT p = screenPoint;
    ScreenToClient(window, &p);
    const int index = static_cast<int>(SendMessageA(window, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    TBBUTTON button = {};
    if (index >= 0 && SendMessageA(window, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) {
      return commands_.Hint(button.idCommand);
    }
  }
  return std::string();
}

bool TOrvikBinder::PreTranslateMessage(MSG& msg) {
  if (msg.message == WM_KEYUP && msg.hwnd == tree_.hwnd()) TreeView1KeyUp(msg.wParam);
  if (msg.message == WM_MOUSEMOVE && msg.hwnd == browser_.listView().hwnd()) ListView1MouseMove();
  if (msg.message == WM_MOUSEMOVE && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
    POINT p = msg.pt;
    const std::string hint = HintAt(msg.hwnd, p);
    ApplicationHintChanged(hint);
    // The pointer may leave for another program's window, which tells us nothing.
    if (!hint.empty() && hintWindow_ != msg.hwnd) {
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, msg.hwnd, 0};
      TrackMouseEvent(&track);
    }
    hintWindow_ = hint.empty() ? nullptr : msg.hwnd;
  }
  if (msg.message == WM_MOUSELEAVE && msg.hwnd == hintWindow_) {
    hintWindow_ = nullptr;
    ApplicationHintChanged(std::string());
  }
  // Escape empties the filter box; the list then shows every row again.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && msg.hwnd == control(IDC_FILTER)) {
    SetWindowTextA(msg.hwnd, "");
    return true;
  }
  // Enter or the down arrow go on to the narrowed rows.
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_DOWN) && msg.hwnd == control(IDC_FILTER)) {
    SetFocus(browser_.listView().hwnd());
    return true;
  }
  if (accelerators_ && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    // Keys typed into a label editor stay there.
    char cls[32] = "";
    GetClassNameA(msg.hwnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, "Edit") != 0 && TranslateAcceleratorA(hwnd_, accelerators_.get(), &msg)) return true;
  }
  return false;
}

void TOrvikBinder::ApplicationHintChanged(const std::string& hint) {
  if (hint == applicationHint_) return;
  applicationHint_ = hint;
  // Without a hint the panel shows the path again rather than going blank.
  SetStatusText(1, hint.empty() ? statusPath_ : LongHint(hint));
}

void TOrvikBinder::SetStatusText(int panel, const std::string& text) {
  // Wide, so that a path the code page cannot spell shows as it is.
  SendMessageW(control(IDC_STATUS), SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
}

void TOrvikBinder::SetStatusPath(const std::string& text) {
  statusPath_ = text;
  SetStatusText(1, text);
}

void TOrvikBinder::OnCommand(int id, int code) {
  if (id == IDC_LAREG) {
    if (code == BN_CLICKED) LargeIconsChanged();
    return;
  }
  if (id == IDC_HIGH_QUALITY) {
    if (code == BN_CLICKED) HighQualityChanged();
    return;
  }
  if (id == IDC_FILTER) {
    if (code == EN_CHANGE) NameFilterChanged();
    return;
  }
  if (sendTo_.Owns(id)) {
    SendToMenuClick(id);
    return;
  }
  commands_.Run(id);
}

LRESULT TOrvikBinder::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_LIST) return OnListNotify(header);
  if (header->idFrom == IDC_TREE) return OnTreeNotify(header);
  if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) OnToolTipText(header);
  return 0;
}

LRESULT TOrvikBinder::OnListNotify(NMHDR* header) {
  LRESULT result = 0;
  if (browser_.listView().HandleNotify(header, result)) return result;
  std::string text;
  switch (header->code) {
    case LVN_COLUMNCLICK: ListView1ColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
    case NM_DBLCLK: ListView1DblClick(); return 0;
    case LVN_KEYDOWN: ListView1KeyDown(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey); return 0;
    case LVN_BEGINDRAG: drag_.Begin(true); return 0;
    case LVN_ITEMCHANGED: {
      // However the selection moved (mouse, arrow keys, a program), the pane follows it.
      const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) && (change->iItem < 0 || ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)))
        RequestPreview();
      return 0;
    }
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      const bool typed = EditedLabel<NMLVDISPINFOA, NMLVDISPINFOW>(header, header->code == LVN_ENDLABELEDITW, text);
      // The row sits at the same place in both forms.
      ListView1Edited(reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem, typed ? text.c_str() : nullptr);
      return FALSE;
    }
    default: return 0;
  }
}

LRESULT TOrvikBinder::OnTreeNotify(NMHDR* header) {
  LRESULT result = 0;
  if (tree_.HandleNotify(header, result)) return result;
  std::string text;
  switch (header->code) {
    case NM_CLICK:
      // The control changes its selection after this notification; the listing follows
      // the new selection, so it runs once the click has been handled.
      PostMessageA(hwnd_, WM_APP_TREE_CLICK, 0, 0);
      return 0;
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: browser_.SaveSelection(-1); return FALSE;
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
      if (!EditedLabel<NMTVDISPINFOA, NMTVDISPINFOW>(header, header->code == TVN_ENDLABELEDITW, text)) return FALSE;
      return binderActions_.EndRename(reinterpret_cast<NMTVDISPINFOA*>(header)->item.hItem, text.c_str()) ? TRUE : FALSE;
    case TVN_KEYDOWN: return TreeView1KeyDown(reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey);
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW: {
      // The node sits at the same place in the ANSI and the wide forms.
      HTREEITEM node = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem;
      if (tree_.FolderPath(node)) {
        TreeView_SelectItem(tree_.hwnd(), node);
        drag_.Begin(false);
      }
      return 0;
    }
    case NM_DBLCLK: TreeView1DblClick(); return 0;
    default: return 0;
  }
}

void TOrvikBinder::OnToolTipText(NMHDR* header) {
  // Tool bar buttons ask for their tooltip by command id.
  const std::string hint = commands_.Hint(static_cast<int>(header->idFrom));
  if (hint.empty()) return;
  static std::string shortTextA;
  static std::wstring shortTextW;
  shortTextA = ShortHint(hint);
  if (header->code == TTN_GETDISPINFOA) {
    reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(shortTextA.c_str());
  } else {
    shortTextW = AnsiToWide(shortTextA, 1024);
    reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = const_cast<wchar_t*>(shortTextW.c_str());
  }
}

void TOrvikBinder::ExpandButtonClick(int tag) {
  switch (tag) {
    case 0:
      tree_.ExpandAll();
      break;
    case 1:
      tree_.CollapseAll();
      TreeView1Click();
      tree_.ExpandRoot();
      break;
    case 2:
      tree_.CollapseAll();
      TreeView1Click();
      break;
    default:
      break;
  }
}

void TOrvikBinder::OpenHelp() {
  const std::string help = HelpPagePath(env_.exeDir);
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(hwnd_, "open", help.c_str(), nullptr, nullptr, SW_SHOW));
  // The shell itself says nothing when it cannot open the page.
  if (result <= 32)
    prompter_->Message(HelpNotOpenedText(help, Win32FileSystem().ErrorText(ShellExecuteErrorCode(result))),
                       kApplicationTitle);
}

void TOrvikBinder::About1Click() { aboutDialog1_.Execute(hwnd_); }

void TOrvikBinder::OnInitMenuPopup(HMENU menu) {
  // A command is greyed while it cannot run, so that nothing offered does nothing.
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1) || !commands_.Find(static_cast<int>(id))) continue;
    EnableMenuItem(menu, id, MF_BYCOMMAND | (commands_.IsAvailable(static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
  }
}

void TOrvikBinder::OnMeasureItem(MEASUREITEMSTRUCT* mi) {
  if (mi->CtlType != ODT_MENU) return;
  mi->itemWidth = 16;
  mi->itemHeight = 16;
}

void TOrvikBinder::OnDrawItem(DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_MENU) return;
  if (sendTo_.DrawItem(*di)) return;
  const Command* command = commands_.Find(static_cast<int>(di->itemID));
  if (!command || command->picture < 0) return;
  int picture = command->picture;
  // The send-to option shows whether the program's shortcut is there.
  if (command->id == IDM_SENDTO_OPTION && (GetMenuState(GetMenu(hwnd_), IDM_SENDTO_OPTION, MF_BYCOMMAND) & MF_CHECKED))
    picture = 27;
  const int y = di->rcItem.top + ((di->rcItem.bottom - di->rcItem.top) - 16) / 2;
  ImageList_Draw(imageList1_.get(), picture, di->hDC, di->rcItem.left, y,
                 (di->itemState & ODS_GRAYED) ? ILD_BLEND50 : ILD_TRANSPARENT);
}

void TOrvikBinder::DeclareCommands() {
  auto add = [this](int id, const char* caption, const char* hint, int picture, std::function<void()> run,
                    std::function<bool()> available = nullptr, Shortcut shortcut = {}) {
    Command c;
    c.id = id;
    c.caption = caption;
    c.hint = hint;
    c.picture = picture;
    c.run = std::move(run);
    c.available = std::move(available);
    c.shortcut = shortcut;
    commands_.Add(std::move(c));
  };
  // Tree tool bar.
  add(IDM_EXPAND_ALL, "", "全て展開", -1, [this] { ExpandButtonClick(0); });
  add(IDM_EXPAND_BINDERS, "", "バインダーまで展開", -1, [this] { ExpandButtonClick(1); });
  add(IDM_COLLAPSE_ALL, "", "全て縮小", -1, [this] { ExpandButtonClick(2); });
  // List tool bar.
  add(IDM_UP, "", "一つ上のフォルダ", -1, [this] { browser_.GoUp(); }, [this] { return IsButtonEnabled(IDM_UP); });
  add(IDM_VIEW_ICON, "", "アイコン", -1, [this] { SpeedBtn1Click(IDM_VIEW_ICON); });
  add(IDM_VIEW_LIST, "", "一覧", -1, [this] { SpeedBtn1Click(IDM_VIEW_LIST); });
  add(IDM_VIEW_DETAIL, "", "詳細", -1, [this] { SpeedBtn1Click(IDM_VIEW_DETAIL); });
  add(IDM_THUMBNAILS, "", "サムネイル表示", -1, [this] { SpeedButton5Click(); }, [this] {
    return browser_.listView().GetViewStyle() == kIconView && !browser_.rootFolder().empty() &&
           !browser_.thumbnailMode() && !thumbnails_.running();
  });
  add(IDM_REFRESH, "", "更新|最新の情報に更新", -1, [this] { SpeedButton4Click(); });
  add(IDM_FILTER, "", "絞り込み|名前で絞り込む", -1, [this] { FocusNameFilter(); }, nullptr, Shortcut{'F', true});
  // Main menu.
  add(IDM_NEW_BINDER, "新規作成(&N)", "バインダーを新規で作成する", 0, [this] { binderActions_.NewBinder(); });
  add(IDM_EXIT, "終了(&X)", "", -1, [this] { PostMessageA(hwnd_, WM_CLOSE, 0, 0); });
  add(IDM_SELECT_ALL, "全て選択", "", 5, [this] { listCommands_.SelectAll(false); }, nullptr, Shortcut{'A', true});
  add(IDM_INVERT_SELECTION, "選択の切り替え(&I)", "", 16, [this] { listCommands_.SelectAll(true); });
  add(IDM_SENDTO_OPTION, "「送る」メニューに追加", "", 26, [this] {
    sendToOption_.Toggle(*prompter_);
    sendToOption_.ShowIn(GetMenu(hwnd_), IDM_SENDTO_OPTION);
  });
  add(IDM_HELP, "ヘルプ(&H)", "", 15, [this] { OpenHelp(); });
  add(IDM_ABOUT, "バージョン情報", "", 13, [this] { About1Click(); });

  menuLayout_ = {
      {"ファイル(&F)", {IDM_NEW_BINDER, kSeparator, IDM_EXIT}},
      {"編集(&E)", {IDM_SELECT_ALL, IDM_INVERT_SELECTION}},
      {"設定(&O)", {IDM_SENDTO_OPTION}},
      {"ヘルプ(&H)", {IDM_HELP, IDM_ABOUT}},
  };
}

// ---- the browser's host

void TOrvikBinder::ShowViewStyle(ViewStyle style) {
  static const int kButtons[] = {IDM_VIEW_ICON, IDM_VIEW_LIST, IDM_VIEW_DETAIL};
  for (int i = 0; i < 3; ++i)
    SendMessageA(control(IDC_LISTBAR), TB_CHECKBUTTON, static_cast<WPARAM>(kButtons[i]), MAKELPARAM(i == style, 0));
}

AttributeSwitches TOrvikBinder::Switches() const {
  AttributeSwitches switches;
  switches.system = IsChecked(control(IDC_ATTR_S));
  switches.hidden = IsChecked(control(IDC_ATTR_H));
  switches.readOnly = IsChecked(control(IDC_ATTR_R));
  return switches;
}

void TOrvikBinder::PlayStartSound() {
  // The program's own quiet sound beside the executable; asked for as an alias it would be
  // the system's default beep on every listing wherever no alias of that name is set up.
  const std::string sound = env_.exeDir + "start.wav";
  PlaySoundA(sound.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

bool TOrvikBinder::SelectedFolderNode(FolderNodeRef& node) const {
  HTREEITEM item = tree_.Selected();
  const std::string* path = tree_.FolderPath(item);
  if (!path) return false;
  node.binder = tree_.Text(TreeView_GetParent(tree_.hwnd(), item));
  node.nodeText = tree_.Text(item);
  node.path = *path;
  return true;
}

void TOrvikBinder::SetButtonEnabled(int id, bool enabled) {
  SendMessageA(control(IDC_LISTBAR), TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TOrvikBinder::IsButtonEnabled(int id) const {
  return SendMessageA(control(IDC_LISTBAR), TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
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
  if (preview_.Update(shell_, systemLevel_, path)) Layout();
}

void TOrvikBinder::SpeedButton5Click() { RunThumbnails(true); }

void TOrvikBinder::RunThumbnails(bool fresh) {
  bool completed = false;
  // A pass that does not complete (stopped, or an exception) leaves thumbnail mode, unless a
  // listing already has: the list keeps usable icons and the pass can be started again.
  struct Leave {
    TOrvikBinder& window;
    const bool& completed;
    ~Leave() {
      window.restartThumbnails_ = false;
      if (!completed && window.browser_.thumbnailMode()) window.browser_.LeaveThumbnailMode(false);
    }
  } leave{*this, completed};
  for (;;) {
    restartThumbnails_ = false;
    if (fresh) {
      SetButtonEnabled(IDM_THUMBNAILS, false);
      browser_.EnterThumbnailMode();
    }
    const bool highQuality = IsChecked(control(IDC_HIGH_QUALITY));
    completed = !(fresh ? thumbnails_.MakeThumbnails(highQuality) : thumbnails_.CompleteThumbnails(highQuality));
    // The quality switched during the pass: it starts over with the new one.
    if (completed || !restartThumbnails_ || !browser_.thumbnailMode()) break;
    if (!fresh) browser_.LeaveThumbnailMode(false);
    fresh = true;
  }
  if (completed && fresh) browser_.ShowThumbnails(thumbnails_.images());
  // Changes on disk waited while the pass walked the rows.
  if (!thumbnails_.running()) browser_.ApplyWaitingChanges();
}

// ---- the name filter

void TOrvikBinder::NameFilterChanged() {
  HWND box = control(IDC_FILTER);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(box, &text[0], static_cast<int>(text.size()))));
  browser_.SetNameFilter(text);
}

void TOrvikBinder::FocusNameFilter() {
  HWND box = control(IDC_FILTER);
  SetFocus(box);
  SendMessageA(box, EM_SETSEL, 0, -1);
}

void TOrvikBinder::ClearNameFilterBox() {
  HWND box = control(IDC_FILTER);
  if (box && GetWindowTextLengthA(box) > 0) SetWindowTextA(box, "");
}

void TOrvikBinder::ShowRowCount(const std::string& text) {
  SetStatusText(0, text);
  // The count's panel is as wide as "shown / all" needs, never narrower than at start.
  HWND status = control(IDC_STATUS);
  HDC dc = GetDC(status);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
  SIZE extent = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(status, dc);
  const int width = extent.cx + 12 > kStatusPanelWidth ? extent.cx + 12 : kStatusPanelWidth;
  if (width == countPanelWidth_) return;
  countPanelWidth_ = width;
  int parts[2] = {countPanelWidth_, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void TOrvikBinder::RowsWantThumbnails() {
  // A pass under way takes them in its next sweep; after one, they get theirs as it would.
  if (thumbnails_.running() || thumbnailsPosted_) return;
  thumbnailsPosted_ = true;
  PostMessageA(hwnd_, WM_APP_THUMBNAILS, 0, 0);
}

void TOrvikBinder::CompleteThumbnails() {
  thumbnailsPosted_ = false;
  if (browser_.thumbnailMode() && !thumbnails_.running()) RunThumbnails(false);
}

void TOrvikBinder::HighQualityChanged() {
  // The pictures follow the switch without listing the folder again.
  if (!browser_.thumbnailMode()) return;
  if (thumbnails_.running()) {
    restartThumbnails_ = true;
    return;
  }
  browser_.LeaveThumbnailMode(false);
  RunThumbnails(true);
}

void TOrvikBinder::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // For the outer loop, which ends the program once the pass has returned.
      quitSeen_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TOrvikBinder::TreeView1DblClick() {
  if (tree_.FolderPath(tree_.Selected()) && !browser_.currentFolder().empty())
    ShellExecuteA(hwnd_, "open", browser_.currentFolder().c_str(), nullptr, nullptr, SW_SHOW);
}

void TOrvikBinder::TreeView1KeyUp(WPARAM key) {
  if (key == VK_UP || key == VK_DOWN) TreeView1Click();
}

void TOrvikBinder::SpeedButton4Click() {
  tree_.RefreshGhosting();
  browser_.Refresh();
}

void TOrvikBinder::SpeedBtn1Click(int pressedId) { browser_.SetViewStyle(static_cast<ViewStyle>(pressedId - IDM_VIEW_ICON)); }

void TOrvikBinder::ListView1ColumnClick(int column) { browser_.ColumnClick(column); }

void TOrvikBinder::ListView1DblClick() { listCommands_.OpenSelected(); }

void TOrvikBinder::ListView1KeyDown(WORD key) {
  FileListView& list = browser_.listView();
  if (key == VK_RETURN) listCommands_.OpenSelected();
  // While a label is edited, these keys belong to the edit box.
  if (key == VK_BACK && !list.IsEditingLabel()) commands_.Run(IDM_UP);
  if (key == VK_DELETE && !list.IsEditingLabel()) commands_.Run(IDM_LIST_DELETE);
  if (GetKeyState(VK_CONTROL) < 0 && key == 'C') commands_.Run(IDM_LIST_COPY);
  if (GetKeyState(VK_CONTROL) < 0 && key == 'V') commands_.Run(IDM_LIST_PASTE);
}

void TOrvikBinder::ListView1MouseMove() {
  if (browser_.flatListing()) {
    browser_.MouseMove();
  } else if (statusPath_ != browser_.currentFolder() && applicationHint_.empty()) {
    SetStatusPath(browser_.currentFolder());
  }
}

// ---- the file list's file commands

namespace {
struct ListMenuCommand {
  ListMenuItem item;
  int id;
};
// The send-to item comes with its own command.
const ListMenuCommand kListMenuCommands[] = {
    {ListMenuItem::kOpen, IDM_LIST_OPEN},           {ListMenuItem::kOpenWith, IDM_LIST_OPEN_WITH},
    {ListMenuItem::kCopy, IDM_LIST_COPY},           {ListMenuItem::kPaste, IDM_LIST_PASTE},
    {ListMenuItem::kNewFolder, IDM_LIST_NEW_FOLDER}, {ListMenuItem::kDelete, IDM_LIST_DELETE},
    {ListMenuItem::kProperties, IDM_LIST_PROPERTIES},
};

int ListMenuCommandId(ListMenuItem item) {
  for (const ListMenuCommand& c : kListMenuCommands)
    if (c.item == item) return c.id;
  return 0;
}

std::function<void()> ListMenuAction(ListCommands& list, ListMenuItem item) {
  switch (item) {
    case ListMenuItem::kOpen: return [&list] { list.OpenFromMenu(); };
    case ListMenuItem::kOpenWith: return [&list] { list.OpenWith(); };
    case ListMenuItem::kCopy: return [&list] { list.Copy(); };
    case ListMenuItem::kPaste: return [&list] { list.Paste(); };
    case ListMenuItem::kNewFolder: return [&list] { list.NewFolder(); };
    case ListMenuItem::kDelete: return [&list] { list.Delete(); };
    case ListMenuItem::kProperties: return [&list] { list.ShowProperties(); };
    default: return nullptr;
  }
}
}  // namespace

void TOrvikBinder::DeclareListCommands() {
  for (const ListMenuEntry& entry : ListMenuEntries()) {
    const int id = ListMenuCommandId(entry.item);
    if (id == 0) continue;
    Command c;
    c.id = id;
    c.caption = entry.caption;
    c.picture = entry.image;
    c.run = ListMenuAction(listCommands_, entry.item);
    // Decided when the menu opens; the keys reach copy and paste whatever it showed.
    const ListMenuItem item = entry.item;
    c.visible = [this, item] { return ListMenuItemShown(item, listCommands_.menuState()); };
    commands_.Add(std::move(c));
  }
}

void TOrvikBinder::ReleaseListMenu() {
  if (!listMenu_) return;
  // The send-to submenu outlives the menus that show it.
  for (int i = GetMenuItemCount(listMenu_.get()) - 1; i >= 0; --i)
    if (GetSubMenu(listMenu_.get(), i) == sendToMenu_.get()) RemoveMenu(listMenu_.get(), static_cast<UINT>(i), MF_BYPOSITION);
  listMenu_.Reset();
}

HMENU TOrvikBinder::BuildListMenu(POINT listClient) {
  ReleaseListMenu();
  listCommands_.MenuOpening(listClient);
  HMENU menu = CreatePopupMenu();
  listMenu_.Reset(menu);
  for (const ListMenuEntry& entry : ListMenuEntries()) {
    if (entry.item == ListMenuItem::kSeparator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (entry.item == ListMenuItem::kSendTo) {
      if (sendToMenu_ && ListMenuItemShown(entry.item, listCommands_.menuState()))
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sendToMenu_.get()), entry.caption);
      continue;
    }
    // Items that do not apply are left out, never greyed.
    const Command* command = commands_.Find(ListMenuCommandId(entry.item));
    if (!command || !command->run || !commands_.IsVisible(command->id)) continue;
    AppendCommandItem(menu, *command, entry.shortcut);
  }
  return menu;
}

void TOrvikBinder::ListView1ContextPopup() {
  POINT screen;
  GetCursorPos(&screen);
  POINT client = screen;
  ScreenToClient(browser_.listView().hwnd(), &client);
  HMENU menu = BuildListMenu(client);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr);
}

void TOrvikBinder::ListView1Edited(int row, const char* text) {
  listCommands_.LabelEdited(row, text);
  // Changes on disk waited while the label was edited.
  browser_.ApplyWaitingChanges();
}

// ---- the tree's binder commands

namespace {
int TreeMenuCommandId(TreeMenuItem item) {
  switch (item) {
    case TreeMenuItem::kOpen: return IDM_TREE_OPEN;
    case TreeMenuItem::kNewBinder: return IDM_NEW_BINDER;
    case TreeMenuItem::kAddFolder: return IDM_TREE_ADD_FOLDER;
    case TreeMenuItem::kFolderList: return IDM_TREE_FOLDER_LIST;
    case TreeMenuItem::kRename: return IDM_TREE_RENAME;
    case TreeMenuItem::kCopy: return IDM_TREE_COPY;
    case TreeMenuItem::kPaste: return IDM_TREE_PASTE;
    case TreeMenuItem::kDelete: return IDM_TREE_DELETE;
    default: return 0;
  }
}
}  // namespace

void TOrvikBinder::DeclareTreeCommands() {
  BinderActions& actions = binderActions_;
  auto add = [this](int id, const char* caption, int picture, std::function<void()> run) {
    Command c;
    c.id = id;
    c.caption = caption;
    c.picture = picture;
    c.run = std::move(run);
    commands_.Add(std::move(c));
  };
  for (const TreeMenuEntry& entry : TreeMenuEntries()) {
    switch (entry.item) {
      case TreeMenuItem::kOpen: add(IDM_TREE_OPEN, entry.caption, entry.image, [this] { TreeView1DblClick(); }); break;
      case TreeMenuItem::kAddFolder: add(IDM_TREE_ADD_FOLDER, entry.caption, entry.image, [&actions] { actions.AddFolder(); }); break;
      case TreeMenuItem::kFolderList: add(IDM_TREE_FOLDER_LIST, entry.caption, entry.image, [this] { ShowFolderList(); }); break;
      case TreeMenuItem::kRename: add(IDM_TREE_RENAME, entry.caption, entry.image, [&actions] { actions.StartRename(); }); break;
      case TreeMenuItem::kCopy: add(IDM_TREE_COPY, entry.caption, entry.image, [&actions] { actions.Copy(); }); break;
      case TreeMenuItem::kPaste: add(IDM_TREE_PASTE, entry.caption, entry.image, [&actions] { actions.Paste(); }); break;
      case TreeMenuItem::kDelete: add(IDM_TREE_DELETE, entry.caption, entry.image, [&actions] { actions.Delete(); }); break;
      default: break;  // new binder is the main menu's command; separators are no commands
    }
  }
}

HMENU TOrvikBinder::BuildTreeMenu() {
  const int level = binderActions_.SelectedLevel();
  const bool clipboardFiles = ClipboardHasFiles();
  HMENU menu = CreatePopupMenu();
  for (const TreeMenuEntry& entry : TreeMenuEntries()) {
    if (entry.item == TreeMenuItem::kSeparator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    // Items that do not apply are left out, never greyed.
    const Command* command = commands_.Find(TreeMenuCommandId(entry.item));
    if (!command || !command->run || !TreeMenuItemShown(entry.item, level, clipboardFiles)) continue;
    AppendCommandItem(menu, *command, entry.shortcutKey ? std::string("Ctrl+") + static_cast<char>(entry.shortcutKey) : std::string());
  }
  return menu;
}

void TOrvikBinder::TreeView1ContextPopup(LPARAM at) {
  POINT screen = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: the menu of the selected node, below it.
    RECT r = {};
    HTREEITEM selected = tree_.Selected();
    if (selected && TreeView_GetItemRect(tree_.hwnd(), selected, &r, TRUE)) screen = {r.left, r.bottom};
    else screen = {0, 0};
    ClientToScreen(tree_.hwnd(), &screen);
  } else {
    // As in the shell's trees, the node under the pointer becomes the selection first, so
    // that the menu and its commands are that node's; away from every node there is none.
    POINT client = screen;
    ScreenToClient(tree_.hwnd(), &client);
    HTREEITEM node = tree_.RowAt(client);
    if (!node) return;
    if (node != tree_.Selected()) {
      tree_.Select(node);
      TreeView1Click();
    }
  }
  HMENU menu = BuildTreeMenu();
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr);
  DestroyMenu(menu);
}

LRESULT TOrvikBinder::TreeView1KeyDown(WORD key) {
  // Copy and paste act while the tree has the focus; the list has keys of its own.
  const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  if (key == VK_DELETE) commands_.Run(IDM_TREE_DELETE);
  if (control && key == 'C') commands_.Run(IDM_TREE_COPY);
  if (control && key == 'V') commands_.Run(IDM_TREE_PASTE);
  return 0;
}

void TOrvikBinder::FormDropFiles(HDROP handle) {
  POINT at = {};
  DragQueryPoint(handle, &at);
  if (ChildWindowFromPointEx(hwnd_, at, CWP_SKIPDISABLED | CWP_SKIPINVISIBLE) != tree_.hwnd()) {
    listCommands_.HandleShellDrop(handle);
    return;
  }
  ShellFileList files;
  {
    ShellDrop drop(handle);
    files = drop.Files();
  }
  if (files.malformed) {
    prompter_->Message(kMalformedDropText, kApplicationTitle);
    return;
  }
  MapWindowPoints(hwnd_, tree_.hwnd(), &at, 1);
  binderActions_.DropOnTree(at, files.paths);
}

// ---- send to and the folder list

void TOrvikBinder::FormShow() {
  // The SendTo folder is read once, at the first showing.
  if (sendToMenu_) return;
  sendToMenu_.Reset(CreatePopupMenu());
  sendTo_.Build(sendToMenu_.get(), imageList1_.get(), IDM_SENDTO_FIRST, IDM_SENDTO_LAST - IDM_SENDTO_FIRST + 1);
}

void TOrvikBinder::SendToMenuClick(int id) {
  const SendOutcome outcome = sendTo_.Send(id, browser_.SelectedPaths(), hwnd_);
  // Copies into the listed folder show at once.
  if (outcome.sent && !outcome.made.empty() && outcome.made == browser_.currentFolder()) browser_.Refresh();
}

void TOrvikBinder::ShowFolderList() {
  HTREEITEM binder = tree_.Selected();
  if (!binder || tree_.Level(binder) != 1) return;
  const std::string title = tree_.Text(binder);
  FolderListEdit edit(store_, title, collation_);
  TFolderListDlg dialog(hwnd_, edit, title, browser_.systemSmallImages());
  if (dialog.ShowModal() != IDOK) return;
  for (const std::string& path : dialog.applied()) {
    for (HTREEITEM f = TreeView_GetChild(tree_.hwnd(), binder); f; f = TreeView_GetNextSibling(tree_.hwnd(), f)) {
      const std::string* own = tree_.FolderPath(f);
      if (own && *own == path) {
        tree_.DeleteNode(f);
        break;
      }
    }
  }
}

}  // namespace velmora
