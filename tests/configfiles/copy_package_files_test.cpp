// Creating a package: the banner bitmap and the server certificate go into
// the package folder beside the server files.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

const std::string kBitmapPackageFailure =
    "The installation failed to copy, into place,\nthe specified custom bitmap file.\n\n"
    "The Silent Install Package Creation will abort\nat this time to prevent problems in a "
    "subsequent\nSilent Installation.";
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

// The choice replaces a read-only earlier file; a failed copy over an earlier
// file is accepted; a file already in the package is not copied onto itself.
TEST_P(PackageFileCopy, TheChoiceReplacesAnEarlierFileWhereItCan) {
    struct Case {
        std::string label, source;
        bool inUse;
        std::string after;
    };
    const Case cases[] = {
        {"read-only earlier file", "E:\\Chosen\\source", false, "chosen"},
        {"earlier file in use", "E:\\Chosen\\source", true, "older"},
        {"the same file spelled otherwise", file().sameFileSpelledOtherwise, true, "older"},
    };
    PutFile("E:\\Chosen\\source", "chosen");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.filesInUse.clear();
        PutFile(Target(), "older");
        machine.attributes[Target()] = platform::kFileAttributeReadOnly;
        if (c.inUse) machine.filesInUse.insert(Target());
        Choose(c.source);

        EXPECT_EQ(Run(file().action), 0u);

        EXPECT_EQ(ReadFile(Target()), c.after);
        EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    }
    ExpectNoDialog();
}

INSTANTIATE_TEST_SUITE_P(
    Files, PackageFileCopy,
    ::testing::Values(PackageFile{"banner", "CopyCustomBitmapFile", "BITMAPFILE_SOURCE", "gina_banner.bmp",
                                  "d:\\package\\silentinstallpackage\\GINA_BANNER.BMP"},
                      PackageFile{"certificate", "CopyServerCertPackage", kCertProperty, "server.cer",
                                  "D:\\PACKAGE\\SilentInstallPackage\\Server.Cer"}),
    [](const ::testing::TestParamInfo<PackageFile>& info) { return info.param.label; });

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
