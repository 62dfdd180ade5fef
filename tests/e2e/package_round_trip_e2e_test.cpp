// The silent installation package, end to end: package creation with
// Wine's msiexec in one prefix writes the package folder; a silent
// installation from that folder in a fresh prefix installs the agent. Each
// step is run by the simulated installer too, from the same files, and the
// two must agree: the folder byte for byte, then the installation's actions,
// log lines, properties, registry and services.
#include <filesystem>
#include <set>

#include "package_sequence.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kPackageName = "Veltra Authentication Agent for Windows.msi";
const std::string kCertificateProperty = "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58";
const std::vector<std::pair<std::string, std::string>> kServerFiles = {
    {"kvconf.rec", "round-trip server configuration record\n"},
    {"kvroot.crt", "-----BEGIN CERTIFICATE-----\nround-trip root\n-----END CERTIFICATE-----\n"},
    {"server.cer", "round-trip server certificate\n"},
};

class PackageRoundTripTest : public WineScenarioTest {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        UseMachine("plain", "package-round-trip");
    }
};

TEST_F(PackageRoundTripTest, APackageMadeInOnePrefixInstallsSilentlyInAFreshOne) {
    // The administrator's folder: the package and the files from the server.
    const fs::path package = PackageFolder("source", kServerFiles, kPackageName);
    const fs::path source = package.parent_path();
    // Package creation is the end of the wizard: it runs in the user-interface
    // sequence, at a reduced user interface (/qr) where Wine shows nothing.
    const InstallerFacts creating = FactsFor(package, "4");
    ASSERT_FALSE(creating.productCode.empty());
    const std::string& sourceDir = creating.sourceDir;
    const CommandLine builder = {{"PACKAGE_CREATE", "1"},
                                 {"_LAC", "1"},
                                 {"ADDLOCAL", kAddLocal},
                                 {"PATHTOFILE", sourceDir + "kvconf.rec"},
                                 {"PATHTOFILE_KVROOT", sourceDir + "kvroot.crt"},
                                 {kCertificateProperty, sourceDir + "server.cer"},
                                 {"_UNLOCK_ENABLED", "True"},
                                 {"_TIME_OUT", "15"},
                                 {"_ATTEMPTS", "4"}};

    // Machine A.
    std::string error;
    auto simA = OpenSimulated(error);
    ASSERT_TRUE(simA) << error;
    simA->PutFile(sourceDir + kPackageName, ReadText(package));
    for (const auto& [name, content] : kServerFiles) simA->PutFile(sourceDir + name, content);
    const SequenceRun simCreate = SimulateInstallation(*simA, creating, builder);

    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    // The options file's writer ends package creation with 1603 by design.
    const MsiLog createLog = RunMsiexec(MsiexecArguments("/i", package, builder), "create", "/qr", 67);
    ExpectSameActions(createLog, simCreate, "package creation");
    ExpectSameLogLines(createLog, simCreate, creating, "package creation");

    const fs::path made = source / "SilentInstallPackage";
    std::set<std::string> madeInWine;
    for (const auto& entry : fs::directory_iterator(made)) madeInWine.insert(entry.path().filename().string());
    EXPECT_EQ(madeInWine, (std::set<std::string>{"silentInstall.bat", "packageOptionsFile.txt", kPackageName,
                                                 "kvconf.rec", "kvroot.crt", "server.cer"}));
    for (const std::string& name : madeInWine) {
        const auto simulated = simA->ReadFile(sourceDir + "SilentInstallPackage\\" + name);
        ASSERT_TRUE(simulated) << "the simulated package creation wrote no " << name;
        EXPECT_EQ(ReadText(made / name), *simulated) << name << " differs between Wine and the simulated machine";
    }

    // Machine B, fresh on both sides: the silent installation from the
    // folder Wine made.
    const InstallerFacts silent = FactsFor(made / kPackageName, kQuietUiLevel);
    const std::string& packageDir = silent.sourceDir;
    auto simB = OpenSimulated(error);
    ASSERT_TRUE(simB) << error;
    for (const std::string& name : madeInWine) simB->PutFile(packageDir + name, ReadText(made / name));
    const sim::RegistryTree simSeeded = simB->registry();
    const SequenceRun simInstall = SimulateInstallation(*simB, silent, {});
    ASSERT_FALSE(simB->machine().unansweredDialog) << *simB->machine().unansweredDialog;
    for (const auto& [action, result] : simInstall.actions) EXPECT_EQ(result, 0u) << action;
    watched = WatchedKeys(simSeeded, sim::DiffTrees(simSeeded, simB->registry()));

    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    RunAndCompare(MsiexecArguments("/i", made / kPackageName), "silent", simInstall, silent, "silent installation");
    ExpectSameRegistryChanges(wineSeeded, ExportWatched("installed"), simSeeded, simB->registry(),
                              "silent installation");
    ExpectSameServices(simB->machine().services, "installed");
    // What the package builder chose arrived: the PIN unlock options of the
    // options file, and the root certificate found beside the package in the
    // installation folder, the same on both sides.
    EXPECT_EQ(simInstall.properties.count("PIN_UNLOCK_TIMEOUT") ? simInstall.properties.at("PIN_UNLOCK_TIMEOUT") : "",
              "15");
    const std::string installedRoot = kInstallDir + "kvroot.crt";
    EXPECT_EQ(simB->ReadFile(installedRoot), kServerFiles[1].second);
    EXPECT_EQ(ReadText(PrefixPath(installedRoot)), kServerFiles[1].second);
}

}  // namespace
}  // namespace veltra::e2e
