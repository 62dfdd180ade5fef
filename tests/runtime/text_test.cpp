// File and GINA names compare and split as the ANSI code page has them.
#include <gtest/gtest.h>

#include "runtime/text.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class CodePageText : public testing::SimFixture {};

TEST_F(CodePageText, NamesMatchIgnoringCaseAndSplitAtTheirLastWholeBackslash) {
    const std::tuple<unsigned, const char*, const char*, bool> equal[] = {
        {1252, "C:\\Dossier\\\xC9t\xE9.rec", "c:\\DOSSIER\\\xE9T\xC9.REC", true},  // Été / éTÉ
        {1252, "\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},                        // šœžÿ / ŠŒŽŸ
        {1252, "\xF7", "\xD7", false},                                               // ÷ is no letter of ×
        // The second byte of a two-byte character is not a letter to fold.
        {932, "\x83\x61", "\x83\x41", false},
        {932, "\x83\x5C" "a.dll", "\x83\x5C" "A.DLL", true},
    };
    for (const auto& [codePage, a, b, same] : equal) {
        machine.codePage = codePage;
        EXPECT_EQ(EqualsIgnoreCase(sim.platform().system, a, b), same) << codePage << " " << a;
    }
    // 0x83 0x5C is one character in Shift-JIS: the name keeps its folder.
    const std::tuple<unsigned, const char*, const char*> names[] = {
        {1252, "C:\\Dir\\kvconf.rec", "kvconf.rec"},
        {932, "C:\\Dir\\\x83\x5C.rec", "\x83\x5C.rec"},
        {1252, "C:\\Dir\\\x83\x5C.rec", ".rec"},
    };
    for (const auto& [codePage, path, fileName] : names) {
        machine.codePage = codePage;
        EXPECT_EQ(FileNamePart(sim.platform().system, path), fileName) << codePage << " " << path;
    }
}

}  // namespace
}  // namespace veltra::runtime
