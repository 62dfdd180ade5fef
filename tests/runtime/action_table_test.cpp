#include <gtest/gtest.h>

#include <fstream>
#include <regex>
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

TEST(ActionTable, TheListFileHasOneEntryPerLine) {
    // Build scripts (the .def file, the test package) read the list line by line.
    std::ifstream list(VELTRA_ACTION_LIST);
    std::string line;
    std::size_t entries = 0;
    const std::regex entry(R"(^(ACTION|PLANNED)\((\w+), (Immediate|Deferred|Rollback), "[^"]+"\)$)");
    while (std::getline(list, line)) {
        if (line.starts_with("ACTION") || line.starts_with("PLANNED")) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(line, match, entry)) << line;
            EXPECT_NE(FindAction(match[2].str()), nullptr) << line;
            ++entries;
        }
    }
    EXPECT_EQ(entries, ActionTable().size());
}

class ActionFrame : public testing::SimFixture {};

platform::Dword Throwing(platform::Platform&) { throw std::bad_alloc(); }

TEST_F(ActionFrame, NothingEscapesTheFrame) {
    const ActionEntry entry{"Throwing", ActionKind::Immediate, "throws", &Throwing};
    EXPECT_EQ(RunAction(entry, sim.platform()), 1603u);
}

}  // namespace
}  // namespace veltra::runtime
