// The services and the registration page along the package's own roads, on
// the bench's sample machine.
#include "cli/machine_folder.h"
#include "cli/report.h"
#include "cli/roads.h"
#include "support/test_package.h"
#include "cli/sample_machine.h"
#include "support/sim_fixture.h"

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

}  // namespace
}  // namespace veltra::testing
