// The simulated Windows Installer: runs a package's sequences on a simulated
// machine as msiexec does. Conditions are evaluated with the installer's
// grammar; immediate custom actions run when the sequence reaches them;
// deferred, rollback and commit actions are written into the installation
// script with the data the property named after them holds at that moment,
// and the script runs at InstallFinalize. When a deferred action fails, what
// the script did so far is undone in reverse order (the rollback actions
// scheduled before it, and the installer's own file operations) and the
// installation ends with 1603.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/engine/package.h"
#include "platform/sim/machine.h"
#include "runtime/action_table.h"

namespace veltra::sim::engine {

struct EngineOptions {
    // Properties as msiexec's command line gives them (NAME=VALUE), applied
    // after the package's Property table and the machine's own properties.
    std::vector<std::pair<std::string, std::string>> commandLine;
    // 5 full, 4 reduced, 3 basic, 2 none (/qn). The user-interface sequence
    // runs at 4 and 5 only.
    int uiLevel = 5;
    // Folders the installer resolves from the system, by property, where a
    // caller knows better than the machine's environment (e.g. what Wine's
    // installer takes for "SystemFolder").
    std::map<std::string, std::string> folders;
    // Wine takes "ALL" in ADDLOCAL/REMOVE for every feature only when it is
    // the whole value; Windows reads it as an item of the list.
    bool allOnlyAsWholeValue = false;
    // An exported action whose logic has not landed: skip it with a note
    // (the bench) instead of running its stub, which fails.
    bool skipActionsNotBuilt = true;
    // Stands in for the library's actions (tests of the engine itself): the
    // entry point, and the CustomActionData of a deferred call.
    std::function<platform::Dword(const std::string& entry, const std::optional<std::string>& data)> actions;
};

// One step of the run: a sequence row, or an operation of the script.
struct Step {
    std::string action;
    std::string kind;  // immediate, deferred, rollback, commit, property, standard, dialog, -
    std::string note;
    std::optional<platform::Dword> result;
};

struct InstallOutcome {
    // 0 success, 1602 user exit, 1603 failure.
    platform::Dword result = 0;
    std::vector<Step> steps;
    // The session's properties when the installation ended; the machine's
    // own properties are left as they were, as a new session would find them.
    std::map<std::string, std::string> properties;
    // The properties as the session started (the package's, the system's,
    // the machine's and the command line's), before any action ran.
    std::map<std::string, std::string> startProperties;
    // Why the installation could not go on (a malformed condition, an action
    // the package does not define), empty otherwise.
    std::string error;
    bool rolledBack = false;
};

// Runs one exported action as the installer calls it: immediately, or
// deferred with its CustomActionData, in which case the action sees nothing
// else of the session and the data is gone once it returns. Every road, the
// bench's `run` and the tests call actions through this.
platform::Dword RunLibraryAction(const runtime::ActionEntry& action, Machine& machine,
                                 const std::optional<std::string>& deferredData);

InstallOutcome RunInstallation(const Package& package, Machine& machine, const EngineOptions& options);

}  // namespace veltra::sim::engine
