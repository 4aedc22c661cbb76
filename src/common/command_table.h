// Every command of the main window, declared once: its id, caption, hint, picture, the menus
// it shows in and its key. What it does, when it is available and when a context menu shows
// it are bound by the object that owns the feature. Menus, accelerators, tool tips and status
// hints are all built from here.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace velmora {

// Whose focus a key needs: the window's keys work anywhere but in an edit box; a control's
// keys only while that control has the focus, so that one key can mean a command of each.
enum class KeyScope { kWindow, kList, kTree };

struct Shortcut {
  int key = 0;  // virtual key; 0 for none
  bool control = false;
  KeyScope scope = KeyScope::kWindow;
  bool alt = false;
};

// The main menu's menus, the two context menus and the view menu's sort submenu.
enum class MenuId { kFile, kEdit, kView, kSettings, kHelp, kList, kTree, kSort };

// A command's place in one menu: the menu shows its commands in the table's order, with a
// separator wherever the group changes.
struct MenuPlace {
  MenuId menu;
  int group;
};

struct Command {
  int id = 0;
  std::string caption;  // menu caption with its access key; empty for buttons only
  std::string hint;     // "short|long" (see ShortHint, LongHint)
  int picture = -1;     // index in the 16-pixel tree pictures; -1 for none
  Shortcut shortcut;
  Shortcut second;  // another key for the same command, never named in the menu
  std::vector<MenuPlace> places;
  bool radio = false;               // its check is a dot: one of a group of choices
  bool opensSubmenu = false;        // the item carries the submenu rather than a command
  MenuId submenu = MenuId::kFile;
  std::function<void()> run;         // empty while the feature is not built: never available
  std::function<bool()> available;   // empty means always, once run exists
  std::function<bool()> visible;     // for context menus: empty means always shown
  std::function<bool()> checked;     // empty for items that show no state
};

class CommandTable {
 public:
  void Add(Command command);
  // Gives a declared command what it does; an unknown id or a second binding is a mistake.
  void Bind(int id, std::function<void()> run, std::function<bool()> available = nullptr,
            std::function<bool()> visible = nullptr);
  // Gives a declared command the state its menu item shows as a check.
  void BindChecked(int id, std::function<bool()> checked);
  const Command* Find(int id) const;
  // Runs the command when it is available; false otherwise.
  bool Run(int id) const;
  bool IsAvailable(int id) const;
  bool IsVisible(int id) const;
  bool IsChecked(int id) const;
  // The hint of a command, empty for an unknown id.
  std::string Hint(int id) const;
  const std::vector<Command>& commands() const { return commands_; }
  // The ids a menu shows top to bottom, kSeparator between groups.
  std::vector<int> MenuItems(MenuId menu) const;

 private:
  Command* FindMutable(int id);
  std::vector<Command> commands_;
};

constexpr int kSeparator = 0;

// The text beside a menu caption: Ctrl combinations and function keys are named; plain keys
// such as Delete go unmentioned.
std::string ShortcutText(const Shortcut& shortcut);

// One row of an accelerator table.
struct KeyStroke {
  int key;
  bool control;
  bool shift;
  int id;
  bool alt = false;
};
// The key strokes that run commands in one scope. A control's keys were once read from its
// own key notifications, which ignored Shift, and Ctrl where it was not asked for: they keep
// working with those held.
std::vector<KeyStroke> KeyStrokes(const CommandTable& table, KeyScope scope);

}  // namespace velmora
