#include "cli/sweep.h"

#include <algorithm>
#include <utility>

#include "cli/report.h"
#include "cli/rollback_traces.h"
#include "cli/secrets.h"
#include "platform/sim/sim_files.h"

namespace veltra::cli {

namespace {

using platform::Dword;

constexpr Dword kSuccess = 0;
constexpr Dword kUserExit = 1602;
constexpr Dword kFailure = 1603;

// A secret shorter than this could turn up in any text by chance.
constexpr std::size_t kShortestSecret = 4;

const char* const kListValues[] = {"NOTIFICATION PACKAGES", "LIBRARYSEARCHPATHS", "EVENTMESSAGEFILE"};

std::string RegText(const sim::RegValue& value) {
    std::string text(value.data.begin(), value.data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// A list value's entries: a multi-string's strings, or a string's
// ";"-separated parts; empty ones are no entries.
std::vector<std::string> ListEntries(const sim::RegValue& value) {
    const char separator = value.type == platform::kRegMultiSz ? '\0' : ';';
    const std::string text = RegText(value);
    std::vector<std::string> entries;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(separator, begin), text.size());
        if (end > begin) entries.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return entries;
}

void ReadLists(const sim::RegNode& key, const std::string& path, SharedLists& lists) {
    const bool sharedDlls = sim::FoldCase(key.name()) == "SHAREDDLLS";
    for (const sim::RegValue& value : key.values()) {
        const std::string name = path + "\\" + value.name;
        if (sharedDlls && value.type == platform::kRegDword && value.data.size() == 4) {
            std::uint32_t count = 0;
            for (std::size_t i = 4; i-- > 0;) count = count << 8 | value.data[i];  // little-endian
            lists.counts[name] = count;
        }
        const std::string folded = sim::FoldCase(value.name);
        if (std::find(std::begin(kListValues), std::end(kListValues), folded) != std::end(kListValues)) {
            lists.entries[name] = ListEntries(value);
        }
    }
    for (const auto& [folded, subkey] : key.subkeys()) ReadLists(*subkey, path + "\\" + subkey->name(), lists);
}

// Every form in which a secret value could be shown: its text or bytes, and
// the rendering the report would give it if it were not masked.
void AddSecret(std::vector<std::pair<std::string, std::string>>& secrets, const std::string& where, std::string value) {
    if (value.size() < kShortestSecret) return;
    for (const auto& known : secrets) {
        if (known.second == value) return;
    }
    secrets.emplace_back(where, std::move(value));
}

void CollectSecrets(const sim::RegNode& key, const std::string& path,
                    std::vector<std::pair<std::string, std::string>>& secrets) {
    for (const sim::RegValue& value : key.values()) {
        if (!IsSecretValueName(value.name)) continue;
        const std::string where = path + "\\" + value.name;
        if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
            AddSecret(secrets, where, RegText(value));
        } else {
            AddSecret(secrets, where, std::string(value.data.begin(), value.data.end()));
            AddSecret(secrets, where, ValueToText("", value));
        }
    }
    for (const auto& [folded, subkey] : key.subkeys()) CollectSecrets(*subkey, path + "\\" + subkey->name(), secrets);
}

void CollectSecrets(const sim::RegistryTree& registry, std::vector<std::pair<std::string, std::string>>& secrets) {
    for (const std::string& root : sim::RegistryTree::RootNames()) CollectSecrets(*registry.Root(root), root, secrets);
}

void CollectSecrets(const std::map<std::string, std::string>& properties,
                    std::vector<std::pair<std::string, std::string>>& secrets) {
    for (const auto& [name, value] : properties) {
        if (IsSecretProperty(name, value)) AddSecret(secrets, "property " + name, value);
    }
}

bool ContainsFolded(const std::vector<std::string>& entries, const std::string& entry) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& e) { return sim::CompareFolded(e, entry) == 0; });
}

void CheckLists(const SweepBaseline& baseline, const SweepRun& run, std::vector<Violation>& found) {
    const auto saidAbsent = [&](const std::string& name) { return sim::CompareFolded(name, run.saidAbsent) == 0; };
    for (const auto& [list, entries] : baseline.start.entries) {
        if (saidAbsent(list)) continue;
        const auto kept = baseline.reference.entries.find(list);
        if (kept == baseline.reference.entries.end()) continue;
        const auto now = run.lists.entries.find(list);
        for (const std::string& entry : entries) {
            if (!ContainsFolded(kept->second, entry)) continue;  // the road itself takes it out
            if (now == run.lists.entries.end() || !ContainsFolded(now->second, entry)) {
                found.push_back({"shared list", list + " lost \"" + entry + "\""});
            }
        }
    }
    for (const auto& [file, before] : baseline.start.counts) {
        if (saidAbsent(file)) continue;
        const auto reference = baseline.reference.counts.find(file);
        const std::uint32_t least = reference == baseline.reference.counts.end() ? 0 : std::min(before, reference->second);
        const auto now = run.lists.counts.find(file);
        const std::uint32_t count = now == run.lists.counts.end() ? 0 : now->second;
        if (count < least) {
            found.push_back({"shared list", file + " count " + std::to_string(count) + ", below " + std::to_string(least)});
        }
    }
}

void CheckRollback(const SweepBaseline& baseline, const SweepRun& run, std::vector<Violation>& found) {
    std::set<std::string> allowed;
    for (const RollbackTrace& trace : AllowedRollbackTraces()) {
        const bool here = std::any_of(trace.machines.begin(), trace.machines.end(),
                                      [&](const std::string& m) { return baseline.machines.contains(m); });
        if (here && (trace.after.empty() || run.deferredRan.contains(trace.after))) {
            allowed.insert(trace.differences.begin(), trace.differences.end());
        }
    }
    for (const std::string& difference : run.differences) {
        if (!allowed.contains(difference)) found.push_back({"rollback", "left " + difference});
    }
}

// The rollback traces of the machine: a predecessor sample by its folder
// name, a machine with the agent installed, otherwise the bench's sample,
// bare or with the server files; and the road ("road silent").
std::set<std::string> TraceMachines(const sim::Machine& start, const std::string& machineName, const Road& road) {
    std::set<std::string> machines = {"*", "road " + std::string(road.name)};
    constexpr std::string_view kUpgrade = "upgrade-";
    if (machineName.starts_with(kUpgrade)) {
        machines.insert(machineName.substr(kUpgrade.size()));
    } else if (!start.session.products.empty()) {
        machines.insert("installed");
    } else {
        const bool serverFiles = sim::DriveFileExists(start, "C:\\WINDOWS\\system32\\kvconf.rec");
        machines.insert(serverFiles ? "plain with server files" : "plain");
    }
    return machines;
}

struct RunOutput {
    SweepRun run;
    std::vector<sim::TraceLine> trace;
    std::map<std::string, std::string> properties;  // as the session ended
    // The reference run: the secrets the registry holds afterwards.
    std::vector<std::pair<std::string, std::string>> secrets;
    bool faultMet = false;
};

RunOutput RunOnce(const Road& road, const sim::engine::Package& package, const sim::Machine& start,
                  const SweepFault* fault, std::size_t callLimit) {
    sim::Machine machine = start;
    machine.defaultAnswers = true;
    machine.faults.callLimit = callLimit;
    machine.trace.enabled = fault == nullptr;
    if (fault != nullptr) {
        machine.faults.Add({fault->operation, fault->subject, fault->nth, fault->code, 0});
    }
    MachineSnapshot before = TakeSnapshot(machine);
    sim::engine::InstallOutcome outcome = RunRoad(road, package, machine);

    RunOutput output;
    SweepRun& run = output.run;
    RunReport report;
    report.title = "road " + std::string(road.name);
    CompareRoadWithMachine(outcome, std::move(before), machine, report);
    for (const std::string& line : machine.session.log) run.shown += line + "\n";
    run.shown += machine.standardOutput;
    TakeRecords(machine, report);
    run.shown += RenderText(report);
    run.shown += RenderJson(report).dump();

    run.result = outcome.result;
    run.rolledBack = outcome.rolledBack;
    run.loop = machine.faults.limitReached();
    run.stopped = report.unansweredDialog ? *report.unansweredDialog : outcome.error;
    for (const sim::DialogRecord& dialog : report.dialogs) {
        if (dialog.answer == "CANCEL" || dialog.answer == "NO" || dialog.answer == "ABORT") run.userCancelled = true;
    }
    for (const sim::engine::Step& step : outcome.steps) {
        if (step.kind == "deferred" && step.result) run.deferredRan.insert(step.action);
    }
    run.lists = ReadSharedLists(machine.registry);
    run.differences = MachineDifferences(report);
    if (fault != nullptr) {
        const sim::FaultRule& rule = machine.faults.rules().front();
        output.faultMet = rule.seen >= rule.nth;
    }
    output.trace = machine.trace.lines();
    if (fault == nullptr) CollectSecrets(machine.registry, output.secrets);
    output.properties = std::move(outcome.properties);
    for (const auto& [name, value] : outcome.startProperties) output.properties.emplace(name, value);
    return output;
}

// One fault per call of the trace and per code its operation usually fails
// with, each naming the call by its place among the calls the rule counts:
// those of the operation on the same subject, or all of the operation's
// calls when the call has no subject.
std::vector<SweepFault> FaultsOf(const std::vector<sim::TraceLine>& trace) {
    std::map<std::pair<std::string, std::string>, unsigned> bySubject;
    std::map<std::string, unsigned> byOperation;
    std::vector<SweepFault> faults;
    for (const sim::TraceLine& line : trace) {
        const sim::Operation* operation = sim::FindOperation(line.operation);
        if (operation == nullptr) continue;
        const std::string subject(sim::RuleSubject(line.operation, line.subject));
        const std::string folded = sim::FoldCase(line.operation);
        const unsigned any = ++byOperation[folded];
        const unsigned nth = subject.empty() ? any : ++bySubject[{folded, sim::FoldCase(subject)}];
        for (const Dword code : operation->codes) faults.push_back({line.operation, subject, nth, code});
    }
    return faults;
}

}  // namespace

SharedLists ReadSharedLists(const sim::RegistryTree& registry) {
    SharedLists lists;
    for (const std::string& root : sim::RegistryTree::RootNames()) ReadLists(*registry.Root(root), root, lists);
    return lists;
}

std::string SweepFault::Text() const {
    return operation + (subject.empty() ? "" : ":" + subject) + "#" + std::to_string(nth) + "=" + std::to_string(code);
}

std::vector<Violation> CheckRun(const SweepBaseline& baseline, const SweepRun& run) {
    std::vector<Violation> found;
    if (run.loop) found.push_back({"loop", "the run went past its bound on platform calls"});
    if (!run.stopped.empty()) found.push_back({"stopped", run.stopped});
    const bool allowed = run.result == kSuccess || run.result == kFailure || (run.result == kUserExit && run.userCancelled);
    if (!allowed) found.push_back({"result", "the road ended with " + std::to_string(run.result)});
    CheckLists(baseline, run, found);
    for (const auto& [where, secret] : baseline.secrets) {
        if (run.shown.find(secret) != std::string::npos) {
            found.push_back({"secret", "the value of " + where + " is shown"});
        }
    }
    if (run.rolledBack) CheckRollback(baseline, run, found);
    return found;
}

SweepSummary Sweep(const Road& road, const sim::engine::Package& package, const sim::Machine& start,
                   const std::string& machineName, const std::function<void(const SweepFault*)>& beforeRun) {
    SweepSummary summary;
    SweepBaseline baseline;
    baseline.machines = TraceMachines(start, machineName, road);
    baseline.start = ReadSharedLists(start.registry);
    CollectSecrets(start.registry, baseline.secrets);
    CollectSecrets(start.session.properties, baseline.secrets);

    if (beforeRun) beforeRun(nullptr);
    // The reference run has no bound; the faulted runs get a generous one.
    RunOutput reference = RunOnce(road, package, start, nullptr, 0);
    summary.referenceResult = reference.run.result;
    ++summary.runs;
    baseline.reference = reference.run.lists;
    CollectSecrets(reference.properties, baseline.secrets);
    for (auto& secret : reference.secrets) AddSecret(baseline.secrets, secret.first, std::move(secret.second));
    for (Violation& violation : CheckRun(baseline, reference.run)) summary.findings.push_back({{}, std::move(violation)});

    const std::size_t callLimit = 10 * reference.trace.size() + 10000;
    for (const SweepFault& fault : FaultsOf(reference.trace)) {
        if (beforeRun) beforeRun(&fault);
        RunOutput output = RunOnce(road, package, start, &fault, callLimit);
        if (fault.code == platform::kErrorFileNotFound && sim::CompareFolded(fault.operation, "RegQueryValueExA") == 0) {
            output.run.saidAbsent = fault.subject;
        }
        ++summary.runs;
        if (output.faultMet) {
            ++summary.faults;
        } else {
            // The rule did not name the call the trace showed: the sweep
            // would claim a run it did not make.
            summary.findings.push_back({fault, {"not met", "no call matched the injected fault"}});
        }
        for (Violation& violation : CheckRun(baseline, output.run)) summary.findings.push_back({fault, std::move(violation)});
    }
    return summary;
}

}  // namespace veltra::cli
