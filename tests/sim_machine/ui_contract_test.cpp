// Message boxes and file dialogs: recorded, answered from the script, never guessed.
#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

class UiContract : public testing::SimFixture {
protected:
    platform::Windows& ui() { return sim.platform().windows; }
};

TEST_F(UiContract, AnswersComeInOrder) {
    Answer(platform::kIdCancel);
    Answer(platform::kIdOk);
    EXPECT_EQ(ui().MessageBox({}, "first", "c", 0x1), platform::kIdCancel);
    EXPECT_EQ(ui().MessageBox({}, "second", "c", 0x0), platform::kIdOk);
    ASSERT_EQ(machine.dialogs.size(), 2u);
    EXPECT_EQ(machine.dialogs[0].answer, "CANCEL");
    EXPECT_FALSE(machine.unansweredDialog);
}

TEST_F(UiContract, AnUnscriptedBoxOrAnAnswerThatIsNotAButtonOfTheBoxIsNotGuessed) {
    EXPECT_EQ(ui().MessageBox({}, "Who am I?", "Caption", 0x4), 0);
    ASSERT_TRUE(machine.unansweredDialog);
    EXPECT_NE(machine.unansweredDialog->find("Who am I?"), std::string::npos);
    machine.unansweredDialog.reset();
    Answer(platform::kIdYes);
    EXPECT_EQ(ui().MessageBox({}, "text", "c", 0x00200016), 0);  // Cancel / Try Again / Continue
    ASSERT_TRUE(machine.unansweredDialog);
    EXPECT_NE(machine.unansweredDialog->find("YES"), std::string::npos);
}

TEST_F(UiContract, FileDialogsTakeAPathOrCancel) {
    platform::OpenFileNameArgs args;
    args.title = "Select Kvconf.rec";
    args.filter = {{"Rec Files (*.rec)", "*.rec"}, {"All Files (*.*)", "*.*"}};
    Choose("C:\\Files\\kvconf.rec");
    Choose(std::nullopt);
    std::string path = "C:\\Start\\kvconf.rec";
    EXPECT_TRUE(ui().GetOpenFileName(args, path));
    EXPECT_EQ(path, "C:\\Files\\kvconf.rec");
    EXPECT_FALSE(ui().GetOpenFileName(args, path));
    EXPECT_EQ(path, "C:\\Files\\kvconf.rec");
    ASSERT_EQ(machine.dialogs.size(), 2u);
    EXPECT_EQ(machine.dialogs[0].text, "C:\\Start\\kvconf.rec");
    EXPECT_EQ(machine.dialogs[1].answer, "CANCEL");
    EXPECT_FALSE(ui().GetOpenFileName(args, path));
    EXPECT_TRUE(machine.unansweredDialog);
}

TEST_F(UiContract, OnlyTheInteractiveWindowStationOpens) {
    EXPECT_FALSE(ui().OpenWindowStation("Service-0x0-3e7$", platform::kMaximumAllowed));
    const auto station = ui().OpenWindowStation("WinSta0", platform::kMaximumAllowed);
    EXPECT_TRUE(station);
    EXPECT_TRUE(ui().CloseWindowStation(station));
}

}  // namespace
}  // namespace veltra::sim
