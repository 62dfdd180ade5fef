// CopyConfigFiles (deferred): the server files found beside the package go to
// the installation folder (root certificate) and the system folder (record).
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

std::string Data(const std::string& flag) {
    return flag + ";" + kSourceDir + ";" + kInstallDir + ";" + kSystemFolder;
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
