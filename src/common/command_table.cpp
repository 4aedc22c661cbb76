#include "common/command_table.h"

#include <stdexcept>
#include <string>

namespace velmora {

void CommandTable::Add(Command command) {
  if (command.id == kSeparator || Find(command.id)) throw std::logic_error("command id used twice");
  commands_.push_back(std::move(command));
}

void CommandTable::Bind(int id, std::function<void()> run, std::function<bool()> available,
                        std::function<bool()> visible) {
  Command* c = FindMutable(id);
  if (!c || c->run) throw std::logic_error("command bound twice or never declared");
  c->run = std::move(run);
  c->available = std::move(available);
  c->visible = std::move(visible);
}

void CommandTable::BindChecked(int id, std::function<bool()> checked) {
  Command* c = FindMutable(id);
  if (!c || c->checked) throw std::logic_error("command bound twice or never declared");
  c->checked = std::move(checked);
}

Command* CommandTable::FindMutable(int id) {
  for (Command& c : commands_)
    if (c.id == id) return &c;
  return nullptr;
}

const Command* CommandTable::Find(int id) const {
  for (const Command& c : commands_)
    if (c.id == id) return &c;
  return nullptr;
}

bool CommandTable::IsAvailable(int id) const {
  const Command* c = Find(id);
  return c && c->run && (!c->available || c->available());
}

bool CommandTable::IsVisible(int id) const {
  const Command* c = Find(id);
  return c && (!c->visible || c->visible());
}

bool CommandTable::IsChecked(int id) const {
  const Command* c = Find(id);
  return c && c->checked && c->checked();
}

bool CommandTable::Run(int id) const {
  if (!IsAvailable(id)) return false;
  Find(id)->run();
  return true;
}

std::string CommandTable::Hint(int id) const {
  const Command* c = Find(id);
  return c ? c->hint : std::string();
}

std::vector<int> CommandTable::MenuItems(MenuId menu) const {
  std::vector<int> ids;
  bool first = true;
  int group = 0;
  for (const Command& c : commands_) {
    for (const MenuPlace& place : c.places) {
      if (place.menu != menu) continue;
      if (!first && place.group != group) ids.push_back(kSeparator);
      first = false;
      group = place.group;
      ids.push_back(c.id);
    }
  }
  return ids;
}

std::string ShortcutText(const Shortcut& shortcut) {
  constexpr int kF1 = 0x70;
  constexpr int kF12 = 0x7B;
  if (shortcut.alt) return std::string();
  if (shortcut.key >= kF1 && shortcut.key <= kF12)
    return (shortcut.control ? "Ctrl+F" : "F") + std::to_string(shortcut.key - kF1 + 1);
  if (!shortcut.key || !shortcut.control) return std::string();
  return std::string("Ctrl+") + static_cast<char>(shortcut.key);
}

std::vector<KeyStroke> KeyStrokes(const CommandTable& table, KeyScope scope) {
  std::vector<KeyStroke> strokes;
  for (const Command& c : table.commands()) {
    for (const Shortcut* s : {&c.shortcut, &c.second}) {
      if (!s->key || s->scope != scope) continue;
      strokes.push_back({s->key, s->control, false, c.id, s->alt});
      // Alt combinations are new: they take no other modifier.
      if (scope == KeyScope::kWindow || s->alt) continue;
      strokes.push_back({s->key, s->control, true, c.id});
      if (s->control) continue;
      strokes.push_back({s->key, true, false, c.id});
      strokes.push_back({s->key, true, true, c.id});
    }
  }
  return strokes;
}

}  // namespace velmora
