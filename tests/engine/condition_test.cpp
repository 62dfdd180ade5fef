// The condition evaluator against the installer's documented and observed
// results: precedence, integer/string rules, case, substrings and bit tests,
// feature and component states, and malformed conditions.
#include <gtest/gtest.h>

#include <string>

#include "engine/map_session.h"
#include "platform/sim/engine/condition.h"

namespace veltra::sim::engine {
namespace {

using testing::MapSession;

struct Case {
    const char* condition;
    bool expected;
};

MapSession Session() {
    MapSession s;
    s.properties = {{"Five", "5"},        {"Zero", "0"},         {"MinusZero", "-0"},   {"Spaced", "0 "},
                    {"Plus", "+0"},       {"Hex", "0x00"},       {"Hundred", "100"},    {"TwentyOne", "21"},
                    {"Seven", "7"},       {"Fifty", "50"},       {"FiftyVal", "50val"}, {"Word", "hithere"},
                    {"Digits", "1234"},   {"One", "1"},          {"Flags", "6"},        {"Version", "1.1.4322"},
                    {"Product", "Veltra Agent"}};
    s.environment = {{"PATH", "C:\\Windows\\system32"}};
    s.featureInstalled = {{"LocalAuthClient", kStateAbsent}};
    s.featureAction = {{"LocalAuthClient", kStateLocal}, {"Idle", kStateUnknown}};
    s.componentInstalled = {{"GinaDll", kStateLocal}};
    s.componentAction = {{"GinaDll", kStateAbsent}};
    return s;
}

void Check(const MapSession& session, const Case& c) {
    const ConditionResult result = EvaluateCondition(c.condition, session);
    EXPECT_TRUE(result.ok()) << c.condition << ": " << result.error;
    EXPECT_EQ(result.value, c.expected) << c.condition;
}

TEST(ConditionTest, LogicalOperatorsTakeTheirPrecedence) {
    const MapSession session = Session();
    const Case cases[] = {
        {"1 OR 0 AND 0", true},   {"NOT 0 AND 0", false},  {"NOT 1 OR 1", true},
        {"(1 OR 0) AND 0", false}, {"NOT (1 AND 1)", false}, {"not 0 and 1", true},
        {"1 Or 0", true},          {"1 XOR 1 OR 1", false},  {"0 IMP 0 EQV 0", true},
        {"NOT NOT 1", true},       {"(((((1)))))", true},
        // NOT covers the whole comparison after it.
        {"NOT Unset ~<< \"Testing\"", true}, {"NOT Five = 5", false},
    };
    for (const Case& c : cases) Check(session, c);

    // a XOR b, a EQV b, a IMP b for every a and b.
    const bool truth[4][3] = {{false, true, true}, {true, false, true}, {true, false, false}, {false, true, true}};
    for (int row = 0; row < 4; ++row) {
        const std::string a = std::to_string(row >> 1), b = std::to_string(row & 1);
        Check(session, {(a + " XOR " + b).c_str(), truth[row][0]});
        Check(session, {(a + " EQV " + b).c_str(), truth[row][1]});
        Check(session, {(a + " IMP " + b).c_str(), truth[row][2]});
    }
}

TEST(ConditionTest, IntegersAndStringsCompareByTheInstallersRules) {
    const MapSession session = Session();
    const Case cases[] = {
        // a property holding an integer compares as a number
        {"Five = 5", true}, {"Five < 12", true}, {"5 >= Five", true}, {"MinusZero = 0", true},
        {"Five = \"5\"", true}, {"Hundred < TwentyOne", false}, {"Seven <= Fifty", true},
        // ...but only when its whole text is a number
        {"Spaced = 0", false}, {"Plus = 0", false}, {"Hex = 0", false}, {"Hex <> 0", true},
        {"2 <= FiftyVal", false}, {"Seven <= FiftyVal", false},
        // a literal never turns into a number; an integer against a string only differs
        {"1 = \"1\"", false}, {"1 <> \"1\"", true}, {"0 < \"100\"", false}, {"\"A\" ~= 1", false},
        {"\"\" <> 3", true}, {"\"100\" < \"21\"", true}, {"\"1\" > \"12\"", false},
        // unset properties are empty strings
        {"Unset = 0", false}, {"Unset <> 0", true}, {"Unset >= 0", false}, {"Unset = \"\"", true},
        {"Unset < \"1.1\"", true}, {"Unset <> \"\"", false}, {"Unset = Unset2", true},
        {"Version < \"1.1.5\"", true}, {"Version < \"1.1.14322\"", false},
        // case: only with ~
        {"\"A\" = \"a\"", false}, {"\"A\" ~= \"a\"", true}, {"\"abc\" ~<> \"ABC\"", false},
        {"\"B\" ~> \"a\"", true}, {"\"B\" > \"a\"", false}, {"Product ~= \"VELTRA AGENT\"", true},
        // substrings of strings
        {"Word >< \"the\"", true}, {"Word >< \"The\"", false}, {"Word ~>< \"THE\"", true},
        {"Word << \"hi\"", true}, {"Word << \"there\"", false}, {"Word >> \"there\"", true},
        {"Word ~>> \"HERE\"", true}, {"Unset >< \"\"", false}, {"Word >< \"\"", true},
        {"Word << Unset", true}, {"\"hi\" << Word", false}, {"%PATH ~>< \"SYSTEM32\"", true},
        // ...and their integer meanings: a common bit, the high word, the low word
        {"3 >< 1", true}, {"3 >< 4", false}, {"Flags >< 2", true}, {"Digits >< One", false},
        {"65537 << 1", true}, {"65537 >> 1", true}, {"131073 >> 2", false}, {"131073 << 2", true},
        {"-1 >> 65535", true},
    };
    for (const Case& c : cases) Check(session, c);
}

TEST(ConditionTest, OperandsStandAloneAndStatesAsPackagesWriteThem) {
    MapSession session = Session();
    const Case cases[] = {
        {"0", false}, {"-1", true}, {"\"0\"", true}, {"\"\"", false}, {"Zero", true}, {"Unset", false},
        {"%PATH", true}, {"%NOPE", false},
        {"&LocalAuthClient=3", true}, {"!LocalAuthClient=2", true}, {"&LocalAuthClient", true},
        {"?GinaDll = 3 AND $GinaDll = 2", true}, {"$GinaDll = 3", false},
        // a name the package does not have, or no action, reads as ""
        {"&Missing", false}, {"&Missing = \"\"", true}, {"&Missing <> 3", true}, {"&Idle = 3", false},
        {"?Missing = \"\"", true}, {"   ", true}, {"", true},
    };
    for (const Case& c : cases) Check(session, c);

    struct Road {
        const char* installed;
        const char* remove;
        bool expectedEnter, expectedRemoveAll;
    };
    const Road roads[] = {
        {nullptr, nullptr, true, false}, {"1", nullptr, false, false},
        {"1", "ALL", true, true},        {"1", "all", true, true}, {"1", "LocalAuthClient", true, false},
    };
    for (const Road& road : roads) {
        session.properties.erase("Installed");
        session.properties.erase("REMOVE");
        if (road.installed) session.properties["Installed"] = road.installed;
        if (road.remove) session.properties["REMOVE"] = road.remove;
        Check(session, {"NOT Installed OR REMOVE OR REINSTALL", road.expectedEnter});
        Check(session, {"REMOVE~=\"ALL\"", road.expectedRemoveAll});
    }
    session.properties["MustEnableGina"] = "1";
    Check(session, {"MustEnableGina = \"1\" AND NOT REMOVE", false});
    Check(session, {"MustEnableGina = 1 AND &LocalAuthClient=3", true});
}

TEST(ConditionTest, MalformedConditionsAreErrorsNamingTextAndPosition) {
    const MapSession session = Session();
    struct Bad {
        const char* condition;
        int position;
    };
    const Bad cases[] = {
        {"(1", 3},           {"1)", 2},               {"((1) AND 0", 11},     {"1 AND", 6},
        {"0 >=", 5},         {"NOT", 4},              {"\"abc", 1},           {"A = \"abc", 5},
        {"1 @ 2", 3},        {"\"A\" ~ = \"a\"", 5},  {"~not \"A\"", 1},      {"( 1 AND 1 ) = 2", 13},
        {"1 IMPL 1", 3},     {"X != \"\"", 3},        {"0 < > 0", 5},         {"1.5 = 1", 2},
        {"A = = B", 5},      {"1 = 1 = 1", 7},        {"% PATH", 1},          {"- 1", 1},
        {"0 AND \"\" \"\"", 10}, {"A\tOR\n", 6},
    };
    for (const Bad& c : cases) {
        const ConditionResult result = EvaluateCondition(c.condition, session);
        EXPECT_FALSE(result.ok()) << c.condition;
        EXPECT_FALSE(result.value) << c.condition;
        const std::string where = "\"" + std::string(c.condition) + "\" at position " + std::to_string(c.position) + ":";
        EXPECT_NE(result.error.find(where), std::string::npos) << c.condition << " -> " << result.error;
    }
    EXPECT_EQ(EvaluateCondition("X != \"\"", session).error,
              "malformed condition \"X != \"\"\" at position 3: '!' must be followed by a feature name");
    EXPECT_EQ(EvaluateCondition("NOT Installed AND", session).error,
              "malformed condition \"NOT Installed AND\" at position 18: expected a value but the condition ends");

    // Nesting far past anything real is refused, not allowed to exhaust the stack.
    const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_NE(EvaluateCondition(deep, session).error.find("nested too deeply"), std::string::npos);
    const std::string nots = [] { std::string s; for (int i = 0; i < 100000; ++i) s += "NOT "; return s + "1"; }();
    EXPECT_FALSE(EvaluateCondition(nots, session).ok());
}

}  // namespace
}  // namespace veltra::sim::engine
