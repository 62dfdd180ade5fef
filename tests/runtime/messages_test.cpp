#include <gtest/gtest.h>

#include "platform/sim/sim_ui.h"
#include "runtime/messages.h"
#include "support/sim_fixture.h"

namespace veltra::runtime {
namespace {

class Messages : public testing::SimFixture {};

// The owner window is a topmost dialog-class popup that goes away with its owner.
TEST_F(Messages, CarryTheLibraryCaptionAndTheirStyleAboveTheirOwnerWindow) {
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

}  // namespace
}  // namespace veltra::runtime
