#include <gtest/gtest.h>

#include "runtime/session.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class SessionHelpers : public testing::SimFixture {};

// A value of any length comes back whole; an absent or unreadable one as empty.
// A fixed read keeps what its buffer holds.
TEST_F(SessionHelpers, APropertyIsReadWholeOrEmptyOrAsFarAsItsBufferHolds) {
    EXPECT_EQ(GetMsiProperty(sim.platform().installer, "NOT_THERE"), "");
    for (std::size_t length : {259u, 260u, 261u, 5000u}) {
        SetProperty("LONG", std::string(length, 'v'));
        EXPECT_EQ(GetMsiProperty(sim.platform().installer, "LONG"), std::string(length, 'v')) << length;
        EXPECT_EQ(GetMsiPropertyFixed(sim.platform().installer, "LONG", 260), std::string(std::min(length, 259ul), 'v'));
    }
    machine.faults.Add({"MsiGetPropertyA", "LONG", 2, 1627});  // the second call, after the size query
    EXPECT_EQ(GetMsiProperty(sim.platform().installer, "LONG"), "");
    machine.faults.Add({"MsiGetPropertyA", "LONG", 0, 1627});
    EXPECT_EQ(GetMsiPropertyFixed(sim.platform().installer, "LONG", 260), "");
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
