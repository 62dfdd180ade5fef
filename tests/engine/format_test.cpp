// Formatted text as property values and deferred-action data are expanded:
// references, escapes, nesting, groups and text that only looks like markup.
#include <gtest/gtest.h>

#include <string>

#include "engine/map_session.h"
#include "platform/sim/engine/format.h"

namespace veltra::sim::engine {
namespace {

using testing::MapSession;

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
