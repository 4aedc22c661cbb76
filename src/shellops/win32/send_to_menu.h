// The file list's "送る(&N)" submenu: one item per visible entry of the user's SendTo folder,
// and sending paths to an entry the way the shell's own Send To does. Also the option that
// puts this program's own shortcut into that folder.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/prompter.h"
#include "shellops/send_to.h"
#include "shellops/win32/file_commands.h"
#include "win32/shell_context.h"
#include "win32/shell_link.h"

namespace velmora {

constexpr const char* kSendToCaption = "送る";  // caption of the send-to error messages

// What sending did.
struct SendOutcome {
  bool sent = false;  // false: refused or failed (the prompter has said why) or nothing to send
  SendToKind kind = SendToKind::kProgram;
  std::string target;  // the entry, or the target of its shortcut
  std::string made;    // the desktop shortcut made, or the folder the copies went to
};

class SendToMenu {
 public:
  // The SendTo, desktop and documents folders come from links.GetPath, so a subclass can
  // point them elsewhere.
  SendToMenu(TShellLink& links, FileCommands& files, const ShellContext& shell, Prompter& prompter);

  // Appends one item per entry of the SendTo folder to menu, with the command ids firstId,
  // firstId + 1, ... (at most maxItems of them, so that the ids stay in the caller's range),
  // and each entry's small icon to images (which may be null). The folder is read here
  // only; a missing or empty folder gives no items. Items are drawn through
  // HBMMENU_CALLBACK: the owner passes WM_DRAWITEM on to DrawItem. Once per menu.
  void Build(HMENU menu, HIMAGELIST images, int firstId, int maxItems = 1000);
  std::size_t Count() const { return entries_.size(); }
  bool Owns(int id) const { return id >= firstId_ && id < firstId_ + static_cast<int>(entries_.size()); }
  // The entry's full path (the item's hint); empty for an id the menu does not own.
  std::string Hint(int id) const;
  // The entry's picture in the image list given to Build; -1 when it has none.
  int Image(int id) const;
  // Draws an owned item's picture; false for any other item.
  bool DrawItem(const DRAWITEMSTRUCT& item) const;

  // Sends the paths (full paths, in row order) to the entry of the id. owner: the window
  // that owns what the shell shows.
  SendOutcome Send(int id, const std::vector<std::string>& paths, HWND owner);

  // The folder's entries as the menu shows them (ListSendToEntries with the captions).
  static std::vector<SendToRow> ListSendToEntries(const std::string& folder);

 private:
  struct Entry {
    SendToRow row;
    int image = -1;
  };
  SendOutcome SendToProgram(const std::string& target, const std::vector<std::string>& paths, HWND owner);
  bool SendToDropHandler(const std::string& extension, const std::vector<std::string>& paths);

  TShellLink& links_;
  FileCommands& files_;
  const ShellContext& shell_;
  Prompter& prompter_;
  std::vector<Entry> entries_;
  HIMAGELIST images_ = nullptr;
  int firstId_ = 0;
};

// "「送る」メニューに追加": this program's shortcut in the SendTo folder, named after the
// application. The check mark shows whether the shortcut is there.
class SendToShortcutOption {
 public:
  SendToShortcutOption(TShellLink& links, std::string exePath, std::string title);
  // At start: whether the shortcut is there.
  bool Load();
  // A click: creates the shortcut when it is absent, deletes it when present (replacing one
  // of the same name). The mark then shows what the folder holds, so a failed write leaves
  // it clear; the failure is reported. Gives the new state.
  bool Toggle(Prompter& prompter);
  bool checked() const { return checked_; }
  int image() const { return SendToOptionImage(checked_); }
  // Sets the menu item's check mark to the state.
  void ShowIn(HMENU menu, int id) const;

 private:
  bool Present();

  TShellLink& links_;
  std::string exePath_;
  std::string title_;
  bool checked_ = false;
};

}  // namespace velmora
