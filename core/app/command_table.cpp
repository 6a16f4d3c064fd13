#include "core/app/command_table.h"

#include <algorithm>
#include <bitset>

namespace vox {

const Command* find_command(const CommandTable& table, CommandId id) {
    const auto it = std::find_if(table.begin(), table.end(), [id](const Command& c) { return c.id == id; });
    return it == table.end() ? nullptr : &*it;
}

std::optional<bool> command_state(const CommandTable& table, CommandId id) {
    const Command* c = find_command(table, id);
    if (!c) return std::nullopt;
    return c->run && (!c->enabled || c->enabled());
}

bool run_in(const CommandTable& table, CommandId id) {
    CommandRoute route;
    route.add(table);
    return route.run(id);
}

std::optional<CommandId> first_duplicate(const CommandTable& table) {
    std::bitset<static_cast<std::size_t>(CommandId::Count)> seen;
    for (const Command& c : table) {
        const auto i = static_cast<std::size_t>(c.id);
        if (i >= seen.size()) continue;  // not a command of the menus
        if (seen.test(i)) return c.id;
        seen.set(i);
    }
    return std::nullopt;
}

void CommandRoute::add(const CommandTarget& target) {
    if (target.table) targets_.push_back(target);
}

const Command* CommandRoute::handler(CommandId id) const {
    for (const CommandTarget& t : targets_) {
        if (t.admits && !t.admits(id)) continue;
        const Command* c = find_command(*t.table, id);
        if (!c) continue;
        if (*command_state(*t.table, id)) return c;
        if (t.decides) return nullptr;
    }
    return nullptr;
}

bool CommandRoute::run(CommandId id) const {
    const Command* c = handler(id);
    if (!c) return false;
    // A copy: the handler may close the window whose table holds it.
    const std::function<void()> run = c->run;
    run();
    return true;
}

}  // namespace vox
