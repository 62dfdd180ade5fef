// Server files beside the package: VerifyConfigFiles insists on both,
// LocateConfigFiles never fails, CopyConfigFiles puts them in place.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

std::string Data(const std::string& flag) {
    return flag + ";" + kSourceDir + ";" + kInstallDir + ";" + kSystemFolder;
}

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
        LocateCase{"VerifyBoth", "VerifyConfigFiles", std::nullopt, true, true, 0, Data("Yes")},
        LocateCase{"VerifyWithoutKvconf", "VerifyConfigFiles", std::nullopt, true, false, 1603, ""},
        LocateCase{"VerifyWithoutKvroot", "VerifyConfigFiles", std::nullopt, false, true, 1603, ""},
        // The package's "NeedConfigFiles" does not matter to VerifyConfigFiles.
        LocateCase{"VerifyIgnoresNeed", "VerifyConfigFiles", "None", true, true, 0, Data("Yes")},
        LocateCase{"LocateKvrootOnly", "LocateConfigFiles", std::nullopt, true, false, 0, Data("No")},
        LocateCase{"LocateBothUnneeded", "LocateConfigFiles", std::nullopt, true, true, 0, Data("No")},
        LocateCase{"LocateBothNeeded", "LocateConfigFiles", "KVConf", true, true, 0, Data("Yes")},
        LocateCase{"LocateNeededMissing", "LocateConfigFiles", "KVConf", true, false, 0, ""},
        LocateCase{"LocateWithoutKvroot", "LocateConfigFiles", std::nullopt, false, true, 0, ""},
        // The package's word is compared exactly.
        LocateCase{"LocateNeedOtherCaseBoth", "LocateConfigFiles", "KVCONF", true, true, 0, Data("No")}),
    [](const ::testing::TestParamInfo<LocateCase>& info) { return info.param.label; });

TEST_F(ConfigFilesTest, VerifyFailsWhenTheDataCannotBeRecorded) {
    PutFile(kSourceDir + "kvroot.crt");
    PutFile(kSourceDir + "kvconf.rec");
    machine.faults.Add(sim::FaultRule{"MsiSetPropertyA", "CopyConfigFiles", 0, 1627});

    EXPECT_EQ(Run("VerifyConfigFiles"), 1603u);
    EXPECT_EQ(Run("LocateConfigFiles"), 0u);

    EXPECT_EQ(Property("CopyConfigFiles"), "");
}

class CopyConfigFiles : public ConfigFilesTest {
protected:
    CopyConfigFiles() {
        PutFolder(kInstallDir);
        PutFile(kSourceDir + "kvroot.crt", "package root");
        PutFile(kSourceDir + "kvconf.rec", "package record");
    }
};

TEST_F(CopyConfigFiles, YesCopiesBothFilesOverEarlierOnes) {
    PutFile(kInstallDir + "kvroot.crt", "old root");
    PutFile(kSystemFolder + "kvconf.rec", "old record");

    EXPECT_EQ(RunDeferred("CopyConfigFiles", Data("Yes")), 0u);

    EXPECT_EQ(ReadFile(kInstallDir + "kvroot.crt"), "package root");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "package record");
    EXPECT_FALSE(FileExists(kSystemFolder + "kvroot.crt"));
    ExpectNoDialog();
}

TEST_F(CopyConfigFiles, AnythingButYesCopiesTheRootCertificateOnly) {
    for (const std::string flag : {"No", "yes", "YES", "1"}) {
        SCOPED_TRACE(flag);
        EXPECT_EQ(RunDeferred("CopyConfigFiles", Data(flag)), 0u);
        EXPECT_EQ(ReadFile(kInstallDir + "kvroot.crt"), "package root");
        EXPECT_FALSE(FileExists(kSystemFolder + "kvconf.rec"));
    }
}

TEST_F(CopyConfigFiles, FailuresFailSilently) {
    struct Case {
        std::string label;
        std::string inUse;
        std::string untouched;  // the file the failure keeps from being copied
    };
    const Case cases[] = {
        {"root certificate", kInstallDir + "kvroot.crt", kSystemFolder + "kvconf.rec"},
        {"record", kSystemFolder + "kvconf.rec", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.filesInUse.clear();
        PutFile(c.inUse, "old");
        machine.filesInUse.insert(c.inUse);

        EXPECT_EQ(RunDeferred("CopyConfigFiles", Data("Yes")), 1603u);

        EXPECT_EQ(ReadFile(c.inUse), "old");
        if (!c.untouched.empty()) {
            EXPECT_FALSE(FileExists(c.untouched));
        }
    }
    ExpectNoDialog();
}

TEST_F(CopyConfigFiles, NoDataFails) {
    EXPECT_EQ(RunDeferred("CopyConfigFiles", ""), 1603u);
    EXPECT_FALSE(FileExists(kInstallDir + "kvroot.crt"));
}

}  // namespace
}  // namespace veltra::testing
