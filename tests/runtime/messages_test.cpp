#include <gtest/gtest.h>

#include "platform/sim/sim_ui.h"
#include "runtime/messages.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class Messages : public testing::SimFixture {};

TEST_F(Messages, CarryTheLibraryCaptionAndTheirStyle) {
    Answer(platform::kIdYes);
    EXPECT_EQ(ShowMessage(sim.platform().windows, {}, "Line 1\nLine 2", style::kForegroundYesNo), platform::kIdYes);
    ASSERT_EQ(machine.dialogs.size(), 1u);
    EXPECT_EQ(machine.dialogs[0].caption, "Veltra Authentication Agent for Windows");
    EXPECT_EQ(machine.dialogs[0].text, "Line 1\nLine 2");
    EXPECT_EQ(machine.dialogs[0].style, 0x00010024u);
    EXPECT_EQ(machine.dialogs[0].owner, "none");
}

TEST_F(Messages, TheOwnerWindowIsATopmostDialogClassPopupThatGoesAway) {
    auto& ui = dynamic_cast<sim::SimUi&>(sim.platform().windows);
    {
        machine.trace.enabled = true;
        const platform::Window owner = CreateOwnerWindow(sim.platform().windows);
        EXPECT_TRUE(static_cast<bool>(owner.get()));
        EXPECT_EQ(ui.OpenWindowCount(), 1u);
        Answer(platform::kIdOk);
        ShowMessage(sim.platform().windows, owner.get(), "text", style::kForegroundNotice);
        EXPECT_EQ(machine.dialogs.back().owner, "owner window");
    }
    EXPECT_EQ(ui.OpenWindowCount(), 0u);
    ASSERT_GE(machine.trace.lines().size(), 2u);
    EXPECT_EQ(machine.trace.lines()[0].operation, "CreateWindowExA");
    EXPECT_EQ(machine.trace.lines()[0].subject, "#32770");
    EXPECT_EQ(machine.trace.lines()[1].operation, "SetWindowPos");
}

}  // namespace
}  // namespace veltra::runtime
