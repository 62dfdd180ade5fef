#include <gtest/gtest.h>

#include "platform/sim/faults.h"

namespace veltra::sim {
namespace {

TEST(FaultRules, ParseEveryPart) {
    const auto rule = ParseFaultRule("CopyFileA:C:\\WINDOWS\\system32\\kvconf.rec#2=32", nullptr);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->operation, "CopyFileA");
    EXPECT_EQ(rule->subject, "C:\\WINDOWS\\system32\\kvconf.rec");
    EXPECT_EQ(rule->nth, 2u);
    EXPECT_EQ(rule->code, 32u);
    const auto plain = ParseFaultRule("RegSetValueExA", nullptr);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->subject, "");
    EXPECT_EQ(plain->code, 5u);
}

TEST(FaultRules, RejectBadText) {
    std::string error;
    EXPECT_FALSE(ParseFaultRule("", &error));
    EXPECT_FALSE(ParseFaultRule("X=abc", &error));
    EXPECT_FALSE(ParseFaultRule("X#0", &error));
    EXPECT_FALSE(error.empty());
}

TEST(FaultRules, MatchIgnoringCaseAndCountCalls) {
    Faults faults;
    faults.Add(*ParseFaultRule("RegSetValueExA:HKEY_LOCAL_MACHINE\\X\\Name#2=5", nullptr));
    EXPECT_FALSE(faults.Check("RegSetValueExA", "hkey_local_machine\\x\\name"));
    EXPECT_EQ(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"), 5u);
    EXPECT_FALSE(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"));
    EXPECT_FALSE(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Other"));
}

}  // namespace
}  // namespace veltra::sim
