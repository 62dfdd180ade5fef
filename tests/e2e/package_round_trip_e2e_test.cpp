// The silent installation package, end to end: package creation with
// Wine's msiexec in one prefix writes the package folder; a silent
// installation from that folder in a fresh prefix installs the agent. Each
// step is run by the simulated installer too, from the same files, and the
// two must agree: the folder byte for byte, then the installation's actions,
// log lines, properties and registry.
#include <filesystem>
#include <set>

#include "platform/sim/sim_files.h"
#include "wine_scenario.h"

namespace veltra::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kPackageName = "Veltra Authentication Agent for Windows.msi";
const std::string kCertificateProperty = "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58";
const Files kServerFiles = {
    {"kvconf.rec", "round-trip server configuration record\n"},
    {"kvroot.crt", "-----BEGIN CERTIFICATE-----\nround-trip root\n-----END CERTIFICATE-----\n"},
    {"server.cer", "round-trip server certificate\n"},
};

using PackageRoundTripTest = WineScenarioTest;

TEST_F(PackageRoundTripTest, APackageMadeInOnePrefixInstallsSilentlyInAFreshOne) {
    // Machine A: the administrator's folder with the package and the files
    // from the server. Package creation is the end of the wizard: it runs in
    // the user-interface sequence, at a reduced user interface (/qr) where
    // Wine shows nothing.
    ASSERT_NO_FATAL_FAILURE(Begin("plain", "package-round-trip", kServerFiles, "4", kPackageName));
    const std::string sourceDir = facts.sourceDir;
    const CommandLine builder = {{"PACKAGE_CREATE", "1"},
                                 {"_LAC", "1"},
                                 {"ADDLOCAL", kAddLocal},
                                 {"PATHTOFILE", sourceDir + "kvconf.rec"},
                                 {"PATHTOFILE_KVROOT", sourceDir + "kvroot.crt"},
                                 {kCertificateProperty, sourceDir + "server.cer"},
                                 {"_UNLOCK_ENABLED", "True"},
                                 {"_TIME_OUT", "15"},
                                 {"_ATTEMPTS", "4"}};
    const SimulatedRun simCreate = Simulate(builder);
    // The options file's writer ends package creation with 1603 by design.
    RunAndCompare(MsiexecArguments("/i", package, builder), "create", simCreate.install,
                  ExportSeeded(simCreate.install.before), "/qr", 67);

    const fs::path made = package.parent_path() / "SilentInstallPackage";
    std::set<std::string> madeInWine;
    for (const auto& entry : fs::directory_iterator(made)) madeInWine.insert(entry.path().filename().string());
    EXPECT_EQ(madeInWine, (std::set<std::string>{"silentInstall.bat", "packageOptionsFile.txt", kPackageName,
                                                 "kvconf.rec", "kvroot.crt", "server.cer"}));
    for (const std::string& name : madeInWine) {
        const auto simFile = sim::ReadDriveFile(simulated->machine(), sourceDir + "SilentInstallPackage\\" + name);
        ASSERT_TRUE(simFile) << "the simulated package creation wrote no " << name;
        EXPECT_EQ(ReadText(made / name), *simFile)
            << name << " differs between Wine and the simulated machine";
    }

    // Machine B, fresh on both sides: the silent installation from the
    // folder Wine made.
    facts = FactsFor(made / kPackageName, kQuietUiLevel);
    simulated = OpenSimulated();
    ASSERT_TRUE(simulated);
    for (const std::string& name : madeInWine) sim::PutDriveFile(simulated->machine(), facts.sourceDir + name, ReadText(made / name));
    const SimulatedRun simInstall = Simulate({});
    ExpectQuietSuccess(simInstall);
    ASSERT_NO_FATAL_FAILURE(SeedPrefix());
    RunAndCompare(MsiexecArguments("/i", made / kPackageName), "silent", simInstall.install,
                  ExportSeeded(simInstall.install.before));
    // What the package builder chose arrived: the PIN unlock options of the
    // options file, and the root certificate found beside the package in the
    // installation folder, the same on both sides.
    EXPECT_EQ(simInstall.install.properties.at("PIN_UNLOCK_TIMEOUT"), "15");
    const std::string installedRoot = kInstallDir + "kvroot.crt";
    EXPECT_EQ(sim::ReadDriveFile(simulated->machine(), installedRoot), kServerFiles[1].second);
    EXPECT_EQ(ReadText(PrefixPath(installedRoot)), kServerFiles[1].second);
}

}  // namespace
}  // namespace veltra::e2e
