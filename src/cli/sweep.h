// agentca sweep: a road run once as it is, then once more for every platform
// call it made and every code that call usually fails with, each run from
// the same starting machine with that one call failing. Each run is judged
// by the rules a failing installation must keep: it ends (no loop on the
// platform), with a result the installer allows, without shortening a list
// other products share, without showing a secret, and, when it rolls back,
// with the machine as it started apart from the traces the rules leave.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/roads.h"
#include "platform/sim/engine/package.h"
#include "platform/sim/machine.h"

namespace veltra::cli {

// The lists other products share, read from a registry: the entries of
// "Notification Packages", "LibrarySearchPaths" and "EventMessageFile" by
// "KEY\VALUE", and the counts of every SharedDLLs key by "KEY\FILE".
struct SharedLists {
    sim::NameMap<std::vector<std::string>> entries;
    sim::NameMap<std::uint32_t> counts;
};
SharedLists ReadSharedLists(const sim::RegistryTree& registry);

// What every run is compared with: the starting machine's shared lists, the
// reference run's, and every secret value the machine held or the road set.
struct SweepBaseline {
    SharedLists start, reference;
    // Where each secret was found, and its value: as bytes, or as the report
    // would render it; never printed.
    std::vector<std::pair<std::string, std::string>> secrets;
    // The rollback traces that apply, by machine ("*" always; see rollback_traces.h).
    std::set<std::string> machines = {"*"};
};

// One run as the checks see it.
struct SweepRun {
    platform::Dword result = 0;
    bool rolledBack = false;
    bool userCancelled = false;  // a box was answered Cancel, No or Abort
    bool loop = false;           // the run passed its bound on platform calls
    std::string stopped;         // an unanswered dialog, or why the installer stopped
    SharedLists lists;
    std::string shown;  // the report (text and JSON), the installer log and standard output
    std::set<std::string> differences;  // from the starting machine (MachineDifferences)
    std::set<std::string> deferredRan;  // the deferred actions the script ran
    // "KEY\VALUE" of a value the injected fault said was absent when read:
    // a list or count there is, as far as the road can know, not there.
    std::string saidAbsent;
};

struct Violation {
    // "result", "loop", "stopped", "shared list", "secret", "rollback"; and
    // "not met" when a fault matched no call (a fault of the sweep itself)
    std::string rule;
    std::string detail;
};

std::vector<Violation> CheckRun(const SweepBaseline& baseline, const SweepRun& run);

// One injected fault: the Nth call of an operation on a subject, as --fail
// takes it.
struct SweepFault {
    std::string operation;
    std::string subject;
    unsigned nth = 1;
    platform::Dword code = 0;
    std::string Text() const;  // OP[:SUBJECT]#N=CODE
};

struct SweepFinding {
    SweepFault fault;  // empty operation: the reference run
    Violation violation;
};

struct SweepSummary {
    platform::Dword referenceResult = 0;
    std::size_t runs = 0;    // the reference run and one per fault
    std::size_t faults = 0;  // runs in which the fault was met
    std::vector<SweepFinding> findings;
};

// Runs the sweep from `start` (already given its properties and scripted
// answers); `machineName` (the machine folder's name) chooses the rollback
// traces that apply. `beforeRun` is told of each fault before its run (null
// for the reference run), so that a crash can name the run it ended.
SweepSummary Sweep(const Road& road, const sim::engine::Package& package, const sim::Machine& start,
                   const std::string& machineName,
                   const std::function<void(const SweepFault*)>& beforeRun = {});

}  // namespace veltra::cli
