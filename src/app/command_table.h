// Every command of the main window, declared once: its id, caption, hint, picture, shortcut,
// what it does and when it is available. Menus, accelerators, tool tips and status hints are
// all built from here.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace velmora {

struct Shortcut {
  int key = 0;  // virtual key; 0 for none
  bool control = false;
};

struct Command {
  int id = 0;
  std::string caption;  // menu caption with its access key; empty for buttons only
  std::string hint;     // "short|long" (see ShortHint, LongHint)
  int picture = -1;     // index in the 16-pixel tree pictures; -1 for none
  Shortcut shortcut;
  std::function<void()> run;         // empty while the feature is not built: never available
  std::function<bool()> available;   // empty means always, once run exists
  std::function<bool()> visible;     // for context menus: empty means always shown
};

class CommandTable {
 public:
  void Add(Command command);
  const Command* Find(int id) const;
  // Runs the command when it is available; false otherwise.
  bool Run(int id) const;
  bool IsAvailable(int id) const;
  bool IsVisible(int id) const;
  // The hint of a command, empty for an unknown id.
  std::string Hint(int id) const;
  const std::vector<Command>& commands() const { return commands_; }

 private:
  std::vector<Command> commands_;
};

// A menu built from the table: ids in order, kSeparator between groups.
constexpr int kSeparator = 0;
struct MenuLayout {
  std::string caption;
  std::vector<int> items;
};

}  // namespace velmora
