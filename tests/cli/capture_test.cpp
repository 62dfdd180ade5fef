// The capture of a machine: what it takes is all the roads touch, it takes
// it without changing the machine, secrets never leave in clear, and a
// captured machine plays the upgrade road as the machine itself does.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/capture/capture.h"
#include "cli/capture/capture_scope.h"
#include "cli/machine_folder.h"
#include "cli/roads.h"
#include "cli/sample_machine.h"
#include "platform/sim/regfile.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/secrets.h"
#include "support/sim_fixture.h"

namespace veltra::capture {
namespace {

namespace fs = std::filesystem;

const fs::path kMachines = fs::path(VELTRA_TESTS_DIR) / "machines";

std::unique_ptr<cli::LoadedMachine> Open(const fs::path& folder) {
    std::string error;
    auto loaded = cli::LoadedMachine::Open(folder, error);
    EXPECT_TRUE(loaded) << error;
    return loaded;
}

sim::engine::InstallOutcome Road(const std::string& road, sim::Machine& machine) {
    std::string error;
    static const auto package = sim::engine::ReadPackage(cli::BenchPackage(), error);
    EXPECT_TRUE(package) << error;
    return cli::RunRoad(*cli::FindRoad(road), *package, machine);
}

// Masks the secrets of a key's values (and of its subkeys' when deep) as a
// capture does; how many there were.
std::size_t MaskSecrets(sim::RegNode& node, bool deep) {
    std::size_t masked = 0;
    for (sim::RegValue value : std::vector(node.values())) {
        if (!MaskSecretValue(value)) continue;
        node.SetValue(value.name, value.type, value.data);
        ++masked;
    }
    if (!deep) return masked;
    for (const auto& [folded, child] : node.subkeys()) masked += MaskSecrets(*child, true);
    return masked;
}

bool IsValueOperation(const std::string& operation) {
    return operation == "RegQueryValueExA" || operation == "RegSetValueExA" || operation == "RegDeleteValueA";
}

// A value's subject is its key and its name, and a name may hold backslashes
// (SharedDLLs names files): some key above the subject must be captured.
bool ValueKeyCaptured(const std::string& subject) {
    for (std::size_t at = subject.find('\\'); at != std::string::npos; at = subject.find('\\', at + 1)) {
        if (IsCapturedKey(subject.substr(0, at))) return true;
    }
    return false;
}

// Every registry call a road makes names a key (or a key's value) that the
// capture takes; a key above a captured one may only be opened and closed on
// the way down. Run on the machines whose roads reach the most keys: the
// sample's installation and removal, the upgrade of a previous agent and its
// removal, the GINA chain through six products, every sibling product.
TEST(CaptureScope, EveryRegistryKeyTheRoadsTouchIsCaptured) {
    testing::TempDir dir;
    std::string error;
    ASSERT_TRUE(cli::WriteSampleMachine(dir.path() / "sample", cli::SampleKind::Plain, error)) << error;
    struct Step {
        fs::path machine;
        std::vector<std::string> roads;
        std::vector<int> answers;
    };
    const std::vector<Step> steps = {
        {dir.path() / "sample", {"install", "remove"}, {}},
        {kMachines / "upgrade-prev-currentkey", {"install", "remove"}, {platform::kIdYes}},
        {kMachines / "upgrade-prev-legacykey", {"install"}, {platform::kIdYes}},
        {kMachines / "gina-six-products", {"install", "remove"}, {platform::kIdOk, platform::kIdOk}},
        {kMachines / "sibling-all", {"install", "remove"}, {}},
    };
    for (const Step& step : steps) {
        auto loaded = Open(step.machine);
        ASSERT_TRUE(loaded);
        sim::Machine& machine = loaded->machine();
        machine.trace.enabled = true;
        for (const std::string& road : step.roads) {
            machine.messageBoxAnswers.assign(step.answers.begin(), step.answers.end());
            Road(road, machine);
        }
        std::set<std::string> uncovered;
        std::size_t registryCalls = 0;
        for (const sim::TraceLine& line : machine.trace.lines()) {
            const sim::Operation* operation = sim::FindOperation(line.operation);
            if (operation == nullptr || operation->port != "Registry") continue;
            ++registryCalls;
            const bool passing = (line.operation == "RegOpenKeyExA" || line.operation == "RegCloseKey" ||
                                  line.operation == "RegCreateKeyExA") &&
                                 IsAboveCapturedKey(line.subject);
            const bool covered = IsCapturedKey(line.subject) ||
                                 (IsValueOperation(line.operation) && ValueKeyCaptured(line.subject));
            if (!passing && !covered) uncovered.insert(line.operation + " " + line.subject);
        }
        EXPECT_GT(registryCalls, 100u) << step.machine;
        EXPECT_TRUE(uncovered.empty()) << step.machine << ": not captured:\n"
                                       << ::testing::PrintToString(uncovered);
    }
}

TEST(CaptureScope, ValuesOnlyRootsDoNotReachTheirSubkeys) {
    const std::string winlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    EXPECT_TRUE(IsCapturedKey(winlogon));
    EXPECT_TRUE(IsCapturedKey("hklm\\software\\microsoft\\windows nt\\currentversion\\WINLOGON"));
    EXPECT_FALSE(IsCapturedKey(winlogon + "\\Notify"));
    EXPECT_FALSE(IsCapturedKey("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa\\JD"));
    EXPECT_TRUE(IsCapturedKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KVGINA\\Deep"));
    EXPECT_FALSE(IsCapturedKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\MorvaneOther"));
    EXPECT_TRUE(IsAboveCapturedKey("HKEY_LOCAL_MACHINE\\SOFTWARE"));
    EXPECT_FALSE(IsAboveCapturedKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane"));
}

// The upgrade machine with what a customer's machine holds besides: a clear
// password in Winlogon, a key and files no road touches.
class CaptureOfAMachine : public ::testing::Test {
protected:
    void SetUp() override {
        loaded = Open(kMachines / "upgrade-prev-currentkey");
        ASSERT_TRUE(loaded);
        sim::Machine& m = loaded->machine();
        m.registry.CreateKey(kWinlogon)->SetValue("DefaultPassword", platform::kRegSz, Bytes("hunter2\0"));
        m.registry.CreateKey(kWinlogon + "\\Notify\\Other")->SetValue("DllName", platform::kRegSz, Bytes("x.dll\0"));
        m.registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Unrelated")->SetValue("A", platform::kRegDword, Bytes("\1\0\0\0"));
        sim::PutDriveFile(m, "C:\\WINDOWS\\system32\\kvgina.dll", "legacy gina");
        sim::PutDriveFile(m, "C:\\WINDOWS\\system32\\MSGina.dll", "microsoft gina");
        sim::PutDriveFile(m, "C:\\WINDOWS\\system32\\user32.dll", "not ours");
        sim::PutDriveFile(m, "C:\\Documents and Settings\\installer\\notes.txt", "private");
        m.attributes["C:\\WINDOWS\\system32\\kvgina.dll"] = platform::kFileAttributeReadOnly;
        m.registry.CreateKey(kWinlogon)->SetValue("GinaDLL", platform::kRegSz, Bytes("kvgina.dll\0"));
    }

    // Captures the machine through the simulated ports, with a trace.
    void Capture() {
        sim::Machine& m = loaded->machine();
        m.trace.enabled = true;
        sim::SimPlatform ports(m);
        platform::Platform& p = ports.platform();
        CaptureRegistry(p.registry, captured.registry, summary);
        CaptureFiles(p.files, p.system, p.versions, captured, summary);
    }

    // The literal's bytes, an explicit "\0" included, the implicit one not.
    template <std::size_t N>
    static std::vector<std::uint8_t> Bytes(const char (&text)[N]) {
        return {text, text + N - 1};
    }

    const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    std::unique_ptr<cli::LoadedMachine> loaded;
    sim::Machine captured;
    CaptureSummary summary;
};

TEST_F(CaptureOfAMachine, OnlyReadsAndLeavesTheMachineAsItWas) {
    const sim::RegistryTree registryBefore = loaded->machine().registry;
    Capture();
    const std::set<std::string> reads = {
        "RegOpenKeyExA", "RegCloseKey", "RegQueryInfoKeyA", "RegEnumKeyExA", "RegEnumValueA",
        "GetFileAttributesA", "FindFirstFileA", "fopen(r)", "ExpandEnvironmentStringsA",
        "GetSystemDirectoryA", "GetFileVersionInfoSizeA", "GetFileVersionInfoA", "VerQueryValueA"};
    std::set<std::string> others;
    for (const sim::TraceLine& line : loaded->machine().trace.lines()) {
        if (!reads.contains(line.operation)) others.insert(line.operation);
    }
    EXPECT_TRUE(others.empty()) << ::testing::PrintToString(others);
    EXPECT_TRUE(loaded->machine().registry == registryBefore);
    EXPECT_EQ(sim::ReadDriveFile(loaded->machine(), "C:\\WINDOWS\\system32\\kvgina.dll"), "legacy gina");
}

TEST_F(CaptureOfAMachine, TakesTheCapturedRootsWholeWithSecretsMasked) {
    Capture();
    sim::RegistryTree expected = loaded->machine().registry;
    std::size_t secrets = 0;
    for (const RegistryRoot& root : RegistryRoots()) {
        const auto original = expected.FindKey(root.path);
        const auto copy = captured.registry.FindKey(root.path);
        ASSERT_EQ(original == nullptr, copy == nullptr) << root.path;
        if (!original) continue;
        secrets += MaskSecrets(*original, root.tree);
        if (root.tree) {
            EXPECT_TRUE(*copy == *original) << root.path;
        } else {
            EXPECT_TRUE(copy->subkeys().empty()) << root.path;
            EXPECT_EQ(copy->values(), original->values()) << root.path;
        }
    }
    EXPECT_GE(secrets, 2u) << "the node secret and Winlogon's password";
    EXPECT_EQ(summary.maskedValues, secrets);
    const sim::RegValue* password = captured.registry.FindKey(kWinlogon)->FindValue("DefaultPassword");
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->data, Bytes("********\0"));
    EXPECT_EQ(captured.registry.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Unrelated"), nullptr);
}

TEST_F(CaptureOfAMachine, TakesTheAgentsFilesAndTheChainsGinasOnly) {
    Capture();
    const sim::Machine& source = loaded->machine();
    for (const char* path : {"C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\KeshGina.dll",
                             "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\"
                             "VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt",
                             "C:\\WINDOWS\\system32\\kvgina.dll", "C:\\WINDOWS\\system32\\MSGina.dll"}) {
        EXPECT_EQ(sim::ReadDriveFile(captured, path), sim::ReadDriveFile(source, path)) << path;
        EXPECT_TRUE(sim::ReadDriveFile(captured, path)) << path;
    }
    for (const char* path : {"C:\\WINDOWS\\system32\\user32.dll", "C:\\Documents and Settings\\installer\\notes.txt",
                             "C:\\Package\\kvconf.rec"}) {
        EXPECT_FALSE(sim::ReadDriveFile(captured, path)) << path;
    }
    EXPECT_EQ(captured.attributes.at("C:\\WINDOWS\\system32\\kvgina.dll"), platform::kFileAttributeReadOnly);
    EXPECT_TRUE(summary.skipped.empty()) << ::testing::PrintToString(summary.skipped);
}

// The point of a capture: the upgrade road on the captured machine (with the
// package folder the engineer brings along, and the installer's own state)
// does what it does on the machine itself.
TEST_F(CaptureOfAMachine, PlaysTheUpgradeRoadAsTheMachineItselfDoes) {
    Capture();
    sim::Machine& source = loaded->machine();
    sim::Machine replay = captured;
    replay.environment = source.environment;
    replay.session = source.session;
    replay.computerName = source.computerName;
    const sim::DriveEntry* package = source.drives.Find("C:\\Package");
    ASSERT_NE(package, nullptr);
    for (const auto& file : package->children) {
        sim::PutDriveFile(replay, "C:\\Package\\" + file->name, *file->bytes);
    }
    // The secrets as the capture leaves them, on both sides.
    for (const RegistryRoot& root : RegistryRoots()) {
        if (auto key = source.registry.FindKey(root.path)) MaskSecrets(*key, true);
    }
    source.trace.enabled = false;
    const sim::RegistryTree sourceBefore = source.registry;
    const sim::RegistryTree replayBefore = replay.registry;
    source.messageBoxAnswers = {platform::kIdYes};
    replay.messageBoxAnswers = {platform::kIdYes};
    const auto onSource = Road("install", source);
    const auto onReplay = Road("install", replay);
    EXPECT_EQ(onSource.result, 0u);
    EXPECT_EQ(onReplay.result, onSource.result);
    ASSERT_EQ(onReplay.steps.size(), onSource.steps.size());
    const auto changes = [](const sim::RegistryTree& before, const sim::RegistryTree& after) {
        std::vector<std::string> lines;
        for (const sim::RegChange& change : sim::DiffTrees(before, after)) {
            lines.push_back(std::to_string(change.kind) + " " + change.key + " " + change.name + " " +
                            (change.after ? sim::FormatRegValueData(*change.after) : "-"));
        }
        return lines;
    };
    EXPECT_EQ(changes(replayBefore, replay.registry), changes(sourceBefore, source.registry));
    EXPECT_EQ(replay.dialogs.size(), source.dialogs.size());
    EXPECT_EQ(replay.session.log, source.session.log);
}

}  // namespace
}  // namespace veltra::capture
