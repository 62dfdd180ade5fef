#include <gtest/gtest.h>

#include "platform/sim/faults.h"

namespace veltra::sim {
namespace {

TEST(FaultRules, ParseMatchIgnoringCaseAndCountCalls) {
    const auto rule = ParseFaultRule("CopyFileA:C:\\WINDOWS\\system32\\kvconf.rec#2=32", nullptr);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->operation + "|" + rule->subject + "|" + std::to_string(rule->nth) + "|" + std::to_string(rule->code),
              "CopyFileA|C:\\WINDOWS\\system32\\kvconf.rec|2|32");
    EXPECT_EQ(ParseFaultRule("RegSetValueExA", nullptr)->code, 5u);  // access denied unless given
    for (const char* bad : {"", "X=abc", "X#0"}) {
        std::string error;
        EXPECT_FALSE(ParseFaultRule(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    Faults faults;
    faults.Add(*ParseFaultRule("RegSetValueExA:HKEY_LOCAL_MACHINE\\X\\Name#2=5", nullptr));
    EXPECT_FALSE(faults.Check("RegSetValueExA", "hkey_local_machine\\x\\name"));
    EXPECT_EQ(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"), 5u);
    EXPECT_FALSE(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"));
}

}  // namespace
}  // namespace veltra::sim
