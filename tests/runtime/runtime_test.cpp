// The runtime the actions share: the action list and its frame, deferred
// data, messages, session reads and code-page text.
#include <gtest/gtest.h>

#include <set>

#include "platform/sim/sim_ui.h"
#include "runtime/action_table.h"
#include "runtime/deferred_data.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "runtime/text.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class Runtime : public testing::SimFixture {};

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

platform::Dword Throwing(platform::Platform&) { throw std::bad_alloc(); }

TEST_F(Runtime, NothingEscapesTheFrame) {
    const ActionEntry entry{"Throwing", ActionKind::Immediate, "throws", &Throwing};
    EXPECT_EQ(RunAction(entry, sim.platform()), 1603u);
}

TEST(JoinStrings, JoinsWithoutDoublingTheSeparator) {
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {";", {"a", "", "b"}, "a;b"},  // an empty piece vanishes with its separator
        {";", {"a;", "b"}, "a;b"},     // a piece ending with ";" gets no second one
        {"\\", {"C:\\Dir", "x.dll"}, "C:\\Dir\\x.dll"},
        {"\\", {"C:\\Package\\", "SilentInstallPackage", ""}, "C:\\Package\\SilentInstallPackage\\"},
        {";", {}, ""},
        {";", {"", "b"}, ";b"},        // too short to end with the separator
        {";;", {"a;", "b"}, "a;;;b"},  // the whole separator is compared, not its last byte
    };
    for (const auto& [separator, pieces, joined] : cases) EXPECT_EQ(JoinStrings(separator, pieces), joined) << joined;
}

TEST(SplitDeferredData, SkipsEmptyFieldsSoLaterOnesMoveUp) {
    EXPECT_EQ(SplitDeferredData(";a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitDeferredData(";;;"), std::vector<std::string>{});
    // Shift-JIS "\xE3\x82\xBD" is 0x83 0x5C: its trail byte is a backslash, never ";".
    EXPECT_EQ(SplitDeferredData("C:\\\x83\x5C\\x;2"), (std::vector<std::string>{"C:\\\x83\x5C\\x", "2"}));
}

// The owner window is a topmost dialog-class popup that goes away with its owner.
TEST_F(Runtime, MessagesCarryTheLibraryCaptionAndTheirStyleAboveTheirOwnerWindow) {
    auto& ui = dynamic_cast<sim::SimUi&>(sim.platform().windows);
    machine.trace.enabled = true;
    {
        const platform::Window owner = CreateOwnerWindow(sim.platform().windows);
        EXPECT_EQ(ui.OpenWindowCount(), 1u);
        Answer(platform::kIdYes);
        EXPECT_EQ(ShowMessage(sim.platform().windows, owner.get(), "Line 1\nLine 2", style::kForegroundYesNo),
                  platform::kIdYes);
    }
    EXPECT_EQ(ui.OpenWindowCount(), 0u);
    ASSERT_EQ(machine.dialogs.size(), 1u);
    const sim::DialogRecord& shown = machine.dialogs[0];
    EXPECT_EQ(shown.caption + "|" + shown.text + "|" + std::to_string(shown.style) + "|" + shown.owner,
              "Veltra Authentication Agent for Windows|Line 1\nLine 2|" + std::to_string(0x00010024) + "|owner window");
    const auto& calls = machine.trace.lines();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation + " " + calls[0].subject + " " + calls[1].operation, "CreateWindowExA #32770 SetWindowPos");
}

// A value of any length comes back whole; an absent or unreadable one as empty.
// A fixed read keeps what its buffer holds.
TEST_F(Runtime, APropertyIsReadWholeOrEmptyOrAsFarAsItsBufferHolds) {
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

TEST_F(Runtime, FindFileInFolderLooksInThatFolderOnly) {
    PutFile("C:\\Package\\kvroot.crt");
    PutFile("C:\\WINDOWS\\system32\\kvconf.rec");
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    EXPECT_TRUE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "KVROOT.CRT"));
    EXPECT_FALSE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "kvconf.rec"));
    EXPECT_FALSE(FindFileInFolder(sim.platform().files, "C:\\Package\\", "kvroot"));  // no default extension
}

// File and GINA names compare and split as the ANSI code page has them.
TEST_F(Runtime, NamesMatchIgnoringCaseAndSplitAtTheirLastWholeBackslash) {
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
