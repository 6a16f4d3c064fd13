#pragma once
// Commands as each target declares them: one table per target (a view, the
// document, a frame, the application), every entry holding the command's id,
// its enable test and its handler side by side. A route lists the targets a
// command is offered to, in order; the first that declares the command and
// enables it runs it.

#include <functional>
#include <optional>
#include <vector>

#include "core/app/command_ids.h"

namespace vox {

struct Command {
    CommandId id;
    std::function<bool()> enabled;  // empty: always enabled
    std::function<void()> run;      // empty: held disabled by this target (see CommandTarget::decides)
};

using CommandTable = std::vector<Command>;

// The entry for id, or null when the table does not declare it.
const Command* find_command(const CommandTable& table, CommandId id);
// What a table says about id: nullopt when it does not declare it, else
// whether it is enabled there (a held command never is).
std::optional<bool> command_state(const CommandTable& table, CommandId id);
// Runs id from this table alone when it declares and enables it; false
// otherwise.
bool run_in(const CommandTable& table, CommandId id);
// The first id declared twice in a table (the second entry would never run).
std::optional<CommandId> first_duplicate(const CommandTable& table);

struct CommandTarget {
    const CommandTable* table = nullptr;
    // A target that decides ends the walk for every command it declares:
    // disabled there means disabled, whatever the later targets say.
    bool decides = false;
    // Only these commands reach the target (null: every command).
    bool (*admits)(CommandId) = nullptr;
};

class CommandRoute {
public:
    void add(const CommandTarget& target);
    void add(const CommandTable& table) { add(CommandTarget{&table}); }

    // The command that would run for id, or null when it is disabled.
    const Command* handler(CommandId id) const;
    bool enabled(CommandId id) const { return handler(id) != nullptr; }
    // Runs the command; false when it is disabled.
    bool run(CommandId id) const;

    const std::vector<CommandTarget>& targets() const { return targets_; }

private:
    std::vector<CommandTarget> targets_;
};

}  // namespace vox
