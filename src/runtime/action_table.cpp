#include "runtime/action_table.h"

#include <array>
#include <exception>

#include "runtime/actions.h"

namespace veltra::runtime {
namespace {

constexpr ActionEntry kActions[] = {
#define ACTION(name, kind, description) {#name, ActionKind::kind, description, &actions::name},
#define PLANNED(name, kind, description) {#name, ActionKind::kind, description, nullptr},
#include "runtime/action_list.h"
#undef ACTION
#undef PLANNED
};

}  // namespace

std::span<const ActionEntry> ActionTable() { return kActions; }

const ActionEntry* FindAction(std::string_view name) {
    for (const ActionEntry& entry : kActions) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::string_view KindName(ActionKind kind) {
    switch (kind) {
        case ActionKind::Immediate: return "immediate";
        case ActionKind::Deferred: return "deferred";
        case ActionKind::Rollback: return "rollback";
    }
    return "?";
}

platform::Dword RunAction(const ActionEntry& action, platform::Platform& platform) {
    if (action.function == nullptr) return platform::kErrorInstallFailure;
    try {
        return action.function(platform);
    } catch (...) {
        // Out of memory is the only thing the logic can throw; the installer
        // must see a failure code, never an exception.
        return platform::kErrorInstallFailure;
    }
}

}  // namespace veltra::runtime
