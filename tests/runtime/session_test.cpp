#include <gtest/gtest.h>

#include "runtime/session.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

using testing::SimFixture;

class SessionHelpers : public SimFixture {};

// A value of any length comes back whole; an absent or unreadable one as empty.
TEST_F(SessionHelpers, APropertyIsReadWholeOrEmpty) {
    EXPECT_EQ(GetMsiProperty(sim.platform().installer, "NOT_THERE"), "");
    for (std::size_t length : {1u, 259u, 260u, 261u, 5000u}) {
        SetProperty("LONG", std::string(length, 'v'));
        EXPECT_EQ(GetMsiProperty(sim.platform().installer, "LONG"), std::string(length, 'v')) << length;
    }
    machine.faults.Add({"MsiGetPropertyA", "LONG", 2, 1627});  // the second call, after the size query
    EXPECT_EQ(GetMsiProperty(sim.platform().installer, "LONG"), "");
}

TEST_F(SessionHelpers, FixedReadsKeepWhatTheBufferHolds) {
    const std::string value = "abc" + std::string(300, 'x');
    for (std::size_t length : {259u, 260u, 303u}) {
        SetProperty("P", value.substr(0, length));
        EXPECT_EQ(GetMsiPropertyFixed(sim.platform().installer, "P", 260), value.substr(0, 259)) << length;
    }
    machine.faults.Add({"MsiGetPropertyA", "P", 0, 1627});
    EXPECT_EQ(GetMsiPropertyFixed(sim.platform().installer, "P", 260), "");
}

TEST_F(SessionHelpers, FoldersComeWithTheirTrailingBackslash) {
    machine.session.sourcePaths["SourceDir"] = "C:\\Package\\";
    machine.session.targetPaths["INSTALLDIR"] = "C:\\Program Files\\Agent\\";
    EXPECT_EQ(GetMsiSourcePath(sim.platform().installer, "SourceDir"), "C:\\Package\\");
    EXPECT_EQ(GetMsiTargetPath(sim.platform().installer, "INSTALLDIR"), "C:\\Program Files\\Agent\\");
    EXPECT_EQ(GetMsiTargetPath(sim.platform().installer, "NoSuchFolder"), "");
}

TEST_F(SessionHelpers, FindFileInFolderLooksInThatFolderOnly) {
    PutFile("C:\\Package\\kvroot.crt");
    PutFile("C:\\WINDOWS\\system32\\kvconf.rec");
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    EXPECT_TRUE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "KVROOT.CRT"));
    EXPECT_FALSE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "kvconf.rec"));
    EXPECT_FALSE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "kvroot"));  // no default extension
}

}  // namespace
}  // namespace veltra::runtime
