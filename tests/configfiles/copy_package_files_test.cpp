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

// --- what the banner and the certificate copies share ------------------------

struct PackageFile {
    std::string label, action, sourceProperty, inPackage, sameFileSpelledOtherwise;
};

void PrintTo(const PackageFile& file, std::ostream* out) { *out << file.label; }

class PackageFileCopy : public PackageFiles, public ::testing::WithParamInterface<PackageFile> {
protected:
    const PackageFile& file() const { return GetParam(); }
    std::string Target() const { return kPackageFolder + file().inPackage; }
    void Choose(const std::string& source) {
        SetProperty(file().sourceProperty, source);
        SetProperty("_IMPORT_BITMAP", "True");
    }
};

TEST_P(PackageFileCopy, TheChosenFileReplacesAReadOnlyEarlierOne) {
    PutFile("E:\\Chosen\\source", "chosen");
    PutFile(Target(), "older");
    machine.attributes[Target()] = platform::kFileAttributeReadOnly;
    Choose("E:\\Chosen\\source");

    EXPECT_EQ(Run(file().action), 0u);

    EXPECT_EQ(ReadFile(Target()), "chosen");
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    ExpectNoDialog();
}

TEST_P(PackageFileCopy, AFileAlreadyInThePackageIsNotCopiedOntoItself) {
    PutFile(Target(), "in the package");
    machine.filesInUse.insert(Target());  // a real copy would fail
    Choose(file().sameFileSpelledOtherwise);

    EXPECT_EQ(Run(file().action), 0u);

    EXPECT_EQ(ReadFile(Target()), "in the package");
    ExpectNoDialog();
}

TEST_P(PackageFileCopy, AFailedCopyOverAnEarlierOneIsAccepted) {
    PutFile("E:\\Chosen\\source", "chosen");
    PutFile(Target(), "older");
    machine.filesInUse.insert(Target());
    Choose("E:\\Chosen\\source");

    EXPECT_EQ(Run(file().action), 0u);

    EXPECT_EQ(ReadFile(Target()), "older");
    ExpectNoDialog();
}

INSTANTIATE_TEST_SUITE_P(
    Files, PackageFileCopy,
    ::testing::Values(PackageFile{"banner", "CopyCustomBitmapFile", "BITMAPFILE_SOURCE", "gina_banner.bmp",
                                  "d:\\package\\silentinstallpackage\\GINA_BANNER.BMP"},
                      PackageFile{"certificate", "CopyServerCertPackage", kCertProperty, "server.cer",
                                  "D:\\PACKAGE\\SilentInstallPackage\\Server.Cer"}),
    [](const ::testing::TestParamInfo<PackageFile>& info) { return info.param.label; });

// --- CopyCustomBitmapFile -------------------------------------------------------

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

TEST_F(PackageFiles, AFailedBannerCopyEndsThePackageCreation) {
    SetProperty("BITMAPFILE_SOURCE", "E:\\Gone\\logo.bmp");
    SetProperty("_IMPORT_BITMAP", "True");
    Answer(platform::kIdOk);

    EXPECT_EQ(Run("CopyCustomBitmapFile"), 1603u);

    ExpectOneMessage(kBitmapPackageFailure, kServiceErrorStyle);
    // The banner's failure is not recorded for the package creation.
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
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
