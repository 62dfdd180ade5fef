// Conditions and formatted text as the installer evaluates and expands them,
// over a session of plain tables.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/engine/condition.h"
#include "platform/sim/engine/format.h"
#include "platform/sim/engine/session_view.h"

namespace veltra::sim::engine {
namespace {

struct MapSession final : SessionView {
    std::map<std::string, std::string, std::less<>> properties, environment, files, folders;
    std::map<std::string, int, std::less<>> featureInstalled, featureAction, componentInstalled, componentAction;

    std::optional<std::string> Property(std::string_view name) const override { return Find(properties, name); }
    std::optional<std::string> Environment(std::string_view name) const override { return Find(environment, name); }
    int FeatureInstalled(std::string_view name) const override { return State(featureInstalled, name); }
    int FeatureAction(std::string_view name) const override { return State(featureAction, name); }
    int ComponentInstalled(std::string_view name) const override { return State(componentInstalled, name); }
    int ComponentAction(std::string_view name) const override { return State(componentAction, name); }
    std::optional<std::string> FilePath(std::string_view key) const override { return Find(files, key); }
    std::optional<std::string> ComponentFolder(std::string_view name) const override { return Find(folders, name); }

private:
    template <typename Map>
    static std::optional<typename Map::mapped_type> Find(const Map& map, std::string_view key) {
        const auto it = map.find(key);
        if (it == map.end()) return std::nullopt;
        return it->second;
    }
    static int State(const std::map<std::string, int, std::less<>>& map, std::string_view key) {
        return Find(map, key).value_or(kStateUnknown);
    }
};

struct Case {
    const char* condition;
    bool expected;
};

MapSession Session() {
    MapSession s;
    s.properties = {{"Five", "5"},   {"Zero", "0"},      {"MinusZero", "-0"},     {"Spaced", "0 "},   {"Plus", "+0"},
                    {"Hex", "0x00"}, {"Hundred", "100"}, {"TwentyOne", "21"},     {"Seven", "7"},     {"FiftyVal", "50val"},
                    {"Word", "hithere"}, {"Digits", "1234"}, {"One", "1"},         {"Flags", "6"},     {"Version", "1.1.4322"}};
    s.environment = {{"PATH", "C:\\Windows\\system32"}};
    s.featureInstalled = {{"LocalAuthClient", kStateAbsent}};
    s.featureAction = {{"LocalAuthClient", kStateLocal}, {"Idle", kStateUnknown}};
    s.componentInstalled = {{"GinaDll", kStateLocal}};
    s.componentAction = {{"GinaDll", kStateAbsent}};
    return s;
}

TEST(ConditionTest, EvaluatesAsTheInstallerDoes) {
    const MapSession session = Session();
    const Case cases[] = {
        // precedence: NOT, AND, OR, XOR, EQV, IMP
        {"1 OR 0 AND 0", true}, {"NOT 0 AND 0", false}, {"(1 OR 0) AND 0", false}, {"not 0 and 1", true},
        {"1 XOR 1 OR 1", false}, {"0 IMP 0 EQV 0", true}, {"NOT NOT 1", true},
        // NOT covers the whole comparison after it.
        {"NOT Unset ~<< \"Testing\"", true}, {"NOT Five = 5", false},
        {"0 XOR 1", true}, {"1 XOR 1", false}, {"1 EQV 1", true}, {"1 EQV 0", false}, {"1 IMP 0", false},
        {"0 IMP 0", true},
        // a property holding an integer compares as a number, but only when its whole text is one
        {"Five < 12", true}, {"MinusZero = 0", true}, {"Five = \"5\"", true}, {"Hundred < TwentyOne", false},
        {"Spaced = 0", false}, {"Plus = 0", false}, {"Hex <> 0", true}, {"Seven <= FiftyVal", false},
        // a literal never turns into a number; an integer against a string only differs
        {"1 = \"1\"", false}, {"1 <> \"1\"", true}, {"0 < \"100\"", false}, {"\"100\" < \"21\"", true},
        // unset properties are empty strings
        {"Unset = 0", false}, {"Unset <> 0", true}, {"Unset = \"\"", true}, {"Unset = Unset2", true},
        {"Version < \"1.1.5\"", true},
        // case: only with ~
        {"\"A\" = \"a\"", false}, {"\"A\" ~= \"a\"", true}, {"\"B\" ~> \"a\"", true}, {"\"B\" > \"a\"", false},
        // substrings of strings
        {"Word >< \"The\"", false}, {"Word ~>< \"THE\"", true}, {"Word << \"hi\"", true}, {"Word << \"there\"", false},
        {"Word >> \"there\"", true}, {"Unset >< \"\"", false}, {"Word >< \"\"", true}, {"\"hi\" << Word", false},
        // ...and their integer meanings: a common bit, the high word, the low word
        {"3 >< 4", false}, {"Flags >< 2", true}, {"Digits >< One", false}, {"65537 << 1", true},
        {"131073 >> 2", false}, {"131073 << 2", true}, {"-1 >> 65535", true},
        {"0", false}, {"-1", true}, {"\"0\"", true}, {"\"\"", false}, {"Zero", true}, {"Unset", false},
        {"%PATH ~>< \"SYSTEM32\"", true}, {"%NOPE", false},
        {"&LocalAuthClient=3", true}, {"!LocalAuthClient=2", true}, {"&LocalAuthClient", true},
        {"?GinaDll = 3 AND $GinaDll = 2", true}, {"$GinaDll = 3", false},
        // a name the package does not have, or no action, reads as ""
        {"&Missing", false}, {"&Missing <> 3", true}, {"&Idle = 3", false}, {"?Missing = \"\"", true}, {"   ", true},
    };
    for (const Case& c : cases) {
        const ConditionResult result = EvaluateCondition(c.condition, session);
        EXPECT_TRUE(result.ok()) << c.condition << ": " << result.error;
        EXPECT_EQ(result.value, c.expected) << c.condition;
    }
}

TEST(ConditionTest, MalformedConditionsAreErrorsNamingTextAndPosition) {
    const MapSession session = Session();
    struct Bad {
        const char* condition;
        int position;
    };
    const Bad cases[] = {
        {"(1", 3},   {"1)", 2},      {"((1) AND 0", 11}, {"0 >=", 5},           {"\"abc", 1},    {"1 @ 2", 3},
        {"\"A\" ~ = \"a\"", 5}, {"~not \"A\"", 1}, {"1 IMPL 1", 3}, {"1.5 = 1", 2}, {"1 = 1 = 1", 7},
        {"% PATH", 1}, {"- 1", 1}, {"0 AND \"\" \"\"", 10}, {"A\tOR\n", 6},
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


TEST(FormatTest, ExpandsReferencesEscapesGroupsAndLeavesLoneMarkup) {
    MapSession session;
    session.properties = {{"INSTALLDIR", "C:\\Program Files\\Veltra\\"}, {"P", "v"}, {"Q", "w"},
                          {"Ref", "P"}, {"Markup", "[P]{[Q]}"}, {"Empty", ""}};
    session.environment = {{"TEMP", "C:\\Temp"}};
    session.files = {{"KeshGina.dll", "C:\\Windows\\system32\\KeshGina.dll"}};
    session.folders = {{"GinaComponent", "C:\\Windows\\system32\\"}};

    const std::pair<const char*, std::string> cases[] = {
        {"[INSTALLDIR]KeshGina.dll;5", "C:\\Program Files\\Veltra\\KeshGina.dll;5"}, {"[Unset]|[Empty]|[p]", "||"},
        {"[%TEMP]\\x", "C:\\Temp\\x"}, {"[$GinaComponent]x", "C:\\Windows\\system32\\x"}, {"[#Nope][$Nope][%NOPE]", ""},
        {"[#KeshGina.dll]|[!KeshGina.dll]", "C:\\Windows\\system32\\KeshGina.dll|C:\\Windows\\system32\\KeshGina.dll"},
        // escapes: one character, nothing after it, no further expansion
        {"[\\[]P[\\]]", "[P]"}, {"[\\abc]", "a"}, {"a[~]b", std::string("a\0b", 3)},
        // nested references resolve from the inside out; values are not rescanned
        {"[[Ref]]", "v"}, {"[[Unset]]", ""}, {"[Markup]", "[P]{[Q]}"},
        // lone markup stays as text
        {"[P", "[P"}, {"[]", "[]"}, {"[a[P]b", "[avb"}, {"{a[P]", "{av"},
        // groups: without a reference they stay; a reference that is empty takes the group away
        {"{abc}", "{abc}"}, {"{a[P]b[Q]c}", "avbwc"}, {"x{a[P]b[Unset]c}y", "xy"}, {"{{def}hi}", "{{def}hi}"},
        {"{{[P]}x}", "vx"}, {"{abc}{[P]} {[Unset]}", "{abc}v "},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(FormatText(text, session), expected) << text;

    // Nesting far past anything real ends in a name no property has, never a crash.
    const std::string deep = std::string(50000, '[') + "P" + std::string(50000, ']');
    EXPECT_EQ(FormatText(deep, session), "");
}

}  // namespace
}  // namespace veltra::sim::engine
