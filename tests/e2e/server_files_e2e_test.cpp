// The server files in a real installation: a quiet installation from a
// folder holding "kvconf.rec", "kvroot.crt" and the options file ends with
// both files, byte for byte, in the system folder, in Wine and on the
// simulated machine.
//
// Wine lets a deferred action read every property, and the copy actions take
// their package-creation branch when they can read the source property; the
// package empties "KVCONF_SOURCE" and "KVROOT_SOURCE" once the data is packed
// so that Wine's copies take the deferred branch, as Windows' do.
#include <gtest/gtest.h>

#include <filesystem>
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
    std::vector<std::pair<std::string, std::string>> files = {{kOptionsFileName, kOptionsFileText}};
    for (const ServerFile& file : kServerFiles) files.emplace_back(file.name, file.content);
    const fs::path package = PackageFolder("package", files);
    const InstallerFacts facts = FactsFor(package, kQuietUiLevel);
    ASSERT_FALSE(facts.productCode.empty()) << "no ProductCode in " << package;
    const std::string& sourceDir = facts.sourceDir;
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
    for (const auto& [name, content] : files) simulated->PutFile(sourceDir + name, content);
    std::vector<std::optional<std::string>> simInstalledFiles;
    std::vector<std::optional<std::string>> simTemporaryFiles;
    const SimulatedRoundTrip simRun = SimulateRoundTrip(*simulated, facts, commandLine, [&] {
        for (const ServerFile& file : kServerFiles) {
            simInstalledFiles.push_back(simulated->ReadFile(facts.systemFolder + file.name));
            simTemporaryFiles.push_back(simulated->ReadFile(facts.tempFolder + file.name));
        }
    });

    // Wine: the same machine, the real package.
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    const sim::RegistryTree wineSeeded = ExportWatched("seeded");
    ExpectSeeded(wineSeeded, simRun.seeded);
    const MsiLog installLog =
        RunAndCompare(MsiexecArguments("/i", package, commandLine), "install", simRun.install, facts, "installation");
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
        EXPECT_EQ(simRun.install.properties.count(file.copyProperty)
                      ? simRun.install.properties.at(file.copyProperty)
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
    // byte for byte, on both sides; not in the 64-bit system32. The local
    // copies RepositionDataForCopy took in the temporary folder are gone:
    // the installation removes them once the script has used them.
    for (std::size_t i = 0; i < std::size(kServerFiles); ++i) {
        const ServerFile& file = kServerFiles[i];
        EXPECT_EQ(WineFile(facts.systemFolder + file.name), file.content)
            << "Wine: " << file.name << " in " << facts.systemFolder;
        EXPECT_EQ(WineFile(std::string("C:\\windows\\system32\\") + file.name), std::nullopt)
            << "Wine: " << file.name << " in the 64-bit system folder";
        EXPECT_EQ(WineFile(wineTemp + file.name), std::nullopt)
            << "Wine: " << file.name << " in " << wineTemp;
        EXPECT_EQ(simInstalledFiles[i], file.content)
            << "simulated machine: " << file.name << " in " << facts.systemFolder;
        EXPECT_EQ(simTemporaryFiles[i], std::nullopt)
            << "simulated machine: " << file.name << " in " << facts.tempFolder;
    }

    // The removal runs no copy action (the package's chain is for
    // installations), so both files stay where they are, on both sides.
    RunAndCompare(MsiexecArguments("/x", package), "remove", simRun.remove, facts, "removal", false);
    const sim::RegistryTree wineRemoved = ExportWatched("removed");
    for (const ServerFile& file : kServerFiles) {
        EXPECT_EQ(WineFile(facts.systemFolder + file.name), file.content)
            << "Wine after removal: " << file.name;
        EXPECT_EQ(simulated->ReadFile(facts.systemFolder + file.name), file.content)
            << "simulated machine after removal: " << file.name;
    }

    ExpectSameRegistryChanges(wineSeeded, wineInstalled, simRun.seeded, simRun.installed, "installation");
    ExpectSameRegistryChanges(wineInstalled, wineRemoved, simRun.installed, simRun.removed, "removal");
}

}  // namespace
}  // namespace veltra::e2e
