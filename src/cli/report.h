// What a run did to a machine: a snapshot before, a snapshot after, and the
// differences a user reads (as text or JSON), with secrets masked.
#pragma once

#include <nlohmann/json.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/engine/engine.h"
#include "platform/sim/machine.h"
#include "platform/sim/regfile.h"

namespace veltra::cli {

struct FileState {
    bool folder = false;
    std::uintmax_t size = 0;
    std::shared_ptr<const std::string> content;  // for comparison only; never printed
    platform::Dword attributes = 0;
    std::string security;  // folders: the SDDL text it was created with, if any
};

struct MachineSnapshot {
    // The registry is not copied: the baseline records what changes from here.
    std::shared_ptr<sim::RegistryBaseline> registry;
    std::map<std::string, std::string> properties;
    sim::NameMap<FileState> files;  // by Windows path
    sim::NameMap<sim::ServiceRecord> services;
    sim::NameMap<sim::GroupRecord> groups;
    sim::NameMap<std::string> environment;
    sim::NameSet mutexes;
};

MachineSnapshot TakeSnapshot(sim::Machine& machine);

struct PropertyChange {
    std::string name;
    std::optional<std::string> before, after;
};

struct FileChange {
    std::string path;
    std::string change;  // "added", "deleted", "changed", "attributes"
    std::string detail;
    std::string security;  // a folder's security as SDDL text, when it has one
};

// A service registered, re-registered differently, or deleted.
struct ServiceChange {
    std::string name;
    std::string change;  // "added", "changed", "deleted"
    std::optional<sim::ServiceRecord> before, after;
};

// A local group created, or one that gained members; members as S-1-5-...
struct GroupChange {
    std::string name;
    std::string change;  // "added", "changed"
    std::string comment;
    std::vector<std::string> members;       // all of them, afterwards
    std::vector<std::string> addedMembers;  // those the run added
};

struct OtherChange {
    std::string what;  // "environment", "mutex"
    std::string name;
    std::string change;
};

// One step of a road, as the simulated installer reports it.
using StepResult = sim::engine::Step;

struct RunReport {
    std::string title;  // the action or road
    std::optional<platform::Dword> result;
    std::vector<StepResult> steps;  // roads only
    std::vector<PropertyChange> properties;
    std::vector<sim::RegChange> registry;
    std::vector<FileChange> files;
    std::vector<ServiceChange> services;
    std::vector<GroupChange> groups;
    std::vector<OtherChange> others;
    std::vector<sim::DialogRecord> dialogs;
    std::vector<std::pair<platform::Dword, platform::MessageRecord>> messages;
    std::vector<std::string> log;  // the installer log's lines, secrets already masked
    std::vector<sim::ShellOpenRecord> shellOpens;
    std::vector<sim::AppletCallRecord> appletCalls;
    std::string standardOutput;
    std::vector<sim::UnfitEntry> unfit;  // registry entries that did not fit a buffer
    std::vector<sim::TraceLine> trace;
    std::optional<std::string> unansweredDialog;
};

// Fills the change lists: the snapshot against the machine as it stands.
void CompareWithMachine(const MachineSnapshot& before, const sim::Machine& machine, RunReport& report);
void TakeRecords(sim::Machine& machine, RunReport& report);
// A road's steps and result, and the change lists against the snapshot taken
// before it. The properties compared are what the sequence and its actions
// changed: not what the installer set up when the session began, nor what the
// machine keeps once the session has ended.
void CompareRoadWithMachine(const sim::engine::InstallOutcome& outcome, MachineSnapshot before,
                            sim::Machine& machine, RunReport& report);

std::string RenderText(const RunReport& report);
nlohmann::json RenderJson(const RunReport& report);

// A value as the report shows it: strings as text, DWORDs as numbers,
// multi-strings as lists, anything else as hex; secrets masked.
nlohmann::json ValueToJson(const std::string& valueName, const sim::RegValue& value);
std::string ValueToText(const std::string& valueName, const sim::RegValue& value);
std::string TypeName(platform::Dword type);

}  // namespace veltra::cli
