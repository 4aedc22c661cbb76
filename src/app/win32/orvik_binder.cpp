#include "app/win32/orvik_binder.h"

#include <shellapi.h>
#include <windowsx.h>

#include <stdexcept>

#include "app/hint_text.h"
#include "app/win32/control_ids.h"
#include "resource.h"
#include "text/cp932.h"
#include "thumbs/win32/icon_cells.h"

namespace velmora {

namespace {
constexpr int kDesignedWidth = 651;
constexpr int kDesignedHeight = 428;
constexpr int kTopBarHeight = 26;
constexpr int kDefaultLeftWidth = 152;
constexpr int kSplitterWidth = 4;
constexpr int kSplitterMinimum = 50;
constexpr int kPreviewHeight = 95;
constexpr int kStatusPanelWidth = 50;
constexpr int kTreeImageCount = 28;
constexpr COLORREF kMaskColor = RGB(255, 0, 255);

constexpr const char* kSettingsWidth = "WID";
constexpr const char* kSettingsLargeIcons = "FRG";
constexpr const char* kNewBinderHint = "バインダーを新規で作成する";

int ToolbarHeight() { return 22; }

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

std::string DriveRootOf(const std::string& path) {
  // "\\server\share\" for network paths, else the first three characters ("C:\").
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    std::size_t pos = 2;
    for (int component = 0; component < 2 && pos <= path.size(); ++component) {
      std::size_t next = pos;
      while (next < path.size() && path[next] != '\\') next += IsLeadByte(static_cast<unsigned char>(path[next])) ? 2 : 1;
      pos = next + 1;
    }
    return path.substr(0, pos > path.size() ? path.size() : pos);
  }
  return path.substr(0, 3);
}
}  // namespace

AppEnvironment AppEnvironment::FromProcess() {
  AppEnvironment env;
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  env.exeDir = IncludeTrailingBackslash(ParentFolder(exe));
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
      tree_(collation_) {}

TOrvikBinder::~TOrvikBinder() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (imageList1_) ImageList_Destroy(imageList1_);
  if (imageList2_) ImageList_Destroy(imageList2_);
  if (imageList3_) ImageList_Destroy(imageList3_);
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
  Construct();
  FormCreate();
  return hwnd_;
}

void TOrvikBinder::Show(int showCommand) {
  if (registrationMode()) return;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK TOrvikBinder::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TOrvikBinder* self = reinterpret_cast<TOrvikBinder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<TOrvikBinder*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // A handler's exception is shown and the message loop goes on.
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    self->ShowException(e.what());
  } catch (...) {
    self->ShowException("予期しないエラーが発生しました。");
  }
  return 0;
}

void TOrvikBinder::ShowException(const char* what) {
  MessageBoxA(hwnd_, what, kApplicationTitle, MB_OK | MB_ICONSTOP);
}

LRESULT TOrvikBinder::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = 2 * kSplitterMinimum + kSplitterWidth + 16;
      info->ptMinTrackSize.y = 160;
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
      return 0;
    case WM_MEASUREITEM:
      if (wp == 0) {
        OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (wp == 0) {
        OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_APP_COMPLETE_RECORD:
      return CompleteRecord(lp);
    case WM_APP_WORKER_DONE:
      FileInfoWorkerDone(static_cast<unsigned>(wp));
      return 0;
    case WM_MENUSELECT: {
      // A highlighted menu item shows its hint like a control under the mouse.
      const bool closed = HIWORD(wp) == 0xFFFF && lp == 0;
      auto hint = commandHints_.find(LOWORD(wp));
      ApplicationHintChanged(!closed && hint != commandHints_.end() && !(HIWORD(wp) & MF_POPUP) ? hint->second
                                                                                              : std::string());
      return 0;
    }
    case WM_DROPFILES:
      // Dropped files are taken up by the file commands; until then the drop is released.
      DragFinish(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_APP_TREE_CLICK:
      TreeView1Click();
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      return 0;
    case WM_SETCURSOR: {
      // The hourglass of a listing stays until its worker has completed every record.
      if (hourglass_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return TRUE;
      }
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      if (reinterpret_cast<HWND>(wp) == hwnd_ && p.y >= kTopBarHeight && p.x >= leftWidth_ &&
          p.x < leftWidth_ + kSplitterWidth) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE)));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
      if (y >= kTopBarHeight && x >= leftWidth_ && x < leftWidth_ + kSplitterWidth) {
        splitterTracking_ = true;
        splitterGrabOffset_ = x - leftWidth_;
        SetCapture(hwnd_);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (splitterTracking_) SetLeftPaneWidth(GET_X_LPARAM(lp) - splitterGrabOffset_);
      return 0;
    case WM_LBUTTONUP:
      if (dragFromList_ || dragFromTree_) EndInternalDrag();
      if (splitterTracking_) {
        splitterTracking_ = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      splitterTracking_ = false;
      if ((dragFromList_ || dragFromTree_) && reinterpret_cast<HWND>(lp) != hwnd_) EndInternalDrag();
      return 0;
    case WM_CLOSE:
      FormClose();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      FormDestroy();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void TOrvikBinder::CreateControls() {
  font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
  LoadImageLists();

  const TBBUTTON treeButtons[] = {
      {8, IDM_EXPAND_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {8, IDM_EXPAND_BINDERS, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
      {9, IDM_COLLAPSE_ALL, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
  };
  MakeToolbar(hwnd_, IDC_TREEBAR, imageList1_, treeButtons, 3);
  commandHints_[IDM_EXPAND_ALL] = "全て展開";
  commandHints_[IDM_EXPAND_BINDERS] = "バインダーまで展開";
  commandHints_[IDM_COLLAPSE_ALL] = "全て縮小";

  HWND lareg = MakeControl(hwnd_, "BUTTON", "Lareg", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_LAREG);
  AddControlHint(lareg, "大きいアイコン");

  // The list tool bar's own pictures: the up arrow, then the view, refresh and thumbnail
  // pictures of the tree list.
  HIMAGELIST barImages = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 6, 0);
  HBITMAP up = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(IDB_UP16), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ImageList_AddMasked(barImages, up, kMaskColor);
  DeleteObject(up);
  for (int index : {17, 18, 19, 20, 22}) {
    HICON icon = ImageList_GetIcon(imageList1_, index, ILD_NORMAL);
    ImageList_AddIcon(barImages, icon);
    DestroyIcon(icon);
  }
  listBarImages_ = barImages;
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
  commandHints_[IDM_UP] = "一つ上のフォルダ";
  commandHints_[IDM_VIEW_ICON] = "アイコン";
  commandHints_[IDM_VIEW_LIST] = "一覧";
  commandHints_[IDM_VIEW_DETAIL] = "詳細";
  commandHints_[IDM_THUMBNAILS] = "サムネイル表示";
  commandHints_[IDM_REFRESH] = "更新|最新の情報に更新";

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

  HWND progress = MakeControl(hwnd_, PROGRESS_CLASSA, "", 0, IDC_PROGRESS);
  AddControlHint(progress, "進捗|サムネイルの進捗を表示");
  MakeControl(hwnd_, "BUTTON", "高画質", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_HIGH_QUALITY);

  HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                              0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)),
                              instance_, nullptr);
  tree_.Attach(tree);

  // The preview area and its splitter stay hidden until a picture is previewed.
  MakeControl(hwnd_, "STATIC", "", SS_BITMAP | SS_CENTERIMAGE, IDC_PREVIEW);
  ShowWindow(control(IDC_PREVIEW), SW_HIDE);

  CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                      LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS | LVS_EDITLABELS,
                  0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST)), instance_,
                  nullptr);
  listView_.Attach(control(IDC_LIST), &fileRecords_);
  listView_.CreateColumns();
  CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)), instance_, nullptr);

  EnumChildWindows(hwnd_, &SetChildFont, reinterpret_cast<LPARAM>(font_));
  CreateMainMenu();
}

void TOrvikBinder::LoadImageLists() {
  imageList1_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kTreeImageCount + 1, 8);
  HBITMAP strip16 = static_cast<HBITMAP>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDB_IMAGELIST16), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ImageList_AddMasked(imageList1_, strip16, kMaskColor);
  DeleteObject(strip16);
  // The 32-pixel list is resized to the shell's large icon size once that is known.
  imageList3_ = ImageList_Create(32, 32, ILC_COLOR24 | ILC_MASK, 5, 4);
}

void TOrvikBinder::CreateMainMenu() {
  auto add = [this](HMENU menu, UINT id, const char* text, int image) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    mii.fType = MFT_STRING;
    mii.wID = id;
    mii.dwTypeData = const_cast<char*>(text);
    if (image >= 0) {
      mii.fMask |= MIIM_BITMAP;
      mii.hbmpItem = HBMMENU_CALLBACK;
      menuImages_[id] = image;
    }
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
  };
  HMENU file = CreatePopupMenu();
  add(file, IDM_NEW_BINDER, "新規作成(&N)", 0);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  add(file, IDM_EXIT, "終了(&X)", -1);
  HMENU edit = CreatePopupMenu();
  add(edit, IDM_SELECT_ALL, "全て選択\tCtrl+A", 5);
  add(edit, IDM_INVERT_SELECTION, "選択の切り替え(&I)", 16);
  HMENU options = CreatePopupMenu();
  add(options, IDM_SENDTO_OPTION, "「送る」メニューに追加", 26);
  HMENU help = CreatePopupMenu();
  add(help, IDM_HELP, "ヘルプ(&H)", 15);
  add(help, IDM_ABOUT, "バージョン情報", 13);
  mainMenu_ = CreateMenu();
  AppendMenuA(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "ファイル(&F)");
  AppendMenuA(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "編集(&E)");
  AppendMenuA(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(options), "設定(&O)");
  AppendMenuA(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "ヘルプ(&H)");
  SetMenu(hwnd_, mainMenu_);

  ACCEL accel[] = {{FVIRTKEY | FCONTROL, 'A', IDM_SELECT_ALL}};
  accelerators_ = CreateAcceleratorTableA(accel, 1);
}

void TOrvikBinder::Construct() {
  // Steps before the window is shown; the controls exist already.
  SetWindowTextA(hwnd_, kApplicationTitle);
  dragFromList_ = dragFromTree_ = thumbnailMode_ = false;
  commandHints_[IDM_NEW_BINDER] = kNewBinderHint;

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  const BOOL gotVersion = GetVersionExA(&version);
  if (gotVersion) {
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
      systemLevel_ = version.dwMajorVersion >= 5 ? 2 : 0;
    else
      systemLevel_ = (version.dwMajorVersion == 4 && version.dwMinorVersion >= 90) ? 1 : 0;
  }

  char userName[1024] = "";
  DWORD userLength = sizeof(userName);
  if (!GetUserNameA(userName, &userLength)) userName[0] = '\0';
  store_.SetUpPaths(env_.exeDir, userName);

  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
  SHGetMalloc(shellMalloc_.put());
  SHGetDesktopFolder(desktopFolder_.put());

  shellInfo_.SetUp(desktopFolder_.get(), shellMalloc_.get(), systemLevel_);

  SetUpSystemImageLists();
  // Placeholders of listed records: the ".dat" type's icon for files (no such file is
  // touched) and the program's own folder's icon for folders.
  defaultFileIcon_ = shellInfo_.GetFileInfoBySHGetFileInfo("*.dat");
  std::string ownFolder = env_.exeDir;
  if (ownFolder.size() > 3 && EndsWithBackslash(ownFolder)) ownFolder.pop_back();
  defaultFolderIcon_ = shellInfo_.GetFileInfoBySHGetFileInfo(ownFolder);
  SetUpRootIcon();

  separators_ = LocaleSeparators::FromUserLocale();
  listView_.SetThousandsSeparator(separators_.thousands);
}

void TOrvikBinder::SetUpSystemImageLists() {
  const std::string root = env_.exeDir.substr(0, 3);
  SHFILEINFOA info = {};
  HIMAGELIST small = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  HIMAGELIST large =
      reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX));
  if (small && large) {
    HWND list = control(IDC_LIST);
    ListView_SetImageList(list, large, LVSIL_NORMAL);
    ListView_SetImageList(list, small, LVSIL_SMALL);
    systemSmall_ = small;
    systemLarge_ = large;
    imageList4_ = large;
  }
}

void TOrvikBinder::SetUpRootIcon() {
  const std::string root = DriveRootOf(env_.exeDir);
  IconHandle large;
  GetFileIcon(large, root, false, false);
  if (large.get()) {
    thumbWidth_ = large.Width() > 0 ? large.Width() : 32;
    thumbHeight_ = large.Height() > 0 ? large.Height() : 32;
  }
  imageList2_ = ImageList_Create(thumbWidth_, thumbHeight_, ILC_COLOR32 | ILC_MASK, 0, 16);
  // The binder and folder pictures are drawn at 32 pixels and fitted to the shell's size.
  ImageList_SetIconSize(imageList3_, thumbWidth_, thumbHeight_);
  HBITMAP strip32 = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(IDB_IMAGELIST32), IMAGE_BITMAP,
                                                   4 * thumbWidth_, thumbHeight_, LR_CREATEDIBSECTION));
  ImageList_AddMasked(imageList3_, strip32, kMaskColor);
  DeleteObject(strip32);
  rootIndex32_ = AddIconCell(imageList3_, large.get(), false);

  IconHandle small;
  GetFileIcon(small, root, false, true);
  rootIndex16_ = AddIconCell(imageList1_, small.get(), false);
  rootIndex_ = rootIndex16_;
}

void TOrvikBinder::FormCreate() {
  const bool bindersExist = store_.Load();
  if (bindersExist) {
    std::vector<BinderEntry> binders = ReadBinders(store_, collation_);
    SortBinders(binders, collation_);
    tree_.Build(binders, rootIndex_);
    tree_.RestoreExpandedState(store_.folders);
    tree_.ExpandRoot();
  } else {
    tree_.BuildRootOnly(rootIndex_);
  }

  SetLeftPaneWidth(store_.folders.ReadInteger(BinderStore::kSettingsSection, kSettingsWidth, leftWidth_));
  Check(control(IDC_LAREG), store_.folders.ReadBool(BinderStore::kSettingsSection, kSettingsLargeIcons, false));
  LargeIconsChanged();

  DragAcceptFiles(hwnd_, TRUE);
  if (!env_.params.empty()) registrationMode_ = 1;
}

void TOrvikBinder::FormClose() {
  StopFileInfoWorker();
  if (listView_.RowCount() > 0) {
    BulkUpdate update(listView_.hwnd());
    listView_.SetRowCount(0);
  }
}

void TOrvikBinder::FormDestroy() {
  // Shell objects go before COM does, so that their Release still has COM to run in.
  shellInfo_.ResetCache();
  desktopFolder_.Reset();
  shellMalloc_.Reset();
  if (comInitialized_) CoUninitialize();
  if (oleInitialized_) OleUninitialize();
  comInitialized_ = oleInitialized_ = false;

  ClearFileRecords();
  tree_.ReleasePaths();
  tree_.SaveExpandedState(store_.folders);
  store_.folders.WriteBool(BinderStore::kSettingsSection, kSettingsLargeIcons, IsChecked(control(IDC_LAREG)));
  store_.folders.WriteInteger(BinderStore::kSettingsSection, kSettingsWidth, leftWidth_);
  const std::vector<std::string> failed = store_.Save();
  for (const std::string& path : failed) {
    prompter_->Message("次のファイルを保存できませんでした。以前の内容はそのまま残っています。\r\n\r\n" + path,
                       kApplicationTitle);
  }
  if (listBarImages_) {
    SendMessageA(control(IDC_LISTBAR), TB_SETIMAGELIST, 0, 0);
    ImageList_Destroy(listBarImages_);
    listBarImages_ = nullptr;
  }
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
  int parts[2] = {kStatusPanelWidth, -1};
  SendMessageA(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  const int width = client.right;
  const int maxLeft = width - kSplitterWidth - kSplitterMinimum;
  if (leftWidth_ > maxLeft) leftWidth_ = maxLeft;
  if (leftWidth_ < kSplitterMinimum) leftWidth_ = kSplitterMinimum;
  const int top = kTopBarHeight;
  const int paneHeight = client.bottom - top - statusHeight;

  HWND preview = control(IDC_PREVIEW);
  const bool previewShown = IsWindowVisible(preview) != FALSE;
  const int treeHeight = previewShown ? paneHeight - kPreviewHeight - kSplitterWidth : paneHeight;
  HDWP dwp = BeginDeferWindowPos(12);
  dwp = DeferWindowPos(dwp, control(IDC_TREE), nullptr, 0, top, leftWidth_, treeHeight, SWP_NOZORDER);
  if (previewShown)
    dwp = DeferWindowPos(dwp, preview, nullptr, 0, top + treeHeight + kSplitterWidth, leftWidth_, kPreviewHeight,
                         SWP_NOZORDER);
  const int listLeft = leftWidth_ + kSplitterWidth;
  dwp = DeferWindowPos(dwp, control(IDC_LIST), nullptr, listLeft, top, width - listLeft, paneHeight, SWP_NOZORDER);

  HWND treeBar = control(IDC_TREEBAR);
  const int treeBarWidth = ToolbarWidth(treeBar);
  dwp = DeferWindowPos(dwp, treeBar, nullptr, 2, 2, treeBarWidth, ToolbarHeight(), SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_LAREG), nullptr, treeBarWidth + 8, 5, 52, 16, SWP_NOZORDER);
  EndDeferWindowPos(dwp);
  // Every size change repaints the whole list.
  listView_.FitNameColumn();
  InvalidateRect(listView_.hwnd(), nullptr, TRUE);
  SplitterMoved();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TOrvikBinder::SplitterMoved() {
  // The list tool bar and the controls after it start at the file list's left edge.
  int x = leftWidth_ + kSplitterWidth;
  HWND listBar = control(IDC_LISTBAR);
  const int barWidth = ToolbarWidth(listBar);
  HDWP dwp = BeginDeferWindowPos(7);
  dwp = DeferWindowPos(dwp, listBar, nullptr, x, 2, barWidth, ToolbarHeight(), SWP_NOZORDER);
  x += barWidth + 6;
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_GROUP), nullptr, x, -1, 112, kTopBarHeight + 1, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_S), nullptr, x + 8, 10, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_H), nullptr, x + 42, 10, 28, 14, SWP_NOZORDER);
  dwp = DeferWindowPos(dwp, control(IDC_ATTR_R), nullptr, x + 76, 10, 28, 14, SWP_NOZORDER);
  x += 118;
  dwp = DeferWindowPos(dwp, control(IDC_PROGRESS), nullptr, x, 6, 100, 14, SWP_NOZORDER);
  x += 106;
  dwp = DeferWindowPos(dwp, control(IDC_HIGH_QUALITY), nullptr, x, 5, 60, 16, SWP_NOZORDER);
  EndDeferWindowPos(dwp);
}

void TOrvikBinder::SetLeftPaneWidth(int width) {
  leftWidth_ = width;
  Layout();
}

void TOrvikBinder::LargeIconsChanged() {
  const bool large = IsChecked(control(IDC_LAREG));
  rootIndex_ = large ? rootIndex32_ : rootIndex16_;
  tree_.UseImageList(large ? imageList3_ : imageList1_, !large);
  // The root's picture indexes the list in use, so it follows the switch at start as well.
  if (tree_.Root()) tree_.SetRootImage(rootIndex_);
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
      auto hint = commandHints_.find(button.idCommand);
      if (hint != commandHints_.end()) return hint->second;
    }
  }
  return std::string();
}

bool TOrvikBinder::PreTranslateMessage(MSG& msg) {
  if (msg.message == WM_KEYUP && msg.hwnd == tree_.hwnd()) TreeView1KeyUp(msg.wParam);
  if (msg.message == WM_MOUSEMOVE && msg.hwnd == listView_.hwnd()) ListView1MouseMove();
  if (msg.message == WM_MOUSEMOVE && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
    POINT p = msg.pt;
    ApplicationHintChanged(HintAt(msg.hwnd, p));
  }
  if (accelerators_ && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    // Keys typed into a label editor stay there.
    char cls[32] = "";
    GetClassNameA(msg.hwnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, "Edit") != 0 && TranslateAcceleratorA(hwnd_, accelerators_, &msg)) return true;
  }
  return false;
}

void TOrvikBinder::ApplicationHintChanged(const std::string& hint) {
  if (hint == applicationHint_) return;
  applicationHint_ = hint;
  // Without a hint the panel shows the path again rather than going blank.
  SendMessageA(control(IDC_STATUS), SB_SETTEXTA, 1,
               reinterpret_cast<LPARAM>((hint.empty() ? statusPath_ : LongHint(hint)).c_str()));
}

void TOrvikBinder::SetStatusText(int panel, const std::string& text) {
  SendMessageA(control(IDC_STATUS), SB_SETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

void TOrvikBinder::SetStatusPath(const std::string& text) {
  statusPath_ = text;
  SetStatusText(1, text);
}

void TOrvikBinder::OnCommand(int id, int code) {
  switch (id) {
    case IDM_EXPAND_ALL:
    case IDM_EXPAND_BINDERS:
    case IDM_COLLAPSE_ALL:
      ExpandButtonClick(id - IDM_EXPAND_ALL);
      break;
    case IDC_LAREG:
      if (code == BN_CLICKED) LargeIconsChanged();
      break;
    case IDM_EXIT:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      break;
    case IDM_HELP:
      OpenHelp();
      break;
    case IDM_UP:
      if (IsButtonEnabled(IDM_UP)) GoUp();
      break;
    case IDM_VIEW_ICON:
    case IDM_VIEW_LIST:
    case IDM_VIEW_DETAIL:
      SpeedBtn1Click(id);
      break;
    case IDM_REFRESH:
      SpeedButton4Click();
      break;
    default:
      break;
  }
}

LRESULT TOrvikBinder::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_LIST) {
    LRESULT result = 0;
    if (listView_.HandleNotify(header, result)) return result;
    switch (header->code) {
      case LVN_COLUMNCLICK:
        ListView1ColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
      case NM_DBLCLK:
        if (listView_.SelectedCount() == 1) OpenRow(listView_.FirstSelected());
        return 0;
      case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_RETURN && listView_.SelectedCount() == 1) OpenRow(listView_.FirstSelected());
        if (key == VK_BACK && !listView_.IsEditingLabel() && IsButtonEnabled(IDM_UP)) GoUp();
        return 0;
      }
      case LVN_BEGINDRAG:
        BeginInternalDrag(true);
        return 0;
      default:
        return 0;
    }
  }
  if (header->idFrom == IDC_TREE) {
    LRESULT result = 0;
    if (tree_.HandleNotify(header, result)) return result;
    switch (header->code) {
      case NM_CLICK:
        // The control changes its selection after this notification; the listing follows
        // the new selection, so it runs once the click has been handled.
        PostMessageA(hwnd_, WM_APP_TREE_CLICK, 0, 0);
        return 0;
      case TVN_SELCHANGINGA:
      case TVN_SELCHANGINGW:
        SaveSelection(-1);
        return FALSE;
      case TVN_BEGINDRAGA:
      case TVN_BEGINDRAGW: {
        HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem;
        if (tree_.FolderPath(item)) {
          TreeView_SelectItem(tree_.hwnd(), item);
          BeginInternalDrag(false);
        }
        return 0;
      }
      case NM_DBLCLK:
        TreeView1DblClick();
        return 0;
      default:
        return 0;
    }
  }
  if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
    // Tool bar buttons ask for their tooltip by command id.
    auto hint = commandHints_.find(static_cast<int>(header->idFrom));
    if (hint != commandHints_.end()) {
      static std::string shortTextA;
      static std::wstring shortTextW;
      shortTextA = ShortHint(hint->second);
      if (header->code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(shortTextA.c_str());
      } else {
        shortTextW = AnsiToWide(shortTextA, 1024);
        reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = const_cast<wchar_t*>(shortTextW.c_str());
      }
    }
    return 0;
  }
  return 0;
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
  const std::string help = env_.exeDir + "Help\\Velmora.htm";
  ShellExecuteA(hwnd_, "open", help.c_str(), nullptr, nullptr, SW_SHOW);
}

void TOrvikBinder::OnInitMenuPopup(HMENU menu) {
  const UINT state = GetMenuState(menu, IDM_SENDTO_OPTION, MF_BYCOMMAND);
  if (state == static_cast<UINT>(-1)) return;
  menuImages_[IDM_SENDTO_OPTION] = (state & MF_CHECKED) ? 27 : 26;
}

void TOrvikBinder::OnMeasureItem(MEASUREITEMSTRUCT* mi) {
  if (mi->CtlType != ODT_MENU) return;
  mi->itemWidth = 16;
  mi->itemHeight = 16;
}

void TOrvikBinder::OnDrawItem(DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_MENU) return;
  auto image = menuImages_.find(di->itemID);
  if (image == menuImages_.end()) return;
  const int y = di->rcItem.top + ((di->rcItem.bottom - di->rcItem.top) - 16) / 2;
  ImageList_Draw(imageList1_, image->second, di->hDC, di->rcItem.left, y,
                 (di->itemState & ODS_GRAYED) ? ILD_BLEND50 : ILD_TRANSPARENT);
}

void TOrvikBinder::TreeView1DblClick() {
  if (tree_.FolderPath(tree_.Selected()) && !currentFolder_.empty())
    ShellExecuteA(hwnd_, "open", currentFolder_.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace velmora
