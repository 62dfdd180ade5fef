// SetDeferredKvconfData / SetDeferredKvrootData: the four fields the deferred
// copy reads, at their edges (the package's roads show the usual data).
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

class SetDeferredData : public ConfigFilesTest, public ::testing::WithParamInterface<Family> {
protected:
    const Family& family() const { return GetParam(); }
};

TEST_P(SetDeferredData, OnlyTheExactPackageCreationFlagCounts) {
    SetProperty("PACKAGE_CREATE", "Yes");
    SetProperty(family().sourceProperty, "E:\\Chosen\\" + family().fileName);

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().destinationProperty), kSystemFolder);
}

// An empty copy state vanishes from the data together with its separator, so
// the repository folder moves up into the copy state's place. The package
// gives the copy state a value ("0") for that reason.
TEST_P(SetDeferredData, AnEmptyCopyStateShiftsTheRepositoryFolderUp) {
    SetProperty(family().sourceProperty, "E:\\Chosen\\" + family().fileName);

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().dataProperty),
              "E:\\Chosen\\" + family().fileName + ";" + kSystemFolder + ";" + kRepository);
}

// The source is read into a path buffer of 260 characters, terminator
// included: a longer path counts as no source and vanishes from the data.
TEST_P(SetDeferredData, ASourcePathLongerThanItsBufferIsCut) {
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

TEST_P(SetDeferredData, TheRepositoryFolderIsAppendedToTheInstallationFolderAsItIs) {
    SetProperty("INSTALLDIR", "C:\\Agent");
    SetProperty(family().copyStateProperty, "1");

    Run(family().setDeferredAction);

    EXPECT_EQ(Property(family().dataProperty),
              ";" + kSystemFolder + ";1;C:\\AgentVeltraKeshAgentRepository\\");
}

INSTANTIATE_TEST_SUITE_P(Families, SetDeferredData,
                         ::testing::Values(KvconfFamily(), KvrootFamily()), PrintFamily);

}  // namespace
}  // namespace veltra::testing
