// RepositionDataForCopy: the source files come into the temporary folder and
// the source properties follow them there.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

class Reposition : public ConfigFilesTest {
protected:
    // The wizard's choices, each with its own content.
    void ChooseEverything() {
        PutFile("E:\\Chosen\\server.cer", "chosen certificate");
        PutFile("E:\\Chosen\\kvconf.rec", "chosen record");
        PutFile("E:\\Chosen\\kvroot.crt", "chosen root");
        SetProperty(kCertProperty, "E:\\Chosen\\server.cer");
        SetProperty("KVCONF_SOURCE", "E:\\Chosen\\kvconf.rec");
        SetProperty("KVROOT_SOURCE", "E:\\Chosen\\kvroot.crt");
    }

    // What a silent installation package holds beside the package file.
    void FillPackage(const std::string& folder) {
        PutFile(folder + "server.cer", "package certificate");
        PutFile(folder + "kvconf.rec", "package record");
        PutFile(folder + "kvroot.crt", "package root");
        PutFile(folder + "gina_banner.bmp", "package banner");
        PutFile(folder + "registryConfigFile.bin", "package registry");
    }
};

TEST_F(Reposition, AnInteractiveRunIgnoresThePackageFolder) {
    FillPackage(kSourceDir);
    SetProperty("BITMAPFILE_SOURCE", "E:\\Chosen\\banner.bmp");

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "");
    EXPECT_EQ(Property("KVROOT_SOURCE"), "");
    EXPECT_EQ(Property(kCertProperty), "");
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "E:\\Chosen\\banner.bmp");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_FALSE(FileExists(kTempFolder + "gina_banner.bmp"));
    EXPECT_FALSE(FileExists(kTempFolder + "registryConfigFile.bin"));
}

TEST_F(Reposition, AChoiceThatIsGoneKeepsItsProperty) {
    SetProperty("KVCONF_SOURCE", "E:\\Gone\\kvconf.rec");
    PutFile("E:\\Chosen\\kvroot.crt", "chosen root");
    SetProperty("KVROOT_SOURCE", "E:\\Chosen\\kvroot.crt");

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "E:\\Gone\\kvconf.rec");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_EQ(Property("KVROOT_SOURCE"), kTempFolder + "kvroot.crt");
}

// A leftover that cannot be replaced is never installed in place of the choice.
TEST_F(Reposition, AFailedCopyIsIgnoredAndThePropertyKeepsTheChoice) {
    ChooseEverything();
    PutFile(kTempFolder + "kvroot.crt", "leftover");
    machine.filesInUse.insert(kTempFolder + "kvroot.crt");
    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_EQ(Property("KVROOT_SOURCE"), "E:\\Chosen\\kvroot.crt");
    EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
    ExpectNoDialog();

    SetProperty("COPYKVROOTCRT", "1");
    EXPECT_EQ(Run("SetDeferredKvrootData"), 0u);
    EXPECT_EQ(RunDeferred("CopyKvrootCrt", Property("CopyKvrootCrt")), 0u);
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "chosen root");
}

// Without a temporary folder the copies would land in the root of the drive.
TEST_F(Reposition, AnUnreadableTempFolderCopiesNothing) {
    SetProperty("UILevel", "2");
    FillPackage(kSourceDir);
    machine.faults.Add({"MsiGetPropertyA", "TempFolder", 0, platform::kErrorNotEnoughMemory, 0});
    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_FALSE(FileExists("C:\\kvconf.rec"));
    EXPECT_FALSE(FileExists("C:\\gina_banner.bmp"));
    EXPECT_EQ(Property("KVCONF_SOURCE"), "");
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "");
}

TEST_F(Reposition, ASilentPackageWithoutServerFilesLeavesTheChoices) {
    SetProperty("UILevel", "2");
    ChooseEverything();

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "E:\\Chosen\\kvconf.rec");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "");
}

// A silent removal or patch ("ALL" matched case-sensitively) takes the server
// files from the system folder, without banner or registry file.
TEST_F(Reposition, ASilentRemovalOrPatchTakesTheServerFilesFromTheSystemFolder) {
    struct Case {
        std::string label;
        std::string property, value, uiLevel;
        std::string record, banner;  // in the temporary folder afterwards; "" absent
    };
    const Case cases[] = {
        {"removal", "REMOVE", "ALL", "2", "installed record", ""},
        {"removal among others", "REMOVE", "Autoreg,ALL", "2", "installed record", ""},
        {"patch", "PATCH", "D:\\Updates\\fix.msp", "2", "installed record", ""},
        {"interactive removal", "REMOVE", "ALL", "5", "chosen record", ""},
        {"removal in other case", "REMOVE", "all", "2", "package record", "package banner"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.session.properties.erase("REMOVE");
        machine.session.properties.erase("PATCH");
        SetProperty("UILevel", c.uiLevel);
        SetProperty(c.property, c.value);
        FillPackage(kSourceDir);
        FillPackage(kSystemFolder);
        PutFile(kSystemFolder + "kvconf.rec", "installed record");
        if (c.uiLevel != "2") ChooseEverything();

        EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

        EXPECT_EQ(ReadFile(kTempFolder + "kvconf.rec"), c.record);
        EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
        EXPECT_EQ(FileExists(kTempFolder + "gina_banner.bmp") ? ReadFile(kTempFolder + "gina_banner.bmp") : "",
                  c.banner);
        EXPECT_EQ(FileExists(kTempFolder + "registryConfigFile.bin"), !c.banner.empty());
    }
}

}  // namespace
}  // namespace veltra::testing
