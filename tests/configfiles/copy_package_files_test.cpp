// Creating a package: the banner bitmap and the server certificate go into
// the package folder beside the server files.
#include "configfiles/bitmap_copy.h"
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

const std::string kBitmapPackageFailure =
    "The installation failed to copy, into place,\nthe specified custom bitmap file.\n\n"
    "The Silent Install Package Creation will abort\nat this time to prevent problems in a "
    "subsequent\nSilent Installation.";
const std::string kBitmapInstallFailure =
    "The installation failed to copy, into place,\nthe specified custom bitmap file.\n\n"
    "The installation changes will be rolled back now.";
const std::string kCertificateFailure =
    "The installation failed to copy, into place,\nthe specified server.cer.\n\n"
    "The Silent Install Package Creation will abort\nat this time to prevent problems in a "
    "subsequent\nSilent Installation.";

class PackageFiles : public ConfigFilesTest {
protected:
    PackageFiles() {
        SetProperty("PACKAGE_CREATE", "1");
        PutFolder(kPackageFolder);
    }
    const std::string banner = kPackageFolder + "gina_banner.bmp";
    const std::string certificate = kPackageFolder + "server.cer";
};

// --- CopyCustomBitmapFile -------------------------------------------------------

TEST_F(PackageFiles, TheChosenBannerGoesIntoThePackage) {
    PutFile("E:\\Art\\logo.bmp", "custom banner");
    PutFile(banner, "older banner");
    machine.attributes[banner] = platform::kFileAttributeReadOnly;
    SetProperty("BITMAPFILE_SOURCE", "E:\\Art\\logo.bmp");
    SetProperty("_IMPORT_BITMAP", "True");

    EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);

    EXPECT_EQ(ReadFile(banner), "custom banner");
    ExpectNoDialog();
}

TEST_F(PackageFiles, WithoutTheExactTrueAnOldBannerIsTakenOut) {
    for (const std::optional<std::string>& import :
         {std::optional<std::string>("true"), std::optional<std::string>("TRUE"),
          std::optional<std::string>("False"), std::optional<std::string>("1"),
          std::optional<std::string>()}) {
        SCOPED_TRACE(import.value_or("(absent)"));
        machine.session.properties.erase("_IMPORT_BITMAP");
        if (import) SetProperty("_IMPORT_BITMAP", *import);
        PutFile("E:\\Art\\logo.bmp", "custom banner");
        SetProperty("BITMAPFILE_SOURCE", "E:\\Art\\logo.bmp");
        PutFile(banner, "older banner");
        machine.attributes[banner] = platform::kFileAttributeReadOnly;

        EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);

        EXPECT_FALSE(FileExists(banner));
    }
    ExpectNoDialog();
}

TEST_F(PackageFiles, NoBannerAndNoneWantedIsFine) {
    EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);
    EXPECT_FALSE(FileExists(banner));
    ExpectNoDialog();
}

TEST_F(PackageFiles, AFailedBannerCopyEndsThePackageCreation) {
    SetProperty("BITMAPFILE_SOURCE", "E:\\Gone\\logo.bmp");
    SetProperty("_IMPORT_BITMAP", "True");
    Answer(platform::kIdOk);

    EXPECT_EQ(Run("CopyCustomBitmapFile"), 1603u);

    ExpectOneMessage(kBitmapPackageFailure, kServiceErrorStyle);
    // The banner's failure is not recorded for the package creation.
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
}

TEST_F(PackageFiles, AFailedBannerCopyOverAnEarlierBannerIsAccepted) {
    PutFile(banner, "older banner");
    SetProperty("BITMAPFILE_SOURCE", "E:\\Gone\\logo.bmp");
    SetProperty("_IMPORT_BITMAP", "True");

    EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);

    EXPECT_EQ(ReadFile(banner), "older banner");
    ExpectNoDialog();
}

TEST_F(PackageFiles, ABannerAlreadyInThePackageIsNotCopiedOntoItself) {
    PutFile(banner, "package banner");
    machine.filesInUse.insert(banner);
    SetProperty("BITMAPFILE_SOURCE", "d:\\package\\silentinstallpackage\\GINA_BANNER.BMP");
    SetProperty("_IMPORT_BITMAP", "True");

    EXPECT_EQ(Run("CopyCustomBitmapFile"), 0u);

    EXPECT_EQ(ReadFile(banner), "package banner");
    ExpectNoDialog();
}

// --- the banner routine as the install options use it -----------------------

TEST_F(ConfigFilesTest, TheBannerRoutineOnAnInstallationRollsBackWithItsOwnText) {
    Answer(platform::kIdOk);

    EXPECT_EQ(configfiles::CopyBannerBitmap(sim.platform(), "E:\\Gone\\logo.bmp", kInstallDir,
                                            configfiles::BannerCopy::Copy,
                                            configfiles::CopyPurpose::Installation),
              1603u);

    ExpectOneMessage(kBitmapInstallFailure, kServiceErrorStyle);
}

TEST_F(ConfigFilesTest, TheBannerRoutineOnAnInstallationPlacesAndRemoves) {
    PutFolder(kInstallDir);
    PutFile("E:\\Art\\logo.bmp", "custom banner");

    EXPECT_EQ(configfiles::CopyBannerBitmap(sim.platform(), "E:\\Art\\logo.bmp", kInstallDir,
                                            configfiles::BannerCopy::Copy,
                                            configfiles::CopyPurpose::Installation),
              0u);
    EXPECT_EQ(ReadFile(kInstallDir + "gina_banner.bmp"), "custom banner");

    EXPECT_EQ(configfiles::CopyBannerBitmap(sim.platform(), "E:\\Art\\logo.bmp", kInstallDir,
                                            configfiles::BannerCopy::Remove,
                                            configfiles::CopyPurpose::Installation),
              0u);
    EXPECT_FALSE(FileExists(kInstallDir + "gina_banner.bmp"));
    EXPECT_TRUE(FileExists("E:\\Art\\logo.bmp"));
    ExpectNoDialog();
}

// --- CopyServerCertPackage -----------------------------------------------------

TEST_F(PackageFiles, TheServerCertificateGoesIntoThePackage) {
    PutFile("E:\\Certs\\server.cer", "certificate");
    PutFile(certificate, "older certificate");
    machine.attributes[certificate] = platform::kFileAttributeReadOnly;
    SetProperty(kCertProperty, "E:\\Certs\\server.cer");

    EXPECT_EQ(Run("CopyServerCertPackage"), 0u);

    EXPECT_EQ(ReadFile(certificate), "certificate");
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    ExpectNoDialog();
}

TEST_F(PackageFiles, ACertificateAlreadyInThePackageIsNotCopiedOntoItself) {
    PutFile(certificate, "certificate");
    machine.filesInUse.insert(certificate);
    SetProperty(kCertProperty, "D:\\PACKAGE\\SilentInstallPackage\\Server.Cer");

    EXPECT_EQ(Run("CopyServerCertPackage"), 0u);

    EXPECT_EQ(ReadFile(certificate), "certificate");
    ExpectNoDialog();
}

TEST_F(PackageFiles, AFailedCertificateCopyOverAnEarlierCopyIsAccepted) {
    PutFile("E:\\Certs\\server.cer", "certificate");
    PutFile(certificate, "older certificate");
    machine.filesInUse.insert(certificate);
    SetProperty(kCertProperty, "E:\\Certs\\server.cer");

    EXPECT_EQ(Run("CopyServerCertPackage"), 0u);

    EXPECT_EQ(ReadFile(certificate), "older certificate");
    ExpectNoDialog();
}

TEST_F(PackageFiles, AFailedCertificateCopyEndsThePackageCreation) {
    for (const std::string source : {"E:\\Gone\\server.cer", ""}) {
        SCOPED_TRACE(source);
        machine.dialogs.clear();
        machine.session.properties.erase("PACKAGE_CREATE_ERROR");
        SetProperty(kCertProperty, source);
        Answer(platform::kIdOk);

        EXPECT_EQ(Run("CopyServerCertPackage"), 1603u);

        EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "1");
        ExpectOneMessage(kCertificateFailure, kServiceErrorStyle);
        EXPECT_FALSE(FileExists(certificate));
    }
}

}  // namespace
}  // namespace veltra::testing
