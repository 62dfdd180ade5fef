// Server files carried beside the package: VerifyConfigFiles insists on both,
// LocateConfigFiles never fails; both hand CopyConfigFiles its data.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

const std::string kYesData = "Yes;" + kSourceDir + ";" + kInstallDir + ";" + kSystemFolder;
const std::string kNoData = "No;" + kSourceDir + ";" + kInstallDir + ";" + kSystemFolder;

struct LocateCase {
    std::string label;
    std::string action;
    std::optional<std::string> needConfigFiles;
    bool kvroot;
    bool kvconf;
    platform::Dword result;
    std::string data;  // "" when "CopyConfigFiles" stays unset
};

class Locate : public ConfigFilesTest, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(Locate, SearchesThePackageFolder) {
    const LocateCase& c = GetParam();
    if (c.kvroot) PutFile(kSourceDir + "kvroot.crt");
    if (c.kvconf) PutFile(kSourceDir + "kvconf.rec");
    // A server file elsewhere on the path does not count.
    PutFile(kSystemFolder + "kvroot.crt");
    PutFile(kSystemFolder + "kvconf.rec");
    if (c.needConfigFiles) SetProperty("NeedConfigFiles", *c.needConfigFiles);

    EXPECT_EQ(Run(c.action), c.result);

    EXPECT_EQ(Property("CopyConfigFiles"), c.data);
    ExpectNoDialog();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Locate,
    ::testing::Values(
        LocateCase{"VerifyBoth", "VerifyConfigFiles", std::nullopt, true, true, 0, kYesData},
        LocateCase{"VerifyWithoutKvconf", "VerifyConfigFiles", std::nullopt, true, false, 1603, ""},
        LocateCase{"VerifyWithoutKvroot", "VerifyConfigFiles", std::nullopt, false, true, 1603, ""},
        // The package's "NeedConfigFiles" does not matter to VerifyConfigFiles.
        LocateCase{"VerifyIgnoresNeed", "VerifyConfigFiles", "None", true, true, 0, kYesData},
        LocateCase{"LocateKvrootOnly", "LocateConfigFiles", std::nullopt, true, false, 0, kNoData},
        LocateCase{"LocateBothUnneeded", "LocateConfigFiles", std::nullopt, true, true, 0, kNoData},
        LocateCase{"LocateBothNeeded", "LocateConfigFiles", "KVConf", true, true, 0, kYesData},
        LocateCase{"LocateNeededMissing", "LocateConfigFiles", "KVConf", true, false, 0, ""},
        LocateCase{"LocateWithoutKvroot", "LocateConfigFiles", std::nullopt, false, true, 0, ""},
        // The package's word is compared exactly.
        LocateCase{"LocateNeedOtherCaseBoth", "LocateConfigFiles", "KVCONF", true, true, 0, kNoData}),
    [](const ::testing::TestParamInfo<LocateCase>& info) { return info.param.label; });

TEST_F(ConfigFilesTest, VerifyFailsWhenTheDataCannotBeRecorded) {
    PutFile(kSourceDir + "kvroot.crt");
    PutFile(kSourceDir + "kvconf.rec");
    machine.faults.Add(sim::FaultRule{"MsiSetPropertyA", "CopyConfigFiles", 0, 1627});

    EXPECT_EQ(Run("VerifyConfigFiles"), 1603u);
    EXPECT_EQ(Run("LocateConfigFiles"), 0u);

    EXPECT_EQ(Property("CopyConfigFiles"), "");
}

}  // namespace
}  // namespace veltra::testing
