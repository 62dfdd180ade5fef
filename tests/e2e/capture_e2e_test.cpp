// agentca-capture.exe in Wine: a prefix with a previous agent, captured
// before and after Wine's msiexec installs the package, each capture loaded
// as the bench loads a machine folder, and the change between the two held
// against the simulated machine's run of the same road.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "cli/capture/capture.h"
#include "cli/capture/capture_scope.h"
#include "cli/machine_folder.h"
#include "platform/sim/sim_files.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Calls visit with every node and each of its values.
void ForEachValue(const sim::RegistryTree& tree, const std::function<void(sim::RegNode&, const sim::RegValue&)>& visit) {
    for (const std::string& root : sim::RegistryTree::RootNames()) {
        std::vector<std::shared_ptr<sim::RegNode>> pending = {tree.Root(root)};
        while (!pending.empty()) {
            const auto node = pending.back();
            pending.pop_back();
            for (const sim::RegValue& value : std::vector(node->values())) visit(*node, value);
            for (const auto& [folded, child] : node->subkeys()) pending.push_back(child);
        }
    }
}

// The tree as a capture leaves it: every secret masked.
sim::RegistryTree Masked(sim::RegistryTree tree) {
    ForEachValue(tree, [](sim::RegNode& node, sim::RegValue value) {
        if (capture::MaskSecretValue(value)) node.SetValue(value.name, value.type, value.data);
    });
    return tree;
}

// The names below a folder, sorted ("\" ends a folder's).
std::vector<std::string> Names(const sim::DriveEntry* folder) {
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
}

using CaptureE2eTest = WineScenarioTest;

TEST_F(CaptureE2eTest, CapturesChangeAsTheSimulatedMachineDoesOnTheSameRoad) {
    if (!VELTRA_E2E_CAPTURE_BUILT) GTEST_SKIP() << "agentca-capture.exe is not built in this tree";
    ASSERT_NO_FATAL_FAILURE(Begin("prev-agent", "capture", {{kOptionsFileName, kOptionsFileText}}));
    const CommandLine commandLine = {{"ADDLOCAL", kAddLocal}};
    const SimulatedRun simRun = Simulate(commandLine);
    ExpectQuietSuccess(simRun);
    for (const std::string& key : watched) EXPECT_TRUE(capture::IsCapturedKey(key)) << key;
    // `wine agentca-capture.exe DIR` in the prefix; the folder, loaded.
    const auto captureInWine = [&](const std::string& name) {
        const ProcessResult result =
            wine->Wine({VELTRA_E2E_CAPTURE, WinePrefix::WindowsPath(work / name)}, "capture-" + name, 120s);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        wine->WaitForServer();
        std::string error;
        auto loaded = cli::LoadedMachine::Open(work / name, error);
        EXPECT_TRUE(loaded) << error;
        return loaded;
    };

    const auto before = captureInWine("before");
    RunMsiexec(MsiexecArguments("/i", package, commandLine), "install");
    const auto after = captureInWine("after");
    ASSERT_TRUE(before && after);
    const sim::Machine& captured = after->machine();

    // The seeded machine came through, secrets masked; then the same changes.
    ExpectSeeded(before->machine().registry, Masked(simRun.install.before));
    ExpectSameRegistryChanges(before->machine().registry, captured.registry, Masked(simRun.install.before),
                              Masked(simRun.install.after), "installation");
    // No secret in the machine's description either: neither the seeded
    // node secret nor any the road wrote.
    const std::string json = ReadText(work / "after" / "machine.json");
    std::size_t secrets = 0;
    ForEachValue(simRun.install.after, [&](sim::RegNode&, const sim::RegValue& value) {
        sim::RegValue masked = value;
        if (!capture::MaskSecretValue(masked)) return;
        ++secrets;
        EXPECT_EQ(json.find(std::string(value.data.begin(), value.data.end())), std::string::npos) << value.name;
    });
    EXPECT_GT(secrets, 0u) << "the scenario's machine holds no secret to look for";

    // The files the installation laid down (the simulated installer lays
    // stand-in contents, so names are compared), the service it registered
    // as Wine's Service Control Manager holds it, the product's installed
    // feature.
    const std::string installDir = *sim::NormalizeWindowsPath(kInstallDir);
    const sim::DriveEntry* simFolder = simulated->machine().drives.Find(installDir);
    const sim::DriveEntry* capturedFolder = captured.drives.Find(installDir);
    ASSERT_TRUE(simFolder && capturedFolder) << kInstallDir;
    EXPECT_EQ(Names(capturedFolder), Names(simFolder));
    // The simulation keeps the call's arguments, where no account is
    // empty; the Service Control Manager reports it as LocalSystem.
    const auto service = [](const sim::Machine& machine) {
        const sim::ServiceRecord& record = machine.services.at("OASVC_Local");
        const platform::ServiceConfig& config = record.config;
        const std::string account = config.account.empty() ? "LocalSystem" : config.account;
        return std::tuple(config.binaryPath, config.displayName, config.serviceType, config.startType,
                          config.errorControl, account, record.description);
    };
    ASSERT_TRUE(captured.services.contains("OASVC_Local"));
    EXPECT_EQ(service(captured), service(simulated->machine()));
    const auto features = captured.session.featureStates.find(facts.productCode);
    ASSERT_NE(features, captured.session.featureStates.end()) << "the installed product was not captured";
    EXPECT_EQ(features->second.at(kAddLocal), platform::kInstallStateLocal);
}

}  // namespace
}  // namespace veltra::e2e
