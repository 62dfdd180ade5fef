#include <gtest/gtest.h>

#include <set>

#include "runtime/action_table.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

TEST(ActionTable, HoldsTheSixtySevenExportsOnceEachWithImmediatePartners) {
    std::set<std::string_view> names;
    for (const ActionEntry& entry : ActionTable()) {
        EXPECT_TRUE(names.insert(entry.name).second) << "twice: " << entry.name;
        EXPECT_FALSE(entry.description.empty()) << entry.name;
        if (entry.name.starts_with("SetDeferred")) { EXPECT_EQ(entry.kind, ActionKind::Immediate) << entry.name; }
    }
    EXPECT_EQ(names.size(), 67u);
    EXPECT_EQ(FindAction("ProcessRollBack")->kind, ActionKind::Rollback);
    EXPECT_EQ(FindAction("enablegina"), nullptr) << "names are exact";
}

class ActionFrame : public testing::SimFixture {};

platform::Dword Throwing(platform::Platform&) { throw std::bad_alloc(); }

TEST_F(ActionFrame, NothingEscapesTheFrame) {
    const ActionEntry entry{"Throwing", ActionKind::Immediate, "throws", &Throwing};
    EXPECT_EQ(RunAction(entry, sim.platform()), 1603u);
}

}  // namespace
}  // namespace veltra::runtime
