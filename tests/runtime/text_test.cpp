// File and GINA names compare and split as the ANSI code page has them.
#include <gtest/gtest.h>

#include "runtime/text.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class CodePageText : public testing::SimFixture {
protected:
    platform::System& System(unsigned codePage) {
        machine.codePage = codePage;
        return sim.platform().system;
    }
};

TEST_F(CodePageText, NamesMatchIgnoringCaseInTheCodePage) {
    struct Case {
        unsigned codePage;
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {1252, "C:\\Dossier\\\xC9t\xE9.rec", "c:\\DOSSIER\\\xE9T\xC9.REC", true},  // Été / éTÉ
        {1252, "\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},                        // šœžÿ / ŠŒŽŸ
        {1252, "\xF7", "\xD7", false},                                               // ÷ is no letter of ×
        {1252, "kvconf.rec", "kvconf.rec.bak", false},
        // The second byte of a two-byte character is not a letter to fold.
        {932, "\x83\x61", "\x83\x41", false},
        {932, "\x83\x5C" "a.dll", "\x83\x5C" "A.DLL", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.codePage) + " " + c.a);
        EXPECT_EQ(EqualsIgnoreCase(System(c.codePage), c.a, c.b), c.equal);
    }
}

TEST_F(CodePageText, TheLastBackslashIsNeverHalfACharacter) {
    struct Case {
        unsigned codePage;
        const char* path;
        const char* fileName;
    };
    const Case cases[] = {
        {1252, "C:\\Dir\\kvconf.rec", "kvconf.rec"},
        {1252, "kvconf.rec", "kvconf.rec"},
        // 0x83 0x5C is one character in Shift-JIS: the name keeps its folder.
        {932, "C:\\Dir\\\x83\x5C.rec", "\x83\x5C.rec"},
        {932, "\x83\x5C", "\x83\x5C"},
        {1252, "C:\\Dir\\\x83\x5C.rec", ".rec"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.codePage) + " " + c.path);
        EXPECT_EQ(FileNamePart(System(c.codePage), c.path), c.fileName);
    }
}

}  // namespace
}  // namespace veltra::runtime
