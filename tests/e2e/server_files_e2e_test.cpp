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
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Contents that only a byte-exact copy keeps: line ends, a zero, high bytes.
const std::string kKvconfContent = "KVCONF\r\nserver=kesh01.example\r\n\0\x7f\xfe"s;
const std::string kKvrootContent =
    "-----BEGIN CERTIFICATE-----\nMIIBVeltraRoot\n\0\xff-----END CERTIFICATE-----\n"s;

const Files kServerFiles = {{"kvconf.rec", kKvconfContent}, {"kvroot.crt", kKvrootContent}};

using ServerFilesScenarioTest = WineScenarioTest;

TEST_F(ServerFilesScenarioTest, BothFilesBesideThePackageEndInTheSystemFolder) {
    Files files = kServerFiles;
    files.emplace_back(kOptionsFileName, kOptionsFileText);
    ASSERT_NO_FATAL_FAILURE(Begin("plain", "server-files", files));
    const CommandLine commandLine = {
        {"ADDLOCAL", kAddLocal},
        {"PATHTOFILE", facts.sourceDir + "kvconf.rec"},
        {"PATHTOFILE_KVROOT", facts.sourceDir + "kvroot.crt"},
    };
    // A file's bytes in the system folder and in the temporary folder, on
    // each side; nullopt when it is not there.
    const auto wineFile = [&](const std::string& path) -> std::optional<std::string> {
        const fs::path host = PrefixPath(path);
        return fs::is_regular_file(host) ? std::optional(ReadText(host)) : std::nullopt;
    };
    std::vector<std::optional<std::string>> simInstalled, simTemporary;
    const SimulatedRun simRun = Simulate(commandLine, true, [&] {
        for (const auto& [name, content] : kServerFiles) {
            simInstalled.push_back(sim::ReadDriveFile(simulated->machine(), facts.systemFolder + name));
            simTemporary.push_back(sim::ReadDriveFile(simulated->machine(), facts.tempFolder + name));
        }
    });
    ExpectQuietSuccess(simRun);
    // Each copy was given its local copy, the system folder, the copy state
    // and the repository folder.
    for (const auto& [name, copy] : {std::pair{"kvconf.rec", "CopyKvconfRec"}, std::pair{"kvroot.crt", "CopyKvrootCrt"}}) {
        EXPECT_EQ(simRun.install.properties.at(copy),
                  facts.tempFolder + name + ";" + facts.systemFolder + ";1;" + kRepositoryFolder);
    }

    const WinePhase install = RunAndCompare(MsiexecArguments("/i", package, commandLine), "install", simRun.install,
                                            ExportSeeded(simRun.install.before));
    // With the source properties gone when the script ran, the copies in
    // Wine can only have taken their deferred branch.
    EXPECT_EQ(install.log.properties.count("KVCONF_SOURCE"), 0u);
    EXPECT_EQ(install.log.properties.count("KVROOT_SOURCE"), 0u);
    // The files: in the system folder SystemFolder names (Wine's 32-bit one),
    // byte for byte, on both sides; not in the 64-bit system32. The local
    // copies RepositionDataForCopy took in the temporary folder are gone:
    // the installation removes them once the script has used them.
    const std::string wineTemp = install.log.properties.at("TempFolder");
    for (std::size_t i = 0; i < kServerFiles.size(); ++i) {
        const auto& [name, content] = kServerFiles[i];
        EXPECT_EQ(wineFile(facts.systemFolder + name), content) << "Wine: " << name;
        EXPECT_EQ(wineFile("C:\\windows\\system32\\" + name), std::nullopt) << "Wine: " << name;
        EXPECT_EQ(wineFile(wineTemp + name), std::nullopt) << "Wine: " << name << " in " << wineTemp;
        EXPECT_EQ(simInstalled[i], content) << "simulated machine: " << name;
        EXPECT_EQ(simTemporary[i], std::nullopt) << "simulated machine: " << name << " in " << facts.tempFolder;
    }

    // The removal runs no copy action (the package's chain is for
    // installations), so both files stay where they are, on both sides.
    RunAndCompare(MsiexecArguments("/x", package), "remove", simRun.remove, install.after);
    for (const auto& [name, content] : kServerFiles) {
        EXPECT_EQ(wineFile(facts.systemFolder + name), content) << "Wine after removal: " << name;
        EXPECT_EQ(sim::ReadDriveFile(simulated->machine(), facts.systemFolder + name), content) << "simulated machine after removal";
    }
}

}  // namespace
}  // namespace veltra::e2e
