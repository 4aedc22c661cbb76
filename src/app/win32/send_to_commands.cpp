#include "app/win32/send_to_commands.h"

#include <utility>

#include "app/win32/control_ids.h"

namespace velmora {

SendToCommands::SendToCommands(TShellLink& links, ListCommands& list, Browser& browser, const ShellContext& shell,
                               Prompter& prompter, std::string exePath)
    : list_(list),
      browser_(browser),
      prompter_(prompter),
      menu_(links, list.fileCommands(), shell, prompter),
      option_(links, std::move(exePath), kApplicationTitle) {}

void SendToCommands::LoadOption() {
  option_.Load();
  option_.ShowIn(GetMenu(owner_), IDM_SENDTO_OPTION);
}

void SendToCommands::BindCommands(CommandTable& table) {
  table.Bind(IDM_SENDTO_OPTION, [this] {
    option_.Toggle(prompter_);
    option_.ShowIn(GetMenu(owner_), IDM_SENDTO_OPTION);
  });
}

void SendToCommands::BuildMenu(HIMAGELIST pictures) {
  // The SendTo folder is read once, at the first showing.
  if (list_.hasSendToMenu()) return;
  HMENU menu = CreatePopupMenu();
  list_.AdoptSendToMenu(menu);
  menu_.Build(menu, pictures, IDM_SENDTO_FIRST, IDM_SENDTO_LAST - IDM_SENDTO_FIRST + 1);
}

bool SendToCommands::Run(int id) {
  if (!menu_.Owns(id)) return false;
  const SendOutcome outcome = menu_.Send(id, browser_.SelectedPaths(), owner_);
  // Copies into the listed folder show at once.
  if (outcome.sent && !outcome.made.empty() && outcome.made == browser_.currentFolder()) browser_.Refresh();
  return true;
}

std::string SendToCommands::Hint(int id, const CommandTable& table) const {
  return menu_.Owns(id) ? menu_.Hint(id) : table.Hint(id);
}

int SendToCommands::Picture(const Command& command) const {
  if (command.id != IDM_SENDTO_OPTION) return command.picture;
  const bool linked = GetMenuState(GetMenu(owner_), IDM_SENDTO_OPTION, MF_BYCOMMAND) & MF_CHECKED;
  return linked ? kSendToOptionImageOn : command.picture;
}

}  // namespace velmora
