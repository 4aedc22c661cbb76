#include "app/command_table.h"

#include <stdexcept>

namespace velmora {

void CommandTable::Add(Command command) {
  if (command.id == kSeparator || Find(command.id)) throw std::logic_error("command id used twice");
  commands_.push_back(std::move(command));
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

bool CommandTable::Run(int id) const {
  if (!IsAvailable(id)) return false;
  Find(id)->run();
  return true;
}

std::string CommandTable::Hint(int id) const {
  const Command* c = Find(id);
  return c ? c->hint : std::string();
}

}  // namespace velmora
