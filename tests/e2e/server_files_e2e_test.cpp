// The server files in a real installation: a quiet installation of the x86_64
// test package whose folder holds "kvconf.rec", "kvroot.crt" and the options
// file of a silent installation package ends with both server files
// in the system folder. The package checks the files it was given
// (SetKvconfSourcePropNoMess, SetKvrootSourcePropNoMess), marks them to be
// copied (SetKvconfCopyState, SetKvrootCopyState), takes local copies in the
// temporary folder (RepositionDataForCopy), packs the copies' data
// (SetDeferredKvconfData, SetDeferredKvrootData) and copies them from the
// script after InstallFiles (CopyKvconfRec, CopyKvrootCrt). The same
// installation runs on the simulated machine, and the two must agree on the
// actions that ran, the properties they left and the files in place.
//
// Wine lets a deferred action read every property. The copy actions take
// their package-creation branch when they can read the source property, so
// the package empties "KVCONF_SOURCE" and "KVROOT_SOURCE" once the data is
// packed (ClearKvconfSource, ClearKvrootSource): Wine's copies then take the
// deferred branch, as Windows' do, and read only their CustomActionData.
// Without that, both branches would put the files in the same place here,
// but the deferred branch would go untested.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "package_sequence.h"
#include "runtime/action_table.h"
#include "simulated_install.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Contents that only a byte-exact copy keeps: line ends, a zero, high bytes.
const std::string kKvconfContent = "KVCONF\r\nserver=kesh01.example\r\n\0\x7f\xfe"s;
const std::string kKvrootContent =
    "-----BEGIN CERTIFICATE-----\nMIIBVeltraRoot\n\0\xff-----END CERTIFICATE-----\n"s;

// The package's server-file chain, in its order.
const std::vector<std::string> kServerFileChain = {
    "SetKvconfSourcePropNoMess", "SetKvconfCopyState",    "SetKvrootSourcePropNoMess",
    "SetKvrootCopyState",        "RepositionDataForCopy", "SetDeferredKvconfData",
    "SetDeferredKvrootData",     "ClearKvconfSource",     "ClearKvrootSource",
    "CopyKvconfRec",             "CopyKvrootCrt",
};

struct ServerFile {
    const char* name;
    const std::string& content;
    const char* copyProperty;  // the copy action's data, named after it
};

const ServerFile kServerFiles[] = {
    {"kvconf.rec", kKvconfContent, "CopyKvconfRec"},
    {"kvroot.crt", kKvrootContent, "CopyKvrootCrt"},
};

void WriteFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

class ServerFilesScenarioTest : public WineScenarioTest {
protected:
    void SetUp() override {
        WineScenarioTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        UseMachine("plain", "server-files");
    }

    // A file's bytes in the prefix, or nullopt when it is not there.
    std::optional<std::string> WineFile(const std::string& path) const {
        const fs::path host = PrefixPath(path);
        if (!fs::is_regular_file(host)) return std::nullopt;
        return ReadText(host);
    }
};

TEST_F(ServerFilesScenarioTest, BothFilesBesideThePackageEndInTheSystemFolder) {
    // The package's folder: the package and both server files.
    const fs::path packageFolder = work / "package";
    fs::create_directories(packageFolder);
    const fs::path package = packageFolder / fs::path(VELTRA_E2E_PACKAGE).filename();
    fs::copy_file(VELTRA_E2E_PACKAGE, package, fs::copy_options::overwrite_existing);
    for (const ServerFile& file : kServerFiles) WriteFile(packageFolder / file.name, file.content);
    WriteFile(packageFolder / kOptionsFileName, kOptionsFileText);

    const std::string sourceDir = WinePrefix::WindowsPath(packageFolder) + "\\";
    const InstallerFacts facts{ProductCodeOf(package.string()), kWineSystemFolder, kQuietUiLevel,
                               sourceDir, kSimTempFolder};
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;
    const CommandLine commandLine = {
        {"ADDLOCAL", kAddLocal},
        {"PATHTOFILE", sourceDir + "kvconf.rec"},
        {"PATHTOFILE_KVROOT", sourceDir + "kvroot.crt"},
    };

    // The simulated machine, with the package's folder on its drive Z: as
    // Wine sees it.
    std::string error;
    auto simulated = OpenSimulated(error);
    ASSERT_TRUE(simulated) << error;
    for (const ServerFile& file : kServerFiles) {
        simulated->PutFile(sourceDir + file.name, file.content);
    }
    simulated->PutFile(sourceDir + kOptionsFileName, kOptionsFileText);
    const sim::RegistryTree simSeeded = simulated->registry();
    const SequenceRun simInstall = SimulateInstallation(*simulated, facts, commandLine);
    const sim::RegistryTree simInstalled = simulated->registry();
    std::vector<std::optional<std::string>> simInstalledFiles;
    std::vector<std::optional<std::string>> simTemporaryFiles;
    for (const ServerFile& file : kServerFiles) {
        simInstalledFiles.push_back(simulated->ReadFile(facts.systemFolder + file.name));
        simTemporaryFiles.push_back(simulated->ReadFile(facts.tempFolder + file.name));
    }
    const SequenceRun simRemove = SimulateRemoval(*simulated, facts);
    const sim::RegistryTree simRemoved = simulated->registry();
    ASSERT_FALSE(simulated->machine().unansweredDialog)
        << "a quiet run showed a dialog: " << *simulated->machine().unansweredDialog;
    for (const auto& run : {simInstall, simRemove}) {
        for (const auto& [action, result] : run.actions) EXPECT_EQ(result, 0u) << action;
    }

    const auto simInstallChanges = sim::DiffTrees(simSeeded, simInstalled);
    const auto simRemoveChanges = sim::DiffTrees(simInstalled, simRemoved);
    std::vector<sim::RegChange> simChanges = simInstallChanges;
    simChanges.insert(simChanges.end(), simRemoveChanges.begin(), simRemoveChanges.end());
    watched = WatchedKeys(simSeeded, simChanges);

    // Wine: the same machine, the real package.
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    ExpectSeeded(wineSeeded, simSeeded);

    std::vector<std::string> install = {"/i", WinePrefix::WindowsPath(package)};
    for (const auto& [name, value] : commandLine) install.push_back(name + "=" + value);
    const MsiLog installLog = RunMsiexec(install, "install");
    ExpectFacts(installLog, facts);
    ExpectSameActions(installLog, simInstall, "installation");
    ExpectSameLogLines(installLog, simInstall, facts, "installation");
    ExpectSameProperties(installLog, simInstall, facts, "installation");
    const sim::RegistryTree wineInstalled = ExportWatched("installed");

    // Every action of the chain ran in Wine and succeeded; the copies both
    // when the script was built and when it ran.
    for (const std::string& action : kServerFileChain) {
        const auto found = installLog.returns.find(action);
        if (found == installLog.returns.end()) {
            ADD_FAILURE() << action << " did not run in Wine";
            continue;
        }
        const runtime::ActionEntry* entry = runtime::FindAction(action);
        const bool deferred = entry != nullptr && entry->kind == runtime::ActionKind::Deferred;
        EXPECT_EQ(found->second, std::vector<int>(deferred ? 2 : 1, kActionSucceeded))
            << action << "'s return values in Wine's log";
    }

    // Both checks passed, both files were marked, and each copy was given
    // its local copy, the system folder, the copy state and the repository
    // folder.
    const std::string wineTemp =
        installLog.properties.count("TempFolder") ? installLog.properties.at("TempFolder") : "";
    for (const char* name : {"KVCONF_OKFILE", "KVROOT_OKFILE", "COPYKVCONFREC", "COPYKVROOTCRT"}) {
        EXPECT_EQ(installLog.properties.count(name) ? installLog.properties.at(name) : "", "1")
            << name;
    }
    for (const ServerFile& file : kServerFiles) {
        const std::string data =
            facts.tempFolder + file.name + ";" + facts.systemFolder + ";1;" + kRepositoryFolder;
        EXPECT_EQ(simInstall.properties.count(file.copyProperty)
                      ? simInstall.properties.at(file.copyProperty)
                      : "",
                  data)
            << "the simulated run's " << file.copyProperty;
        EXPECT_EQ(MappedFromWine(installLog.properties.count(file.copyProperty)
                                     ? installLog.properties.at(file.copyProperty)
                                     : "",
                                 installLog, facts),
                  data)
            << "Wine's " << file.copyProperty;
    }
    // With the source properties gone when the script ran, the copies in
    // Wine can only have taken their deferred branch.
    EXPECT_EQ(installLog.properties.count("KVCONF_SOURCE"), 0u);
    EXPECT_EQ(installLog.properties.count("KVROOT_SOURCE"), 0u);

    // The files: in the system folder SystemFolder names (Wine's 32-bit one),
    // byte for byte, on both sides; not in the 64-bit system32; and the local
    // copies RepositionDataForCopy took in the temporary folder.
    for (std::size_t i = 0; i < std::size(kServerFiles); ++i) {
        const ServerFile& file = kServerFiles[i];
        EXPECT_EQ(WineFile(facts.systemFolder + file.name), file.content)
            << "Wine: " << file.name << " in " << facts.systemFolder;
        EXPECT_EQ(WineFile(std::string("C:\\windows\\system32\\") + file.name), std::nullopt)
            << "Wine: " << file.name << " in the 64-bit system folder";
        EXPECT_EQ(WineFile(wineTemp + file.name), file.content)
            << "Wine: " << file.name << " in " << wineTemp;
        EXPECT_EQ(simInstalledFiles[i], file.content)
            << "simulated machine: " << file.name << " in " << facts.systemFolder;
        EXPECT_EQ(simTemporaryFiles[i], file.content)
            << "simulated machine: " << file.name << " in " << facts.tempFolder;
    }

    // The removal runs no copy action (the package's chain is for
    // installations), so both files stay where they are, on both sides.
    const MsiLog removeLog = RunMsiexec({"/x", WinePrefix::WindowsPath(package)}, "remove");
    ExpectSameActions(removeLog, simRemove, "removal");
    ExpectSameLogLines(removeLog, simRemove, facts, "removal");
    ExpectSameProperties(removeLog, simRemove, facts, "removal");
    const sim::RegistryTree wineRemoved = ExportWatched("removed");
    for (const ServerFile& file : kServerFiles) {
        EXPECT_EQ(WineFile(facts.systemFolder + file.name), file.content)
            << "Wine after removal: " << file.name;
        EXPECT_EQ(simulated->ReadFile(facts.systemFolder + file.name), file.content)
            << "simulated machine after removal: " << file.name;
    }

    ExpectSameRegistryChanges(sim::DiffTrees(wineSeeded, wineInstalled), simInstallChanges,
                              "installation");
    ExpectSameRegistryChanges(sim::DiffTrees(wineInstalled, wineRemoved), simRemoveChanges,
                              "removal");
}

}  // namespace
}  // namespace veltra::e2e
