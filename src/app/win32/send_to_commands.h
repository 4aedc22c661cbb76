// The file list's "送る(&N)" submenu and the option that puts this program's shortcut into
// the SendTo folder, as the main window offers them: the submenu is built at the first
// showing and lent to the list's context menu; its items send the selected rows.
#pragma once
#include <windows.h>

#include <string>

#include "app/win32/list_commands.h"
#include "browse/win32/browser.h"
#include "common/command_table.h"
#include "shellops/win32/send_to_menu.h"

namespace velmora {

class SendToCommands {
 public:
  SendToCommands(TShellLink& links, ListCommands& list, Browser& browser, const ShellContext& shell,
                 Prompter& prompter, std::string exePath);

  // The main window: owner of what the shell shows; the option's check mark is in its menu bar.
  void SetOwner(HWND owner) { owner_ = owner; }
  // At start, once the shell is up: whether the shortcut is there.
  void LoadOption();
  void BindCommands(CommandTable& table);
  // At the first showing: reads the SendTo folder into the list's submenu.
  void BuildMenu(HIMAGELIST pictures);

  // Runs a submenu item; false for an id the submenu does not own.
  bool Run(int id);
  // A highlighted item's hint: the entry's path for a submenu item, else the command's.
  std::string Hint(int id, const CommandTable& table) const;
  // Draws a submenu item's picture; false for any other item.
  bool DrawItem(const DRAWITEMSTRUCT& item) const { return menu_.DrawItem(item); }
  // A command's picture in a menu: the option shows whether the shortcut is there.
  int Picture(const Command& command) const;

 private:
  ListCommands& list_;
  Browser& browser_;
  Prompter& prompter_;
  SendToMenu menu_;
  SendToShortcutOption option_;
  HWND owner_ = nullptr;
};

}  // namespace velmora
