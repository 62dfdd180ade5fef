#include "runtime/action_table.h"

#include <array>
#include <exception>
#include <string>

#include "runtime/action_log.h"
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

// The frame's own lines; an empty text when it cannot be built, so that the
// frame never throws.
std::string StartText(const ActionEntry& action) noexcept {
    try {
        return "start (" + std::string(KindName(action.kind)) + ")";
    } catch (...) {
        return {};
    }
}

std::string ResultText(platform::Dword result) noexcept {
    try {
        return "returned " + std::to_string(result);
    } catch (...) {
        return {};
    }
}

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
    // The action sees the session through the log, so that what it reads and
    // where it fails is written down; every other port is the real one.
    ActionLog log(platform.installer, action.name);
    platform::Platform logged{log,              platform.registry, platform.files,
                              platform.system,  platform.windows,  platform.services,
                              platform.accounts, platform.versions, platform.shell};
    log.Write(StartText(action));
    platform::Dword result = platform::kErrorInstallFailure;
    if (action.function == nullptr) {
        log.Write("not built: returned 1603");
        return result;
    }
    try {
        result = action.function(logged);
    } catch (...) {
        // Out of memory is the only thing the logic can throw; the installer
        // must see a failure code, never an exception.
        result = platform::kErrorInstallFailure;
    }
    log.Write(ResultText(result));
    return result;
}

}  // namespace veltra::runtime
