#include "shellops/win32/send_to_menu.h"

#include <shellapi.h>
#include <shlobj.h>

#include "common/link_names.h"
#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/owned_handle.h"
#include "win32/drop_source.h"
#include "win32/strings.h"

namespace velmora {

namespace {

constexpr const char* kNoMailHandler = "メールの送信先を扱うプログラムが見つかりません。";
constexpr const char* kMailNotSent = "メールの送信先に渡せませんでした。";
constexpr const char* kNoDesktop = "デスクトップにショートカットを作成できませんでした。";
constexpr const char* kNoDocuments = "ドキュメント フォルダが見つかりません。";
constexpr const char* kNotStarted = "を開けませんでした。";
constexpr const char* kOptionNotWritten = "「送る」メニューのショートカットを作成できませんでした。";
constexpr const char* kOptionNotDeleted = "「送る」メニューのショートカットを削除できませんでした。";

// The system's words for an error; "%1" in them names the path concerned, and line breaks
// at the end go.
std::string SystemMessage(FileSystem& fs, DWORD code, const std::string& path) {
  std::string message = fs.ErrorText(code);
  MogChange(message, "%1", path);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

SendToMenu::SendToMenu(TShellLink& links, FileCommands& files, const ShellContext& shell, Prompter& prompter)
    : links_(links), files_(files), shell_(shell), prompter_(prompter) {}

std::vector<SendToRow> SendToMenu::ListSendToEntries(const std::string& folder) {
  std::vector<ListedEntry> listing;
  if (!folder.empty()) {
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(AnsiToWide(JoinPath(folder, "*.*")).c_str(), &found));
    if (search) {
      do listing.push_back({WideToAnsi(found.cFileName), found.dwFileAttributes});
      while (FindNextFileW(search.get(), &found));
    }
  }
  return SendToRows(folder, listing);
}

void SendToMenu::Build(HMENU menu, HIMAGELIST images, int firstId, int maxItems) {
  entries_.clear();
  images_ = images;
  firstId_ = firstId;
  for (SendToRow& row : ListSendToEntries(links_.GetPath(TShellLink::kSendTo))) {
    if (static_cast<int>(entries_.size()) >= maxItems) break;
    Entry entry;
    entry.row = std::move(row);
    SHFILEINFOW info = {};
    if (images && SHGetFileInfoW(AnsiToWide(entry.row.path).c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
        info.hIcon) {
      // The index the list gives, not a count kept here: an icon it refuses takes no place.
      entry.image = ImageList_AddIcon(images, info.hIcon);
      DestroyIcon(info.hIcon);
    }
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
    item.wID = static_cast<UINT>(firstId + static_cast<int>(entries_.size()));
    item.dwTypeData = const_cast<char*>(entry.row.caption.c_str());
    item.hbmpItem = HBMMENU_CALLBACK;
    item.dwItemData = entries_.size();
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item);
    entries_.push_back(std::move(entry));
  }
}

std::string SendToMenu::Hint(int id) const { return Owns(id) ? entries_[id - firstId_].row.path : std::string(); }

int SendToMenu::Image(int id) const { return Owns(id) ? entries_[id - firstId_].image : -1; }

bool SendToMenu::DrawItem(const DRAWITEMSTRUCT& item) const {
  if (item.CtlType != ODT_MENU || !Owns(static_cast<int>(item.itemID))) return false;
  const int image = Image(static_cast<int>(item.itemID));
  if (image >= 0 && images_) {
    const int y = item.rcItem.top + ((item.rcItem.bottom - item.rcItem.top) - 16) / 2;
    ImageList_Draw(images_, image, item.hDC, item.rcItem.left, y,
                   (item.itemState & ODS_GRAYED) ? ILD_BLEND50 : ILD_TRANSPARENT);
  }
  return true;
}

SendOutcome SendToMenu::Send(int id, const std::vector<std::string>& paths, HWND owner) {
  SendOutcome outcome;
  if (!Owns(id) || paths.empty() || RefuseTooLongPaths(paths, prompter_, kSendToCaption)) return outcome;
  // A shortcut entry stands for its target; without an owner the shell asks nothing while
  // resolving, and an unresolved shortcut is handed to the shell as it is.
  links_.GetLinkToPath(Hint(id), outcome.target, nullptr);
  if (outcome.target.empty()) return outcome;
  outcome.kind = ClassifySendTarget(outcome.target, IsExistingFolder(outcome.target));
  switch (outcome.kind) {
    case SendToKind::kDeskLink: {
      const std::string desktop = links_.GetPath(TShellLink::kDesktop);
      const std::string& first = paths.front();
      if (!desktop.empty())
        outcome.made = links_.CreateLink2(first, nullptr, IncludeTrailingBackslash(desktop),
                                          DeskLinkName(first, IsExistingFolder(first)), false);
      outcome.sent = !outcome.made.empty();
      if (!outcome.sent) prompter_.Message(kNoDesktop, kSendToCaption);
      break;
    }
    case SendToKind::kMyDocs: {
      const std::string documents = links_.GetPath(TShellLink::kDocuments);
      if (documents.empty()) {
        prompter_.Message(kNoDocuments, kSendToCaption);
        break;
      }
      const CopyResult copy = files_.CopyInto(documents, paths);
      outcome.made = copy.folder;
      outcome.sent = copy.shellResult == 0 && !copy.aborted && !copy.folder.empty();
      break;
    }
    case SendToKind::kMailRecipient:
      outcome.sent = SendToDropHandler(FileExtension(outcome.target), paths);
      break;
    case SendToKind::kFolder: {
      const CopyResult copy = files_.CopyInto(outcome.target, paths);
      outcome.made = copy.folder;
      outcome.sent = copy.shellResult == 0 && !copy.aborted && !copy.folder.empty();
      break;
    }
    case SendToKind::kProgram:
      return SendToProgram(outcome.target, paths, owner);
  }
  return outcome;
}

SendOutcome SendToMenu::SendToProgram(const std::string& target, const std::vector<std::string>& paths, HWND owner) {
  SendOutcome outcome;
  outcome.kind = SendToKind::kProgram;
  outcome.target = target;
  const std::string parameters = SendToParameters(paths);
  // Wide, so that the program receives names the code page cannot spell as they are.
  const std::wstring file = AnsiToWide(target);
  const std::wstring wideParameters = AnsiToWide(parameters);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  // The shell's own error box would be a second one: the failure is reported here.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpFile = file.c_str();
  info.lpParameters = wideParameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) {
    outcome.sent = true;
  } else {
    const DWORD error = GetLastError();
    prompter_.Message("\"" + target + "\" " + kNotStarted + "\r\n" + SystemMessage(files_.fileSystem(), error, target),
                      kSendToCaption);
  }
  return outcome;
}

bool SendToMenu::SendToDropHandler(const std::string& extension, const std::vector<std::string>& paths) {
  char value[256] = "";
  LONG size = sizeof value - 1;
  std::string classId;
  if (!extension.empty() && RegQueryValueA(HKEY_CLASSES_ROOT, extension.c_str(), value, &size) == ERROR_SUCCESS)
    classId = DropHandlerClassId(std::string(value, strnlen(value, sizeof value - 1)));
  CLSID handlerClass;
  ComPtr<IDropTarget> target;
  HRESULT result = E_FAIL;
  if (!classId.empty() && SUCCEEDED(CLSIDFromString(AnsiToWide(classId).c_str(), &handlerClass)))
    result = CoCreateInstance(handlerClass, nullptr, CLSCTX_ALL, IID_IDropTarget, target.put_void());
  if (FAILED(result) || !target) {
    prompter_.Message(kNoMailHandler, kSendToCaption);
    return false;
  }
  ComPtr<IDataObject> data = MakeShellDataObject(shell_, paths);
  if (!data) {
    prompter_.Message(kMailNotSent, kSendToCaption);
    return false;
  }
  POINTL point = {1, 1};
  DWORD effect = DROPEFFECT_NONE;
  result = target->Drop(data.get(), MK_LBUTTON, point, &effect);
  if (FAILED(result)) {
    prompter_.Message(std::string(kMailNotSent) + "\r\n" +
                          SystemMessage(files_.fileSystem(), static_cast<DWORD>(result), paths.front()),
                      kSendToCaption);
    return false;
  }
  return true;
}

// ---- the program's own SendTo shortcut

SendToShortcutOption::SendToShortcutOption(TShellLink& links, std::string exePath, std::string title)
    : links_(links), exePath_(std::move(exePath)), title_(std::move(title)) {}

bool SendToShortcutOption::Present() { return links_.ChkLink(exePath_, nullptr, title_, TShellLink::kSendTo); }

bool SendToShortcutOption::Load() { return checked_ = Present(); }

bool SendToShortcutOption::Toggle(Prompter& prompter) {
  const bool wanted = !checked_;
  // Without the program's own path there is nothing for a shortcut to lead to.
  if (wanted && exePath_.empty()) {
    prompter.Message(kOptionNotWritten, kSendToCaption);
    return checked_;
  }
  if (wanted)
    links_.CreateLink(exePath_, nullptr, TShellLink::kSendTo, title_, true);
  else
    links_.DeleteLink(TShellLink::kSendTo, exePath_, title_);
  checked_ = Present();
  if (checked_ != wanted) prompter.Message(wanted ? kOptionNotWritten : kOptionNotDeleted, kSendToCaption);
  return checked_;
}

void SendToShortcutOption::ShowIn(HMENU menu, int id) const {
  CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked_ ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace velmora
