// A failed installation, made to fail at each deferred action after the
// capture, leaves the machine as it found it, apart from the traces its own
// rules leave (cli::AllowedRollbackTraces(); docs/fidelity.md gives their
// reasons); secrets never reach its log or report.
#include <set>

#include "cli/machine_folder.h"
#include "cli/report.h"
#include "cli/rollback_traces.h"
#include "cli/sample_machine.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"
#include "support/test_package.h"

namespace veltra::testing {
namespace {

const std::string kSystem = "C:\\WINDOWS\\system32\\";
// The node secret the previous agents' samples keep in their client key.
const std::string kSampleSecret = "node-secret-12";

struct Road {
    std::string name;
    std::string machine;    // a sample under tests/machines, or "plain": the bench's sample
    bool upgradeQuestion;   // the administrator says Yes to it
    bool legacyGinaInUse;   // Winlogon has the legacy agent's kvgina.dll loaded
    bool serverFiles;       // the system folder already holds both server files
};

const Road kRoads[] = {
    {"plain", "plain", false, false, false},
    {"plain with server files", "plain", false, false, true},
    {"kesh55", "upgrade-kesh55", true, true, false},
    {"prev-currentkey", "upgrade-prev-currentkey", true, false, false},
    {"prev-legacykey", "upgrade-prev-legacykey", true, false, false},
};

using Differences = std::set<std::string>;

class Rollback : public ::testing::Test {
protected:
    std::unique_ptr<cli::LoadedMachine> Open(const Road& road) {
        std::filesystem::path folder = std::string(VELTRA_TESTS_DIR) + "/machines/" + road.machine;
        std::string error;
        if (road.machine == "plain") {
            folder = temp_.path() / "plain";
            if (!std::filesystem::exists(folder) && !cli::WriteSampleMachine(folder, cli::SampleKind::Plain, error)) {
                ADD_FAILURE() << error;
            }
        }
        auto loaded = cli::LoadedMachine::Open(folder, error);
        if (!loaded) {
            ADD_FAILURE() << error;
            return loaded;
        }
        sim::Machine& m = loaded->machine();
        if (road.upgradeQuestion) m.messageBoxAnswers.push_back(platform::kIdYes);
        if (road.legacyGinaInUse) m.filesInUse.insert(kSystem + "kvgina.dll");
        if (road.serverFiles) {
            sim::PutDriveFile(m, kSystem + "kvconf.rec", "the machine's own record");
            sim::PutDriveFile(m, kSystem + "kvroot.crt", "the machine's own root certificate");
        }
        return loaded;
    }

    // Runs the installation; the deferred call of `failing` fails at once.
    // deferred receives the deferred actions the script called, in order.
    cli::RunReport Install(sim::Machine& m, const std::string& failing, sim::engine::InstallOutcome& outcome,
                           std::vector<std::string>& deferred) {
        sim::engine::EngineOptions options;
        options.commandLine = {{"ADDLOCAL", "LocalAuthClient"}};
        options.actions = [&](const std::string& entry, const std::optional<std::string>& data) -> platform::Dword {
            const runtime::ActionEntry* action = runtime::FindAction(entry);
            if (action == nullptr) return platform::kErrorInstallFailure;
            if (data && action->kind == runtime::ActionKind::Deferred) deferred.push_back(entry);
            if (data && entry == failing) return platform::kErrorInstallFailure;
            if (action->function == nullptr) return platform::kErrorSuccess;  // not built: the package skips it
            return sim::engine::RunLibraryAction(*action, m, data);
        };
        cli::MachineSnapshot before = cli::TakeSnapshot(m);
        outcome = sim::engine::RunInstallation(TestPackage(), m, options);
        cli::RunReport report;
        report.steps = outcome.steps;
        report.result = outcome.result;
        before.properties = outcome.startProperties;
        const auto kept = std::exchange(m.session.properties, outcome.properties);
        cli::CompareWithMachine(before, m, report);
        m.session.properties = kept;
        cli::TakeRecords(m, report);
        return report;
    }

private:
    TempDir temp_;
};

TEST_F(Rollback, AFailedInstallationLeavesTheMachineAsItWas) {
    for (const Road& road : kRoads) {
        // The deferred actions after the capture, from a run that succeeds.
        std::vector<std::string> afterCapture;
        {
            auto loaded = Open(road);
            ASSERT_NE(loaded, nullptr);
            sim::engine::InstallOutcome outcome;
            std::vector<std::string> deferred;
            Install(loaded->machine(), "", outcome, deferred);
            ASSERT_EQ(outcome.result, 0u) << road.name << ": " << outcome.error;
            const auto capture = std::find(deferred.begin(), deferred.end(), "PreProcessAgentInstall");
            ASSERT_NE(capture, deferred.end()) << road.name;
            afterCapture.assign(capture + 1, deferred.end());
            ASSERT_FALSE(afterCapture.empty()) << road.name;
        }
        for (std::size_t failing = 0; failing < afterCapture.size(); ++failing) {
            SCOPED_TRACE(road.name + ", failing at " + afterCapture[failing]);
            auto loaded = Open(road);
            ASSERT_NE(loaded, nullptr);
            sim::Machine& m = loaded->machine();
            sim::engine::InstallOutcome outcome;
            std::vector<std::string> deferred;
            const cli::RunReport report = Install(m, afterCapture[failing], outcome, deferred);
            EXPECT_EQ(outcome.result, 1603u) << outcome.error;
            EXPECT_TRUE(outcome.rolledBack);
            EXPECT_EQ(deferred.back(), afterCapture[failing]);

            const std::set<std::string> ran(afterCapture.begin(), afterCapture.begin() + static_cast<std::ptrdiff_t>(failing));
            Differences allowed;
            for (const cli::RollbackTrace& trace : cli::AllowedRollbackTraces()) {
                if ((trace.machines.contains("*") || trace.machines.contains(road.name)) &&
                    (trace.after.empty() || ran.contains(trace.after))) {
                    allowed.insert(trace.differences.begin(), trace.differences.end());
                }
            }
            const Differences found = cli::MachineDifferences(report);
            std::vector<std::string> unexpected, missing;
            std::set_difference(found.begin(), found.end(), allowed.begin(), allowed.end(), std::back_inserter(unexpected));
            std::set_difference(allowed.begin(), allowed.end(), found.begin(), found.end(), std::back_inserter(missing));
            EXPECT_TRUE(unexpected.empty()) << ::testing::PrintToString(unexpected);
            EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);

            // Files whose bytes must be what the machine had.
            if (road.serverFiles) {
                EXPECT_EQ(sim::ReadDriveFile(m, kSystem + "kvconf.rec"), "the machine's own record");
                EXPECT_EQ(sim::ReadDriveFile(m, kSystem + "kvroot.crt"), "the machine's own root certificate");
            }

            const std::string text = cli::RenderText(report) + cli::RenderJson(report).dump() + m.standardOutput;
            EXPECT_EQ(text.find(kSampleSecret), std::string::npos);
            for (const std::string& line : m.session.log) EXPECT_EQ(line.find(kSampleSecret), std::string::npos) << line;
        }
    }
}

class ProcessRollBack : public SimFixture {
protected:
    const std::string agentDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
    std::string Data(const std::string& uiLevel) {
        return kSystem + ";C:\\WINDOWS\\;" + agentDir + ";" + uiLevel + ";C:\\F\\;C:\\B\\;C:\\S\\";
    }
};

TEST_F(ProcessRollBack, PartnerPacksSevenFieldsAndEmptyDataFails) {
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"SystemFolder", kSystem}, {"WindowsFolder", "C:\\WINDOWS\\"}, {"INSTALLDIR", agentDir},
             {"UILevel", "5"}, {"VeltraSharedAuthFrameworkFolder", "C:\\F\\"},
             {"VeltraSharedBackendUIFolder", "C:\\B\\"}, {"VeltraSharedFolder", "C:\\S\\"}}) {
        SetProperty(name, value);
    }
    EXPECT_EQ(Run("SetDeferredRollBackData"), 0u);
    EXPECT_EQ(Property("ProcessRollBack"), Data("5"));
    SetProperty("UILevel", "12345678901");  // read into ten bytes
    EXPECT_EQ(Run("SetDeferredRollBackData"), 0u);
    EXPECT_EQ(Property("ProcessRollBack"), Data("123456789"));
    EXPECT_EQ(RunDeferred("ProcessRollBack", ""), 1603u);
}

TEST_F(ProcessRollBack, TakesTheAgentGinaOutAskingOnlyWhenNotQuiet) {
    struct Case {
        std::string uiLevel;
        std::vector<int> answers;
        std::size_t dialogs;
    };
    const Case cases[] = {{"2", {}, 0}, {"5", {platform::kIdContinue}, 1}, {"5", {platform::kIdCancel}, 1}};
    const std::string winlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uiLevel + " with " + std::to_string(c.answers.size()) + " answers");
        machine = sim::Machine();
        PutFile(agentDir + "KeshGina.dll");
        PutFile(kSystem + "msgina.dll");
        SetString(winlogon, "GinaDLL", agentDir + "KeshGina.dll");
        machine.mutexes.insert("Global\\DETECT_KVGINASA_LOADED");  // loaded until the next restart
        for (int answer : c.answers) Answer(answer);

        EXPECT_EQ(RunDeferred("ProcessRollBack", Data(c.uiLevel)), 0u);  // a rollback never fails
        EXPECT_FALSE(GetString(winlogon, "GinaDLL").has_value());
        EXPECT_EQ(machine.dialogs.size(), c.dialogs);
    }
}

TEST_F(ProcessRollBack, RemovesOnlyEmptyFoldersAndResetsAnExistingServiceCount) {
    const std::string sharedDlls = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    PutFolder(agentDir + "VeltraKeshAgentRepository");
    PutFolder(agentDir + "Agenthost Autoreg Utility");
    PutFile("C:\\Program Files\\other.txt");
    SetDword(sharedDlls, agentDir + "da_svc.exe", 3);
    EXPECT_EQ(RunDeferred("ProcessRollBack", Data("2")), 0u);
    EXPECT_FALSE(FileExists("C:\\Program Files\\Veltra Security"));
    EXPECT_TRUE(FileExists("C:\\Program Files\\other.txt"));
    EXPECT_EQ(GetDword(sharedDlls, agentDir + "da_svc.exe"), 1u);

    machine.registry.FindKey(sharedDlls)->DeleteValue(agentDir + "da_svc.exe");
    PutFile(agentDir + "kept.txt");
    EXPECT_EQ(RunDeferred("ProcessRollBack", Data("2")), 0u);
    EXPECT_TRUE(FileExists(agentDir + "kept.txt"));
    EXPECT_FALSE(GetDword(sharedDlls, agentDir + "da_svc.exe").has_value());  // a count is never made up
}

}  // namespace
}  // namespace veltra::testing
