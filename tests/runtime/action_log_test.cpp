// The installer log: the frame's start and result lines, one line per failure
// site with its call, subject and code, secrets masked, and nothing else of a
// run changed by the logging.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_files.h"
#include "runtime/action_table.h"
#include "runtime/log.h"
#include "runtime/secrets.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kProductCode = "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}";

struct LogCase {
    std::string action;
    std::optional<std::string> deferredData;  // set: run as the deferred action
    std::vector<std::pair<std::string, std::string>> properties;
    std::vector<std::string> files;
    std::string fault;  // "" for none, else OP[:SUBJECT][#N][=CODE]
    int okAnswers = 0;  // message boxes answered OK
    platform::Dword result = 0;
    std::string line;  // a line the run writes besides start and result; "" for none
};

const std::vector<LogCase> kCases = {
    {"EnableGina", "C:\\Agent\\KeshGina.dll;2", {}, {"C:\\Agent\\KeshGina.dll"},
     "RegSetValueExA:" + kWinlogon + "\\GinaDLL=5", 1, 1603,
     "RegSetValueExA " + kWinlogon + "\\GinaDLL failed: 5"},
    {"DisableGina", "5", {}, {}, "RegOpenKeyExA:" + kWinlogon + "=5", 1, 1603,
     "RegOpenKeyExA " + kWinlogon + " failed: 5"},
    {"CopyKvconfRec", "C:\\Temp\\kvconf.rec;C:\\WINDOWS\\system32\\;1;C:\\Repo\\", {},
     {"C:\\Temp\\kvconf.rec"}, "CopyFileA:C:\\WINDOWS\\system32\\kvconf.rec=32", 1, 1603,
     "CopyFileA C:\\WINDOWS\\system32\\kvconf.rec failed: 32"},
    {"CopyConfigFiles", "No;C:\\Package;C:\\Agent;C:\\WINDOWS\\system32", {}, {}, "", 0, 1603,
     "CopyFileA C:\\Agent\\kvroot.crt failed: 2"},
    {"VerifyConfigFiles", std::nullopt, {}, {"C:\\Package\\kvroot.crt"}, "", 0, 1603,
     "SearchPathA C:\\Package\\kvconf.rec failed: 2"},
    {"ValidateFeatures", std::nullopt, {{"ProductCode", kProductCode}, {"ADDLOCAL", "LocalAuthClient"}},
     {}, "MsiSetPropertyA:ISSCHEDULEREBOOT=1627", 0, 1603,
     "MsiSetPropertyA ISSCHEDULEREBOOT failed: 1627"},
    {"SetKvconfSourcePropNoMess", std::nullopt, {{"PATHTOFILE", "C:\\Gone\\kvconf.rec"}}, {}, "", 0,
     0, "GetFileAttributesA C:\\Gone\\kvconf.rec failed: 3"},
    // Brackets and braces come through the installer's formatting as written.
    {"DisplayProperty", std::nullopt, {{"DisplayProperty", "NOTE"}, {"NOTE", "[INSTALLDIR]{x}"}}, {}, "",
     1, 0, "property NOTE = \"[INSTALLDIR]{x}\""},
    {"SetKvconfCopyState", std::nullopt, {}, {}, "", 0, 0, ""},
};

std::string Line(const std::string& action, const std::string& text) {
    return runtime::LogLine(action, text);
}

// A Windows XP machine with the Winlogon key and Microsoft's GINA, prepared
// for one case: its properties, files, fault and answers.
void Prepare(sim::Machine& machine, const LogCase& c) {
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    machine.registry.CreateKey(kWinlogon);
    sim::PutDriveFile(machine, "C:\\WINDOWS\\system32\\msgina.dll", "x");
    machine.session.sourcePaths["SourceDir"] = "C:\\Package\\";
    for (const std::string& file : c.files) sim::PutDriveFile(machine, file, "x");
    for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
    if (c.deferredData) {
        machine.session.deferred = true;
        machine.session.properties["CustomActionData"] = *c.deferredData;
    }
    if (!c.fault.empty()) {
        std::string error;
        auto rule = sim::ParseFaultRule(c.fault, &error);
        ASSERT_TRUE(rule) << error;
        machine.faults.Add(*rule);
    }
    for (int i = 0; i < c.okAnswers; ++i) machine.messageBoxAnswers.push_back(platform::kIdOk);
}

class ActionLog : public SimFixture {};

TEST_F(ActionLog, EachRunIsFramedAndEachFailureSiteNamesCallSubjectAndCode) {
    for (const LogCase& c : kCases) {
        SCOPED_TRACE(c.action);
        sim::Machine run;
        Prepare(run, c);
        sim::SimPlatform ports(run);
        const runtime::ActionEntry& entry = *runtime::FindAction(c.action);
        EXPECT_EQ(runtime::RunAction(entry, ports.platform()), c.result);

        const std::vector<std::string>& log = run.session.log;
        ASSERT_GE(log.size(), 2u);
        const std::string kind = c.deferredData ? "deferred" : "immediate";
        EXPECT_EQ(log.front(), Line(c.action, "start (" + kind + ")"));
        EXPECT_EQ(log.back(), Line(c.action, "returned " + std::to_string(c.result)));
        if (c.line.empty()) {
            EXPECT_EQ(log.size(), 2u) << "what an action sets is not its to log";
        } else {
            EXPECT_NE(std::find(log.begin(), log.end(), Line(c.action, c.line)), log.end())
                << ::testing::PrintToString(log);
        }
        EXPECT_TRUE(run.session.messages.empty()) << "log lines are not progress messages";
    }
}

TEST_F(ActionLog, APlannedActionSaysItIsNotBuilt) {
    EXPECT_EQ(runtime::RunAction(*runtime::FindAction("CleanPavoData"), sim.platform()), 1603u);
    EXPECT_EQ(machine.session.log,
              (std::vector<std::string>{Line("CleanPavoData", "start (immediate)"),
                                        Line("CleanPavoData", "not built: returned 1603")}));
}

TEST_F(ActionLog, NoSecretReachesTheLog) {
    const std::string secret = "s3cr3t-Value";
    // A secret property read by name, and a secret name/value pair in deferred data.
    SetProperty("DisplayProperty", "RESERVE_PASSWORD");
    SetProperty("RESERVE_PASSWORD", secret);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("DisplayProperty"), 0u);
    EXPECT_EQ(RunDeferred("DisableGina", "REGISTRY_CONFIG_PASSWD;True;NODE_SECRET;" + secret), 1603u);

    const std::vector<std::string>& log = machine.session.log;
    for (const std::string& line : log) EXPECT_EQ(line.find(secret), std::string::npos) << line;
    const auto has = [&](const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    };
    EXPECT_TRUE(has(Line("DisplayProperty", "property RESERVE_PASSWORD = ********")));
    EXPECT_TRUE(has(Line("DisableGina",
                         "property CustomActionData = \"REGISTRY_CONFIG_PASSWD;True;NODE_SECRET;********\"")))
        << "a switch stays readable, the field after a secret's name does not";
}

TEST_F(ActionLog, MaskingKeepsEveryFieldInPlace) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a;;b", "a;;b"},
        {"RESERVE_PASSWORD;x;y", "RESERVE_PASSWORD;********;y"},
        {"x;domain_secret;", "x;domain_secret;"},
        {"WINDOWS_PASSWORD_STATE;False;PIN;4", "WINDOWS_PASSWORD_STATE;False;PIN;4"},
    };
    for (const auto& [data, shown] : cases) EXPECT_EQ(runtime::MaskDeferredData(data), shown) << data;
}

// The frame only adds lines: a run through it and a run of the bare logic
// leave the same result, properties, registry and dialogs behind.
TEST_F(ActionLog, LoggingChangesNothingElse) {
    for (const LogCase& c : kCases) {
        SCOPED_TRACE(c.action);
        struct Outcome {
            platform::Dword result;
            std::map<std::string, std::string> properties;
            std::vector<std::uint8_t> registry;
            std::vector<std::string> dialogs;
        };
        std::vector<Outcome> outcomes;
        for (const bool framed : {true, false}) {
            sim::Machine run;
            Prepare(run, c);
            sim::SimPlatform ports(run);
            const runtime::ActionEntry& entry = *runtime::FindAction(c.action);
            Outcome outcome;
            outcome.result = framed ? runtime::RunAction(entry, ports.platform())
                                    : entry.function(ports.platform());
            outcome.properties = run.session.properties;
            outcome.registry = sim::WriteRegFile(run.registry, sim::RegFormat::Version5);
            for (const sim::DialogRecord& dialog : run.dialogs) outcome.dialogs.push_back(dialog.text);
            outcomes.push_back(std::move(outcome));
        }
        EXPECT_EQ(outcomes[0].result, outcomes[1].result);
        EXPECT_EQ(outcomes[0].properties, outcomes[1].properties);
        EXPECT_EQ(outcomes[0].registry, outcomes[1].registry);
        EXPECT_EQ(outcomes[0].dialogs, outcomes[1].dialogs);
    }
}

}  // namespace
}  // namespace veltra::testing
