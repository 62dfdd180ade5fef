// The roads the server files take through an installation, action after
// action as the package runs them, checked on properties, files and dialogs
// together.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

class Roads : public ConfigFilesTest {
protected:
    // A deferred action receives what its partner packed under its name.
    platform::Dword RunDeferredFromPartner(const std::string& action) {
        return RunDeferred(action, Property(action));
    }

    // The script of the installation once the wizard is done.
    void InstallServerFiles(platform::Dword expectedKvconf = 0, platform::Dword expectedKvroot = 0) {
        EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
        EXPECT_EQ(Run("SetDeferredKvconfData"), 0u);
        EXPECT_EQ(Run("SetDeferredKvrootData"), 0u);
        EXPECT_EQ(RunDeferredFromPartner("CopyKvconfRec"), expectedKvconf);
        EXPECT_EQ(RunDeferredFromPartner("CopyKvrootCrt"), expectedKvroot);
    }

    void PutInstalledServerFiles() {
        PutFile(kSystemFolder + "kvconf.rec", "installed record");
        PutFile(kSystemFolder + "kvroot.crt", "installed root");
    }

    // A run without the file pages: the package's defaults point the path
    // properties at the installed files and the copy states at "0", and the
    // silent checks hand the paths on. Every field of the copy data then has
    // a value, so none moves up.
    void MaintenanceWithoutNewFiles() {
        SetProperty("PATHTOFILE", kSystemFolder + "kvconf.rec");
        SetProperty("PATHTOFILE_KVROOT", kSystemFolder + "kvroot.crt");
        SetProperty("COPYKVCONFREC", "0");
        SetProperty("COPYKVROOTCRT", "0");
        EXPECT_EQ(Run("SetKvconfSourcePropNoMess"), 0u);
        EXPECT_EQ(Run("SetKvrootSourcePropNoMess"), 0u);
    }
};

TEST_F(Roads, FirstInstallationWithTheWizardsChoices) {
    PutFile("E:\\From Server\\kvconf.rec", "server record");
    PutFile("E:\\From Server\\kvroot.crt.txt", "mail attachment");
    PutFile("E:\\From Server\\kvroot.crt", "server root");
    PutFolder("E:\\From Server");
    // The package's defaults for the copy states.
    SetProperty("COPYKVCONFREC", "0");
    SetProperty("COPYKVROOTCRT", "0");

    // kvconf.rec: browse from the folder, pick the file, check it.
    SetProperty("PATHTOFILE", "E:\\From Server");
    Choose("E:\\From Server\\kvconf.rec");
    EXPECT_EQ(Run("BrowseForKvconfRec"), 0u);
    EXPECT_EQ(Run("SetKvconfSourceProp"), 0u);
    EXPECT_EQ(Property("KVCONF_OKFILE"), "1");
    EXPECT_EQ(Run("SetKvconfCopyState"), 0u);

    // kvroot.crt: the first pick is the mail attachment and is refused.
    Choose("E:\\From Server\\kvroot.crt.txt");
    EXPECT_EQ(Run("BrowseForKvrootCrt"), 0u);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("SetKvrootSourceProp"), 0u);
    EXPECT_EQ(Property("KVROOT_OKFILE"), "0");
    Choose("E:\\From Server\\kvroot.crt");
    EXPECT_EQ(Run("BrowseForKvrootCrt"), 0u);
    EXPECT_EQ(Run("SetKvrootSourceProp"), 0u);
    EXPECT_EQ(Property("KVROOT_OKFILE"), "1");
    EXPECT_EQ(Run("SetKvrootCopyState"), 0u);

    ASSERT_EQ(machine.dialogs.size(), 4u);
    EXPECT_EQ(machine.dialogs[0].kind, "GetOpenFileName");
    EXPECT_EQ(machine.dialogs[0].text, "E:\\From Server\\kvconf.rec");
    EXPECT_EQ(machine.dialogs[1].text, "");
    EXPECT_EQ(machine.dialogs[2].kind, "MessageBox");
    EXPECT_EQ(machine.dialogs[2].text,
              "The chosen file name must be \"kvroot.crt\".\n"
              "Respecify the location of your kvroot.crt file.");
    EXPECT_EQ(machine.dialogs[3].text, "E:\\From Server\\kvroot.crt.txt");

    InstallServerFiles();

    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "server record");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "server root");
    EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
    EXPECT_EQ(Property("CopyKvconfRec"), kTempFolder + "kvconf.rec;" + kSystemFolder + ";1;" +
                                             kRepository);
    EXPECT_EQ(machine.dialogs.size(), 4u);
    EXPECT_FALSE(machine.unansweredDialog.has_value());
}

TEST_F(Roads, MaintenanceKeepsWhatAnInstalledComponentNeeds) {
    PutInstalledServerFiles();
    MaintenanceWithoutNewFiles();
    // The local client stays: it needs the record, not the root certificate.
    PutFile(kRepository + "LocalClientKEY.txt");
    PutFile(kRepository + "VeltraKeshAgentInstalled.txt");

    InstallServerFiles();

    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "installed record");
    EXPECT_FALSE(FileExists(kSystemFolder + "kvroot.crt"));
    ExpectNoDialog();
}

// Without any source path the first field of the copy data is empty, the
// split skips it and the others move up: the deferred copy then looks in the wrong place and leaves
// the installed files alone.
TEST_F(Roads, AMaintenanceRunWithoutAnySourcePathLeavesTheFiles) {
    PutInstalledServerFiles();
    SetProperty("COPYKVCONFREC", "0");
    SetProperty("COPYKVROOTCRT", "0");

    InstallServerFiles();

    EXPECT_EQ(Property("CopyKvconfRec"), ";" + kSystemFolder + ";0;" + kRepository);
    EXPECT_TRUE(FileExists(kSystemFolder + "kvconf.rec"));
    EXPECT_TRUE(FileExists(kSystemFolder + "kvroot.crt"));
    ExpectNoDialog();
}

TEST_F(Roads, AReinstallWithNewServerFilesReplacesTheOldOnes) {
    PutInstalledServerFiles();
    machine.attributes[kSystemFolder + "kvroot.crt"] = platform::kFileAttributeReadOnly;
    PutFile(kRepository + "DomainClientKEY.txt");
    PutFile("E:\\New\\kvconf.rec", "new record");
    PutFile("E:\\New\\kvroot.crt", "new root");
    SetProperty("PATHTOFILE", "E:\\New\\kvconf.rec");
    SetProperty("PATHTOFILE_KVROOT", "E:\\New\\kvroot.crt");
    Run("SetKvconfSourceProp");
    Run("SetKvrootSourceProp");
    Run("SetKvconfCopyState");
    Run("SetKvrootCopyState");

    InstallServerFiles();

    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "new record");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "new root");
    ExpectNoDialog();
}

TEST_F(Roads, ASilentRemovalReadsTheServerFilesFromTheSystemFolder) {
    PutInstalledServerFiles();
    PutFile(kSourceDir + "kvconf.rec", "package record");
    SetProperty("UILevel", "2");
    SetProperty("REMOVE", "ALL");
    SetProperty("COPYKVCONFREC", "0");
    SetProperty("COPYKVROOTCRT", "0");

    InstallServerFiles();

    EXPECT_EQ(ReadFile(kTempFolder + "kvconf.rec"), "installed record");
    EXPECT_FALSE(FileExists(kSystemFolder + "kvconf.rec"));
    EXPECT_FALSE(FileExists(kSystemFolder + "kvroot.crt"));
}

TEST_F(Roads, PackageCreationFillsThePackageFolder) {
    SetProperty("PACKAGE_CREATE", "1");
    PutFolder(kPackageFolder);  // made by CreatePackageFolder
    PutFile("E:\\Chosen\\kvconf.rec", "server record");
    PutFile("E:\\Chosen\\kvroot.crt", "server root");
    PutFile("E:\\Chosen\\server.cer", "server certificate");
    PutFile("E:\\Chosen\\logo.bmp", "banner");
    SetProperty("PATHTOFILE", "E:\\Chosen\\kvconf.rec");
    SetProperty("PATHTOFILE_KVROOT", "E:\\Chosen\\kvroot.crt");
    SetProperty("BITMAPFILE", "E:\\Chosen\\logo.bmp");
    SetProperty(kCertProperty, "E:\\Chosen\\server.cer");
    SetProperty("_IMPORT_BITMAP", "True");
    SetProperty("COPYKVCONFREC", "1");
    SetProperty("COPYKVROOTCRT", "1");
    EXPECT_EQ(Run("SetKvconfSourceProp"), 0u);
    EXPECT_EQ(Run("SetKvrootSourceProp"), 0u);
    EXPECT_EQ(Run("ValidateCustomBitmapFile"), 0u);

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_EQ(Run("SetDeferredKvconfData"), 0u);
    EXPECT_EQ(Run("SetDeferredKvrootData"), 0u);
    EXPECT_EQ(Run("CopyKvconfRec"), 0u);  // immediate in package creation
    EXPECT_EQ(Run("CopyKvrootCrt"), 0u);
    EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);
    EXPECT_EQ(Run("CopyServerCertPackage"), 0u);

    EXPECT_EQ(Property("KVCONF_DEST"), kPackageFolder);
    EXPECT_EQ(Property("KVROOT_DEST"), kPackageFolder);
    EXPECT_EQ(ReadFile(kPackageFolder + "kvconf.rec"), "server record");
    EXPECT_EQ(ReadFile(kPackageFolder + "kvroot.crt"), "server root");
    EXPECT_EQ(ReadFile(kPackageFolder + "server.cer"), "server certificate");
    EXPECT_EQ(ReadFile(kPackageFolder + "gina_banner.bmp"), "banner");
    EXPECT_FALSE(FileExists(kSystemFolder + "kvconf.rec"));
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    ExpectNoDialog();
}

TEST_F(Roads, PackageCreationStopsWhenAServerFileCannotBeCopied) {
    SetProperty("PACKAGE_CREATE", "1");
    PutFolder(kPackageFolder);
    PutFile("E:\\Chosen\\kvconf.rec", "server record");
    SetProperty("PATHTOFILE", "E:\\Chosen\\kvconf.rec");
    EXPECT_EQ(Run("SetKvconfSourceProp"), 0u);
    EXPECT_EQ(Property("KVCONF_OKFILE"), "1");
    // The medium with the chosen file is gone by the time it is copied.
    sim.platform().files.DeleteFile("E:\\Chosen\\kvconf.rec");
    SetProperty("COPYKVCONFREC", "1");

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_EQ(Run("SetDeferredKvconfData"), 0u);
    Answer(platform::kIdOk);
    EXPECT_EQ(Run("CopyKvconfRec"), 1603u);

    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "1");
    EXPECT_FALSE(FileExists(kPackageFolder + "kvconf.rec"));
    ExpectOneMessage(KvconfFamily().packageFailure, kServiceErrorStyle);
}

TEST_F(Roads, SilentInstallationFromAPackageFolder) {
    // The package folder made earlier: the installation runs from it.
    PutFile(kSourceDir + "kvconf.rec", "package record");
    PutFile(kSourceDir + "kvroot.crt", "package root");
    PutFile(kSourceDir + "server.cer", "package certificate");
    PutFile(kSourceDir + "gina_banner.bmp", "package banner");
    SetProperty("UILevel", "2");
    // What GetSilentInstallOptions set from the options file.
    SetProperty("COPYKVCONFREC", "1");
    SetProperty("COPYKVROOTCRT", "1");

    InstallServerFiles();

    EXPECT_EQ(Property("CopyKvconfRec"),
              kTempFolder + "kvconf.rec;" + kSystemFolder + ";1;" + kRepository);
    EXPECT_EQ(Property("CopyKvrootCrt"),
              kTempFolder + "kvroot.crt;" + kSystemFolder + ";1;" + kRepository);
    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "package record");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "package root");
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), kTempFolder + "gina_banner.bmp");
    EXPECT_EQ(Property(kCertProperty), kTempFolder + "server.cer");
    ExpectNoDialog();
}

TEST_F(Roads, SilentInstallationFromAPackageWithoutTheRecord) {
    PutFile(kSourceDir + "kvroot.crt", "package root");
    SetProperty("UILevel", "2");
    SetProperty("COPYKVCONFREC", "1");
    SetProperty("COPYKVROOTCRT", "1");
    Answer(platform::kIdOk);

    InstallServerFiles(/*expectedKvconf=*/1603, /*expectedKvroot=*/0);

    // The data still names the temporary copy that was never made.
    EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
    EXPECT_FALSE(FileExists(kSystemFolder + "kvconf.rec"));
    ExpectOneMessage(KvconfFamily().installFailure, kServiceErrorStyle);
}

TEST_F(Roads, SilentInstallationWithoutTheRecordKeepsAnEarlierOne) {
    PutFile(kSourceDir + "kvroot.crt", "package root");
    PutFile(kSystemFolder + "kvconf.rec", "installed record");
    SetProperty("UILevel", "2");
    SetProperty("COPYKVCONFREC", "1");
    SetProperty("COPYKVROOTCRT", "1");

    InstallServerFiles();

    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "installed record");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "package root");
    ExpectNoDialog();
}

TEST_F(Roads, ServerFilesBesideThePackageWithoutTheWizard) {
    PutFolder(kInstallDir);
    PutFile(kSourceDir + "kvconf.rec", "package record");
    PutFile(kSourceDir + "kvroot.crt", "package root");
    SetProperty("NeedConfigFiles", "KVConf");

    EXPECT_EQ(Run("LocateConfigFiles"), 0u);
    EXPECT_EQ(RunDeferredFromPartner("CopyConfigFiles"), 0u);

    EXPECT_EQ(ReadFile(kInstallDir + "kvroot.crt"), "package root");
    EXPECT_EQ(ReadFile(kSystemFolder + "kvconf.rec"), "package record");
    ExpectNoDialog();
}

}  // namespace
}  // namespace veltra::testing
