// The services and the registration page along the package's own roads, on
// the bench's sample machine: what the package schedules, what the report
// shows, and what machine.json keeps of a service for the next run.
#include "cli/machine_folder.h"
#include "cli/report.h"
#include "cli/roads.h"
#include "cli/sample_machine.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const engine::Package& ThePackage() {
    static const engine::Package package = [] {
        std::string error;
        std::optional<engine::Package> read = engine::ReadPackage(cli::BenchPackage(), error);
        EXPECT_TRUE(read) << error;
        return read.value_or(engine::Package{});
    }();
    return package;
}

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

TEST_F(ServiceRoads, InstallationRegistersTheLocalServiceAndTheReportShowsIt) {
    auto loaded = Sample(cli::SampleKind::Plain);
    ASSERT_NE(loaded, nullptr);
    sim::Machine& machine = loaded->machine();
    const cli::MachineSnapshot before = cli::TakeSnapshot(machine);

    const engine::InstallOutcome outcome = cli::RunRoad(*cli::FindRoad("install"), ThePackage(), machine);

    ASSERT_EQ(outcome.result, 0u) << outcome.error;
    cli::RunReport report;
    cli::CompareSnapshots(before, cli::TakeSnapshot(machine), report);
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
    const nlohmann::json json = cli::RenderJson(report);
    ASSERT_EQ(json["services"].size(), 1u) << json["services"].dump(1);
    EXPECT_EQ(json["services"][0]["change"], "added");
    EXPECT_EQ(json["services"][0]["after"]["binary_path"], "\"" + kAgentDir + "da_svc.exe\" -local");
    EXPECT_TRUE(json["services"][0]["before"].is_null());
    EXPECT_TRUE(json["shell_opens"].empty()) << "the registration page is offered only with its feature";
}

// The package's own tables delete the services with their features, so a
// later installation can register them again.
TEST_F(ServiceRoads, RemovalDeletesTheServiceAndReinstallationRegistersItAgain) {
    auto loaded = Sample(cli::SampleKind::Installed);
    ASSERT_NE(loaded, nullptr);
    sim::Machine& machine = loaded->machine();
    ASSERT_TRUE(machine.services.contains("OASVC_Local"));

    const engine::InstallOutcome removal = cli::RunRoad(*cli::FindRoad("remove"), ThePackage(), machine);

    ASSERT_EQ(removal.result, 0u) << removal.error;
    EXPECT_FALSE(machine.services.contains("OASVC_Local"));
    const engine::InstallOutcome again = cli::RunRoad(*cli::FindRoad("silent"), ThePackage(), machine);
    ASSERT_EQ(again.result, 0u) << again.error;
    EXPECT_EQ(machine.services.at("OASVC_Local").config.binaryPath, "\"" + kAgentDir + "da_svc.exe\" -local");
}

TEST_F(ServiceRoads, ARegistrationFeatureOpensThePageWithTheInstalledComponents) {
    auto loaded = Sample(cli::SampleKind::Plain);
    ASSERT_NE(loaded, nullptr);
    sim::Machine& machine = loaded->machine();
    engine::EngineOptions options;
    options.commandLine = {{"ADDLOCAL", "LocalAuthClient,Autoreg"}};
    options.uiLevel = 5;

    const engine::InstallOutcome outcome = engine::RunInstallation(ThePackage(), machine, options);

    ASSERT_EQ(outcome.result, 0u) << outcome.error;
    ASSERT_EQ(machine.shellOpens.size(), 1u);
    EXPECT_EQ(machine.shellOpens[0].file,
              "http://www.veltrasecurity.com/go/register/agent.asp?Product=NT+Agent&Components=L,&Version=1.0"
              "&Upgrade=NO&OS=Microsoft+Windows&OS+Version=5");
}

TEST_F(ServiceRoads, MachineFolderKeepsEveryFieldOfAService) {
    auto loaded = Sample(cli::SampleKind::Installed);
    ASSERT_NE(loaded, nullptr);
    platform::ServiceConfig config;
    config.name = "Other";
    config.displayName = "Other service";
    config.binaryPath = "C:\\other.exe -x";
    config.serviceType = 0x20;
    config.startType = platform::kServiceDemandStart;
    config.errorControl = 0;
    config.account = ".\\runner";
    loaded->machine().services["Other"] = sim::ServiceRecord{config, "described"};
    std::string error;
    ASSERT_TRUE(loaded->SaveTo(dir.path() / "saved", error)) << error;

    const auto reread = cli::LoadedMachine::Open(dir.path() / "saved", error);

    ASSERT_NE(reread, nullptr) << error;
    ASSERT_EQ(reread->machine().services.size(), 2u);
    for (const auto& [name, kept] : loaded->machine().services) {
        const sim::ServiceRecord& read = reread->machine().services.at(name);
        EXPECT_EQ(read.config.name, kept.config.name);
        EXPECT_EQ(read.config.displayName, kept.config.displayName);
        EXPECT_EQ(read.config.binaryPath, kept.config.binaryPath);
        EXPECT_EQ(read.config.serviceType, kept.config.serviceType);
        EXPECT_EQ(read.config.startType, kept.config.startType);
        EXPECT_EQ(read.config.errorControl, kept.config.errorControl);
        EXPECT_EQ(read.config.account, kept.config.account);
        EXPECT_EQ(read.description, kept.description);
    }
}

}  // namespace
}  // namespace veltra::testing
