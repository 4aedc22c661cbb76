// The main window's commands, one entry each: the only place a caption, a picture, a menu
// place or a key is written. The objects that own the features bind what each command does.
#pragma once
#include <vector>

#include "common/command_ids.h"
#include "common/command_table.h"

namespace velmora {

void DeclareCommands(CommandTable& table);

// The menu bar's menus, left to right.
struct MainMenu {
  MenuId menu;
  const char* caption;
};
const std::vector<MainMenu>& MainMenus();

}  // namespace velmora
