// The installer log: the frame's lines, one line per failure site, secrets
// masked, and nothing else of a run changed by the logging.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_files.h"
#include "runtime/action_table.h"
#include "runtime/secrets.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

struct LogCase {
    std::string action;
    std::map<std::string, std::string> properties;  // with "CustomActionData": run as the deferred action
    std::string file, fault;                        // fault: "" for none, else OP[:SUBJECT][#N][=CODE]
    platform::Dword result;
    std::string line;  // a line the run writes besides start and result; "" for none
};

const LogCase kCases[] = {
    {"EnableGina", {{"CustomActionData", "C:\\Agent\\KeshGina.dll;2"}}, "C:\\Agent\\KeshGina.dll",
     "RegSetValueExA:" + kWinlogon + "\\GinaDLL=5", 1603, "RegSetValueExA " + kWinlogon + "\\GinaDLL failed: 5"},
    {"CopyConfigFiles", {{"CustomActionData", "No;C:\\Package;C:\\Agent;C:\\WINDOWS\\system32"}}, "", "", 1603,
     "CopyFileA C:\\Agent\\kvroot.crt failed: 2"},
    {"VerifyConfigFiles", {}, "C:\\Package\\kvroot.crt", "", 1603, "SearchPathA C:\\Package\\kvconf.rec failed: 2"},
    {"ValidateFeatures", {{"ProductCode", "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}"}, {"ADDLOCAL", "LocalAuthClient"}},
     "", "MsiSetPropertyA:ISSCHEDULEREBOOT=1627", 1603, "MsiSetPropertyA ISSCHEDULEREBOOT failed: 1627"},
    {"SetKvconfSourcePropNoMess", {{"PATHTOFILE", "C:\\Gone\\kvconf.rec"}}, "", "", 0,
     "GetFileAttributesA C:\\Gone\\kvconf.rec failed: 3"},
    // Brackets and braces come through the installer's formatting as written.
    {"DisplayProperty", {{"DisplayProperty", "NOTE"}, {"NOTE", "[INSTALLDIR]{x}"}}, "", "", 0,
     "property NOTE = \"[INSTALLDIR]{x}\""},
    {"SetKvconfCopyState", {}, "", "", 0, ""},
};

std::string Line(const std::string& action, const std::string& text) { return "VeltraAgentCA: " + action + ": " + text; }

// On a Windows XP machine with the Winlogon key and Microsoft's GINA, each run
// is framed and each failure site names its call, subject and code; the frame
// only adds lines: a run of the bare logic leaves the same result, properties,
// registry and dialogs behind.
TEST(ActionLog, EachRunIsFramedAndEachFailureSiteNamesCallSubjectAndCode) {
    for (const LogCase& c : kCases) {
        SCOPED_TRACE(c.action);
        std::vector<std::string> log;
        const auto run = [&c, &log](bool framed) {
            sim::Machine machine;
            machine.environment["SystemRoot"] = "C:\\WINDOWS";
            machine.registry.CreateKey(kWinlogon);
            sim::PutDriveFile(machine, "C:\\WINDOWS\\system32\\msgina.dll", "x");
            machine.session.sourcePaths["SourceDir"] = "C:\\Package\\";
            if (!c.file.empty()) sim::PutDriveFile(machine, c.file, "x");
            machine.session.properties.insert(c.properties.begin(), c.properties.end());
            machine.session.deferred = c.properties.contains("CustomActionData");
            if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));
            machine.messageBoxAnswers.push_back(platform::kIdOk);
            sim::SimPlatform ports(machine);
            const runtime::ActionEntry& entry = *runtime::FindAction(c.action);
            const platform::Dword result = framed ? runtime::RunAction(entry, ports.platform()) : entry.function(ports.platform());
            if (framed) log = machine.session.log;
            EXPECT_TRUE(machine.session.messages.empty()) << "log lines are not progress messages";
            std::vector<std::string> dialogs;
            for (const sim::DialogRecord& dialog : machine.dialogs) dialogs.push_back(dialog.text);
            return std::tuple(result, machine.session.properties, sim::WriteRegFile(machine.registry, sim::RegFormat::Version5),
                              dialogs);
        };
        const auto framed = run(true);
        EXPECT_TRUE(framed == run(false)) << "the frame changed more than the log";
        EXPECT_EQ(std::get<0>(framed), c.result);

        ASSERT_GE(log.size(), 2u);
        const std::string kind = c.properties.contains("CustomActionData") ? "deferred" : "immediate";
        EXPECT_EQ(log.front(), Line(c.action, "start (" + kind + ")"));
        EXPECT_EQ(log.back(), Line(c.action, "returned " + std::to_string(c.result)));
        if (c.line.empty()) {
            EXPECT_EQ(log.size(), 2u) << "what an action sets is not its to log";
        } else {
            EXPECT_NE(std::find(log.begin(), log.end(), Line(c.action, c.line)), log.end()) << ::testing::PrintToString(log);
        }
    }
}

class ActionLogOnSim : public SimFixture {};

// The frame of an action whose logic has not landed.
TEST_F(ActionLogOnSim, APlannedActionSaysItIsNotBuilt) {
    const runtime::ActionEntry planned{"Planned", runtime::ActionKind::Deferred, "planned", nullptr};
    EXPECT_EQ(runtime::RunAction(planned, sim.platform()), 1603u);
    EXPECT_EQ(machine.session.log, (std::vector<std::string>{Line("Planned", "start (deferred)"),
                                                             Line("Planned", "not built: returned 1603")}));
}

// A secret property read by name, and a secret name/value pair in deferred
// data: a switch stays readable, the field after a secret's name does not.
TEST_F(ActionLogOnSim, NoSecretReachesTheLog) {
    const std::string secret = "s3cr3t-Value";
    SetProperty("DisplayProperty", "RESERVE_PASSWORD");
    SetProperty("RESERVE_PASSWORD", secret);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("DisplayProperty"), 0u);
    EXPECT_EQ(RunDeferred("DisableGina", "REGISTRY_CONFIG_PASSWD;True;NODE_SECRET;" + secret), 1603u);

    const std::vector<std::string>& log = machine.session.log;
    for (const std::string& line : log) EXPECT_EQ(line.find(secret), std::string::npos) << line;
    for (const std::string& line :
         {Line("DisplayProperty", "property RESERVE_PASSWORD = ********"),
          Line("DisableGina", "property CustomActionData = \"REGISTRY_CONFIG_PASSWD;True;NODE_SECRET;********\"")}) {
        EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
    }
    const std::pair<std::string, std::string> masked[] = {
        {"a;;b", "a;;b"}, {"RESERVE_PASSWORD;x;y", "RESERVE_PASSWORD;********;y"}, {"x;domain_secret;", "x;domain_secret;"},
        {"WINDOWS_PASSWORD_STATE;False;PIN;4", "WINDOWS_PASSWORD_STATE;False;PIN;4"},
    };
    for (const auto& [data, shown] : masked) EXPECT_EQ(runtime::MaskDeferredData(data), shown) << data;
}

}  // namespace
}  // namespace veltra::testing
