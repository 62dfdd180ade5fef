// The action table as data: what the bench lists and runs, what the DLL
// exports, and what the test package schedules.
#pragma once

#include <span>
#include <string_view>

#include "platform/platform.h"

namespace veltra::runtime {

enum class ActionKind { Immediate, Deferred, Rollback };

using ActionFunction = platform::Dword (*)(platform::Platform&);

struct ActionEntry {
    std::string_view name;
    ActionKind kind;
    std::string_view description;
    ActionFunction function;  // null while the action is planned but not built
};

std::span<const ActionEntry> ActionTable();

// Exact, case-sensitive: the installer calls exports by their exact name.
const ActionEntry* FindAction(std::string_view name);

std::string_view KindName(ActionKind kind);

// The common frame of every action: writes its start and its result to the
// installer log, lets it read the session through the log (runtime/action_log.h),
// runs the logic and turns anything that escapes it into 1603, so nothing
// crosses an export. A planned action fails with 1603 as well.
platform::Dword RunAction(const ActionEntry& action, platform::Platform& platform);

}  // namespace veltra::runtime
