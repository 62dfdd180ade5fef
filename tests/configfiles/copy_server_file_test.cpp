// The server files' copies, deferred and into the package folder (with the
// banner and the certificate), and the data their partners pack.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

class CopyServerFile : public ConfigFilesTest, public ::testing::WithParamInterface<Family> {
protected:
    const Family& family() const { return GetParam(); }
    std::string Chosen() const { return kTempFolder + family().fileName; }
    std::string Installed() const { return kSystemFolder + family().fileName; }
    std::string Data(const std::string& copyState) const {
        return Chosen() + ";" + kSystemFolder + ";" + copyState + ";" + kRepository;
    }
};

// A copy onto itself is skipped; a failed copy over an earlier file is accepted.
TEST_P(CopyServerFile, AnEarlierFileThatCannotBeReplacedStays) {
    PutFile(Chosen(), "new server data");
    PutFile(Installed(), "old server data");
    machine.filesInUse.insert(Installed());  // a real copy would fail
    const std::string upper = "C:\\WINDOWS\\SYSTEM32\\" + family().fileName;

    EXPECT_EQ(RunDeferred(family().copyAction, upper + ";" + kSystemFolder + ";1;" + kRepository), 0u);
    EXPECT_EQ(RunDeferred(family().copyAction, Data("1")), 0u);

    EXPECT_EQ(ReadFile(Installed()), "old server data");
    ExpectNoDialog();
}

TEST_P(CopyServerFile, AFileNoComponentNeedsIsRemovedEvenIfReadOnly) {
    for (const std::string state : {"0", "yes", "1 ", "01", "true"}) {
        SCOPED_TRACE("copy state '" + state + "'");
        PutFile(Installed(), "old server data");
        machine.attributes[Installed()] = platform::kFileAttributeReadOnly;
        // The other family's markers do not keep this file.
        for (const std::string& marker : family().otherMarkers) PutFile(kRepository + marker);

        EXPECT_EQ(RunDeferred(family().copyAction, Data(state)), 0u);

        EXPECT_FALSE(FileExists(Installed()));
    }
    ExpectNoDialog();
}

TEST_P(CopyServerFile, EachKeepMarkerKeepsTheFile) {
    for (const std::string& marker : family().keepMarkers) {
        SCOPED_TRACE(marker);
        PutFile(Installed(), "old server data");
        PutFile(kRepository + marker);

        EXPECT_EQ(RunDeferred(family().copyAction, Data("0")), 0u);

        EXPECT_EQ(ReadFile(Installed()), "old server data");
        // The next marker is tried alone.
        sim.platform().files.DeleteFile((kRepository + marker).c_str());
    }
}

TEST_P(CopyServerFile, NoDataFails) {
    PutFile(Installed(), "old server data");

    EXPECT_EQ(RunDeferred(family().copyAction, ""), 1603u);

    EXPECT_EQ(ReadFile(Installed()), "old server data");
    ExpectNoDialog();
}

// The package creation ignores the copy state; the choice replaces a
// read-only earlier copy, and a choice that is gone leaves it.
TEST_P(CopyServerFile, APackageCreationCopiesIntoThePackageFolder) {
    const std::string inPackage = kPackageFolder + family().fileName;
    PutFolder(kPackageFolder);
    PutFile("E:\\Chosen\\" + family().fileName, "chosen data");
    SetProperty(family().destinationProperty, kPackageFolder);
    SetProperty(family().copyStateProperty, "0");
    for (const auto& [source, after] : std::vector<std::pair<std::string, std::string>>{
             {"E:\\Chosen\\", "chosen data"}, {"E:\\Gone\\", "older package data"}}) {
        SCOPED_TRACE(source);
        PutFile(inPackage, "older package data");
        machine.attributes[inPackage] = platform::kFileAttributeReadOnly;
        SetProperty(family().sourceProperty, source + family().fileName);

        EXPECT_EQ(Run(family().copyAction), 0u);

        EXPECT_EQ(ReadFile(inPackage), after);
        EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    }
    ExpectNoDialog();
}

TEST_P(CopyServerFile, OnlyTheExactPackageCreationFlagCounts) {
    SetProperty("PACKAGE_CREATE", "Yes");
    SetProperty(family().sourceProperty, "E:\\Chosen\\" + family().fileName);

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().destinationProperty), kSystemFolder);
}

// An empty copy state vanishes from the data together with its separator, so
// the repository folder moves up into the copy state's place. The package
// gives the copy state a value ("0") for that reason.
TEST_P(CopyServerFile, AnEmptyCopyStateShiftsTheRepositoryFolderUp) {
    SetProperty(family().sourceProperty, "E:\\Chosen\\" + family().fileName);

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().dataProperty),
              "E:\\Chosen\\" + family().fileName + ";" + kSystemFolder + ";" + kRepository);
}

// The source is read into a path buffer of 260 characters, terminator
// included: a longer path counts as no source and vanishes from the data.
TEST_P(CopyServerFile, ASourcePathLongerThanItsBufferIsCut) {
    const std::string folder = "E:\\" + std::string(200, 'd') + "\\";
    const std::string fits =
        folder + std::string(259 - folder.size() - family().fileName.size(), 'x') + family().fileName;
    const std::string tooLong = "x" + fits;
    ASSERT_EQ(fits.size(), 259u);
    SetProperty(family().copyStateProperty, "1");

    SetProperty(family().sourceProperty, fits);
    Run(family().setDeferredAction);
    EXPECT_EQ(Property(family().dataProperty), fits + ";" + kSystemFolder + ";1;" + kRepository);

    SetProperty(family().sourceProperty, tooLong);
    Run(family().setDeferredAction);
    EXPECT_EQ(Property(family().dataProperty), tooLong.substr(0, 259) + ";" + kSystemFolder + ";1;" + kRepository);
}

TEST_P(CopyServerFile, TheRepositoryFolderIsAppendedToTheInstallationFolderAsItIs) {
    SetProperty("INSTALLDIR", "C:\\Agent");
    SetProperty(family().copyStateProperty, "1");

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().dataProperty),
              ";" + kSystemFolder + ";1;C:\\AgentVeltraKeshAgentRepository\\");
}

INSTANTIATE_TEST_SUITE_P(Families, CopyServerFile,
                         ::testing::Values(KvconfFamily(), KvrootFamily()), PrintFamily);


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
