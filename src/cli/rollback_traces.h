// What a rolled-back installation may leave behind: the differences from the
// machine it started on that the installation's own rules cause (each with
// its reason in docs/fidelity.md). The rollback scenarios and `agentca
// sweep` both judge a rolled-back machine by this one list.
#pragma once

#include <set>
#include <span>
#include <string>
#include <vector>

#include "cli/report.h"

namespace veltra::cli {

struct RollbackTrace {
    // The sample machines the trace shows on: "plain" and "plain with server
    // files" (the bench's sample, bare or with both server files in the
    // system folder), "installed" (one with the agent installed, which a
    // removal starts from), or a folder of tests/machines ("kesh55" for
    // upgrade-kesh55, ...); "road NAME" on that road of the bench; "*"
    // everywhere.
    std::set<std::string> machines;
    // The deferred action after which it shows ("" from the start).
    std::string after;
    // As MachineDifferences words them.
    std::vector<std::string> differences;
};

std::span<const RollbackTrace> AllowedRollbackTraces();

// A run's changes to the registry, files, services, groups, environment and
// mutexes, one line each: "registry value added: KEY\NAME", "file
// attributes: PATH", "service added: NAME", "group added: NAME",
// "environment set: NAME", "mutex left existing: NAME", ...
std::set<std::string> MachineDifferences(const RunReport& report);

}  // namespace veltra::cli
