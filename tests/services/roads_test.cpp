// The services and the registration page along the package's own roads, on
// the bench's sample machine.
// Also the offline-authentication services registered: their exact parameters,
// the progress record, and every failure with each handle closed again.
#include "cli/machine_folder.h"
#include "cli/report.h"
#include "cli/roads.h"
#include "support/test_package.h"
#include "cli/sample_machine.h"
#include "support/sim_fixture.h"
#include <algorithm>
#include "platform/sim/faults.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kAgentDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";

class ServiceRoads : public ::testing::Test {
protected:
    std::unique_ptr<cli::LoadedMachine> Sample(cli::SampleKind kind) {
        std::string error;
        EXPECT_TRUE(cli::WriteSampleMachine(dir.path() / "sample", kind, error)) << error;
        auto loaded = cli::LoadedMachine::Open(dir.path() / "sample", error);
        EXPECT_NE(loaded, nullptr) << error;
        return loaded;
    }

    TempDir dir;
};

// The wizard's road with the registration feature and "Challenge All Users"
// confirmed: the service, the registration page and the exclude group, as
// the report shows them.
TEST_F(ServiceRoads, InstallationRegistersTheServiceOpensThePageAndCreatesTheExcludeGroup) {
    auto loaded = Sample(cli::SampleKind::Plain);
    ASSERT_NE(loaded, nullptr);
    sim::Machine& machine = loaded->machine();
    const cli::MachineSnapshot before = cli::TakeSnapshot(machine);
    machine.messageBoxAnswers.push_back(platform::kIdYes);
    cli::Road road = *cli::FindRoad("install");
    road.commandLine = {{"ADDLOCAL", "LocalAuthClient,Autoreg"}, {"_ISTokaraAuthChallenge", "1"}};

    const engine::InstallOutcome outcome = cli::RunRoad(road, TestPackage(), machine);

    ASSERT_EQ(outcome.result, 0u) << outcome.error;
    ASSERT_EQ(machine.shellOpens.size(), 1u);
    EXPECT_EQ(machine.shellOpens.at(0).file,
              "http://www.veltrasecurity.com/go/register/agent.asp?Product=NT+Agent&Components=L,&Version=1.0"
              "&Upgrade=NO&OS=Microsoft+Windows&OS+Version=5");
    cli::RunReport report;
    cli::CompareWithMachine(before, machine, report);
    cli::TakeRecords(machine, report);
    const std::string text = cli::RenderText(report);
    EXPECT_NE(text.find("\nServices\n"
                        "  added: OASVC_Local\n"
                        "    display name: Veltra Authentication Agent Offline Local\n"
                        "    binary path: \"" + kAgentDir + "da_svc.exe\" -local\n"
                        "    service type: 0x10 (own process)\n"
                        "    start type: 2 (automatic)\n"
                        "    error control: 1 (normal)\n"
                        "    account: LocalSystem\n"
                        "    description: Enables Kesh offline authentication\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nGroups\n"
                        "  added: ExcludeGroup\n"
                        "    comment: \"Local users in this group will not be challenged\"\n"
                        "    member: S-1-5-21-1004399068-1177246595-681986434-500\n"),
              std::string::npos)
        << text;
    const nlohmann::json json = cli::RenderJson(report);
    ASSERT_EQ(json["services"].size(), 1u) << json.dump(1);
    EXPECT_EQ(json["services"][0]["change"].get<std::string>() + " " +
                  json["services"][0]["after"]["binary_path"].get<std::string>() + " " + json["services"][0]["before"].dump(),
              "added \"" + kAgentDir + "da_svc.exe\" -local null");
    EXPECT_EQ(json["groups"].dump(),
              R"([{"added_members":["S-1-5-21-1004399068-1177246595-681986434-500"],"change":"added",)"
              R"("comment":"Local users in this group will not be challenged",)"
              R"("members":["S-1-5-21-1004399068-1177246595-681986434-500"],"name":"ExcludeGroup"}])");
}

// machine.json keeps every field of a service for the next run; the package's
// own tables delete its services with their features, and no other, so a later
// installation can register them again.
TEST_F(ServiceRoads, AServiceSurvivesTheMachineFolderAndRemovalDeletesOnlyTheAgents) {
    auto loaded = Sample(cli::SampleKind::Installed);
    ASSERT_NE(loaded, nullptr);
    const platform::ServiceConfig other{"Other", "Other service", 0xF01FF, 0x20, platform::kServiceDemandStart, 0,
                                        "C:\\other.exe -x", "", "", ".\\runner"};
    loaded->machine().services["Other"] = sim::ServiceRecord{other, "described"};
    std::string error;
    ASSERT_TRUE(loaded->SaveTo(dir.path() / "saved", error)) << error;
    const auto reread = cli::LoadedMachine::Open(dir.path() / "saved", error);
    ASSERT_NE(reread, nullptr) << error;
    const auto fields = [](const sim::Machine& m) {
        std::string all;
        for (const auto& [name, r] : m.services) {
            all += name + "|" + r.config.name + "|" + r.config.displayName + "|" + r.config.binaryPath + "|" +
                   std::to_string(r.config.serviceType) + "," + std::to_string(r.config.startType) + "," +
                   std::to_string(r.config.errorControl) + "|" + r.config.account + "|" + r.description + "\n";
        }
        return all;
    };
    sim::Machine& machine = reread->machine();
    EXPECT_EQ(fields(machine), fields(loaded->machine()));
    ASSERT_EQ(machine.services.size(), 2u);

    const engine::InstallOutcome removal = cli::RunRoad(*cli::FindRoad("remove"), TestPackage(), machine);

    ASSERT_EQ(removal.result, 0u) << removal.error;
    EXPECT_EQ(fields(machine), "Other|Other|Other service|C:\\other.exe -x|32,3,0|.\\runner|described\n");
    const engine::InstallOutcome again = cli::RunRoad(*cli::FindRoad("silent"), TestPackage(), machine);
    ASSERT_EQ(again.result, 0u) << again.error;
    EXPECT_EQ(machine.services.at("OASVC_Local").config.binaryPath, "\"" + kAgentDir + "da_svc.exe\" -local");
}


const std::string kServiceDir = "C:\\Program Files\\Agent\\";

// Every field the Service Control Manager is given, and the description.
std::string Describe(const sim::ServiceRecord& r) {
    const platform::ServiceConfig& c = r.config;
    return c.name + "|" + c.displayName + "|" + c.binaryPath + "|" + std::to_string(c.desiredAccess) + "," +
           std::to_string(c.serviceType) + "," + std::to_string(c.startType) + "," + std::to_string(c.errorControl) +
           "|" + c.loadOrderGroup + "|" + c.dependencies + "|" + c.account + "|" + r.description;
}

// The local service along the package's road shows the rest.
class OfflineServices : public SimFixture {};

TEST_F(OfflineServices, RegisterWithExactlyTheirParameters) {
    const std::string program = "\"C:\\Program Files\\Agent\\da_svc.exe\" -domain";
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"InstallDomainDAService", kServiceDir, "OASVC_DomainClient|Veltra Authentication Agent Offline DomainClient|" + program,
         "Installing Domain Offline Auth Service"},
        {"InstallDomainHostDAService", kServiceDir,
         "OASVC_DomainHost|Veltra Authentication Agent Offline DomainHost|" + program + "host",
         "Installing DomainHost Offline Auth Service"},
        // The folder is taken as given: no backslash is added, and none is needed.
        {"InstallDomainDAService", "", "OASVC_DomainClient|Veltra Authentication Agent Offline DomainClient|\"da_svc.exe\" -domain",
         "Installing Domain Offline Auth Service"},
        // 340 characters of folder make a command line of 359, the most its buffer holds.
        {"InstallLocalDAService", "C:\\" + std::string(336, 'a') + "\\",
         "OASVC_Local|Veltra Authentication Agent Offline Local|\"C:\\" + std::string(336, 'a') + "\\da_svc.exe\" -local",
         "Installing Local Offline Auth Service"},
    };
    for (const auto& [action, data, record, progress] : cases) {
        machine.services.clear();
        machine.session.messages.clear();
        ASSERT_EQ(RunDeferred(action, data), 0u) << action;

        ASSERT_EQ(machine.services.size(), 1u);
        // Access 0xF01FF, own process, automatic start, normal errors, LocalSystem.
        EXPECT_EQ(Describe(machine.services.begin()->second), record + "|983551,16,2,1||||Enables Kesh offline authentication");
        ASSERT_EQ(machine.session.messages.size(), 1u);
        EXPECT_EQ(machine.session.messages[0].first, 0x08000000u);
        EXPECT_EQ(machine.session.messages[0].second.fields, (std::vector<std::string>{"", action, progress, ""}));
    }
}

struct FailureCase {
    std::string label;
    std::string fault;  // as agentca --fail takes it
    platform::Dword result;
    bool announced;                          // the progress record was sent
    std::optional<std::string> description;  // of OASVC_Local afterwards; nullopt: not registered
    std::string logLine;                     // "" when nothing is logged beyond the frame's lines
    std::string data = kServiceDir;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

const std::vector<FailureCase> kFailures = {
    {"a service of that name already exists", "", 1603, true, "left as it was", "CreateServiceA OASVC_Local failed: 1073"},
    {"the manager does not open", "OpenSCManagerA=5", 1603, true, {}, "OpenSCManagerA local machine failed: 5"},
    {"the creation is refused", "CreateServiceA:OASVC_Local=5", 1603, true, {}, "CreateServiceA OASVC_Local failed: 5"},
    {"a description that cannot be set keeps the service", "ChangeServiceConfig2A=5", 0, true, "",
     "ChangeServiceConfig2A OASVC_Local failed: 5"},
    {"a length probe refused with a bad handle", "MsiGetPropertyA:CustomActionData#1=6", 1603, false, {}, ""},
    {"a progress record the installer refuses changes nothing", "MsiProcessMessage", 0, false,
     "Enables Kesh offline authentication", "MsiProcessMessage ActionStart InstallLocalDAService failed: -1"},
    {"a command line one byte too long for its buffer", "", 1603, false, {},
     "the command line of OASVC_Local does not fit in 360 bytes", "C:\\" + std::string(337, 'a') + "\\"},
};

class ServiceFailures : public SimFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ServiceFailures, GiveTheirResultAndCloseEveryHandle) {
    const FailureCase& c = GetParam();
    if (c.label.ends_with("exists")) machine.services["OASVC_Local"].description = "left as it was";
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));
    machine.trace.enabled = true;

    EXPECT_EQ(RunDeferred("InstallLocalDAService", c.data), c.result);

    EXPECT_EQ(machine.session.messages.size(), c.announced ? 1u : 0u);
    const auto service = machine.services.find("OASVC_Local");
    EXPECT_EQ(service != machine.services.end() ? std::optional(service->second.description) : std::nullopt,
              c.description);
    if (!c.logLine.empty()) {
        const std::string line = "VeltraAgentCA: InstallLocalDAService: " + c.logLine;
        EXPECT_NE(std::find(machine.session.log.begin(), machine.session.log.end(), line), machine.session.log.end())
            << line;
    }
    int open = 0;
    for (const sim::TraceLine& call : machine.trace.lines()) {
        if ((call.operation == "OpenSCManagerA" || call.operation == "CreateServiceA") && call.result == 0) ++open;
        if (call.operation == "CloseServiceHandle" && call.result == 0) --open;
    }
    EXPECT_EQ(open, 0) << "handles left open";
}

INSTANTIATE_TEST_SUITE_P(Faults, ServiceFailures, ::testing::ValuesIn(kFailures), kNameByLabel);

}  // namespace
}  // namespace veltra::testing
