// agentca-capture.exe in Wine: a prefix with a previous agent, captured
// before and after Wine's msiexec installs the package, each capture loaded
// as the bench loads a machine folder, and the change between the two held
// against the simulated machine's run of the same road.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/capture/capture.h"
#include "cli/capture/capture_scope.h"
#include "cli/machine_folder.h"
#include "package_sequence.h"
#include "platform/sim/sim_files.h"
#include "registry_compare.h"
#include "simulated_install.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The tree as a capture leaves it: every secret masked.
sim::RegistryTree Masked(sim::RegistryTree tree) {
    for (const std::string& root : sim::RegistryTree::RootNames()) {
        std::vector<std::shared_ptr<sim::RegNode>> pending = {tree.Root(root)};
        while (!pending.empty()) {
            const auto node = pending.back();
            pending.pop_back();
            for (sim::RegValue value : node->values()) {
                if (capture::MaskSecretValue(value)) node->SetValue(value.name, value.type, value.data);
            }
            for (const auto& [folded, child] : node->subkeys()) pending.push_back(child);
        }
    }
    return tree;
}

// The secret values of a tree, with their data.
std::vector<sim::RegValue> Secrets(const sim::RegistryTree& tree) {
    std::vector<sim::RegValue> secrets;
    for (const std::string& root : sim::RegistryTree::RootNames()) {
        std::vector<std::shared_ptr<sim::RegNode>> pending = {tree.Root(root)};
        while (!pending.empty()) {
            const auto node = pending.back();
            pending.pop_back();
            for (const sim::RegValue& value : node->values()) {
                sim::RegValue masked = value;
                if (capture::MaskSecretValue(masked)) secrets.push_back(value);
            }
            for (const auto& [folded, child] : node->subkeys()) pending.push_back(child);
        }
    }
    return secrets;
}

class CaptureE2eTest : public WineScenarioTest {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!VELTRA_E2E_CAPTURE_BUILT) GTEST_SKIP() << "agentca-capture.exe is not built in this tree";
        UseMachine("prev-agent", "capture");
    }

    // `wine agentca-capture.exe DIR` in the prefix; the folder, loaded.
    std::unique_ptr<cli::LoadedMachine> CaptureInWine(const std::string& name) {
        const fs::path folder = work / name;
        const ProcessResult result =
            wine->Wine({VELTRA_E2E_CAPTURE, WinePrefix::WindowsPath(folder)}, "capture-" + name, 120s);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        wine->WaitForServer();
        std::string error;
        auto loaded = cli::LoadedMachine::Open(folder, error);
        EXPECT_TRUE(loaded) << error;
        return loaded;
    }
};

TEST_F(CaptureE2eTest, CapturesChangeAsTheSimulatedMachineDoesOnTheSameRoad) {
    const fs::path package = PackageFolder("package", {{kOptionsFileName, kOptionsFileText}});
    const InstallerFacts facts = FactsFor(package, kQuietUiLevel);
    const CommandLine commandLine = {{"ADDLOCAL", kAddLocal}};
    std::string error;
    auto simulated = OpenSimulated(error);
    ASSERT_TRUE(simulated) << error;
    simulated->PutFile(facts.sourceDir + kOptionsFileName, kOptionsFileText);
    const sim::RegistryTree simSeeded = simulated->registry();
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, commandLine);
    const sim::RegistryTree simInstalled = simulated->registry();
    watched = WatchedKeys(simSeeded, sim::DiffTrees(simSeeded, simInstalled));
    for (const std::string& key : watched) EXPECT_TRUE(capture::IsCapturedKey(key)) << key;

    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const auto before = CaptureInWine("before");
    RunMsiexec(MsiexecArguments("/i", package, commandLine), "install");
    const auto after = CaptureInWine("after");
    ASSERT_TRUE(before && after);
    const sim::Machine& captured = after->machine();

    // The seeded machine came through, secrets masked; then the same changes.
    ExpectSeeded(before->machine().registry, Masked(simSeeded));
    ExpectSameRegistryChanges(before->machine().registry, captured.registry, Masked(simSeeded),
                              Masked(simInstalled), "installation");

    // No secret in clear: neither the seeded node secret nor any the road wrote.
    const std::vector<sim::RegValue> secrets = Secrets(simInstalled);
    ASSERT_FALSE(secrets.empty()) << "the scenario's machine holds no secret to look for";
    for (const sim::RegValue& value : Secrets(captured.registry)) {
        sim::RegValue masked = value;
        capture::MaskSecretValue(masked);
        EXPECT_EQ(value.data, masked.data) << value.name << " captured in clear";
    }
    const std::string json = ReadText(work / "after" / "machine.json");
    for (const sim::RegValue& secret : secrets) {
        const std::string bytes(secret.data.begin(), secret.data.end());
        EXPECT_EQ(json.find(bytes), std::string::npos) << secret.name << " in machine.json";
    }

    // The files the installation laid down (the simulated installer lays
    // stand-in contents, so names are compared), the service it registered,
    // the product's installed feature.
    const auto names = [](const sim::DriveEntry* folder) {
        std::vector<std::string> found;
        std::vector<std::pair<const sim::DriveEntry*, std::string>> pending = {{folder, ""}};
        while (!pending.empty()) {
            const auto [entry, path] = pending.back();
            pending.pop_back();
            for (const auto& child : entry->children) {
                found.push_back(path + child->name + (child->folder ? "\\" : ""));
                if (child->folder) pending.push_back({child.get(), path + child->name + "\\"});
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    const std::string installDir = *sim::NormalizeWindowsPath(kInstallDir);
    const sim::DriveEntry* simFolder = simulated->machine().drives.Find(installDir);
    const sim::DriveEntry* capturedFolder = captured.drives.Find(installDir);
    ASSERT_TRUE(simFolder && capturedFolder) << kInstallDir;
    EXPECT_EQ(names(capturedFolder), names(simFolder));
    ASSERT_TRUE(captured.services.contains("OASVC_Local"));
    const platform::ServiceConfig& service = captured.services.at("OASVC_Local").config;
    const platform::ServiceConfig& simService = simulated->machine().services.at("OASVC_Local").config;
    EXPECT_EQ(service.binaryPath, simService.binaryPath);
    EXPECT_EQ(service.displayName, simService.displayName);
    EXPECT_EQ(service.startType, simService.startType);
    EXPECT_EQ(captured.services.at("OASVC_Local").description,
              simulated->machine().services.at("OASVC_Local").description);
    const auto features = captured.session.featureStates.find(facts.productCode);
    ASSERT_NE(features, captured.session.featureStates.end()) << "the installed product was not captured";
    EXPECT_EQ(features->second.at(kAddLocal), platform::kInstallStateLocal);
    EXPECT_FALSE(simInstall.actions.empty());
}

}  // namespace
}  // namespace veltra::e2e
