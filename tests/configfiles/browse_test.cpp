// The Browse buttons: the Open File dialog each one shows, and what the
// administrator's answer does to the path property.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

struct BrowseCase {
    std::string label;
    std::string action;
    std::string pathProperty;
    std::string title;
    std::string nameInFolder;
    std::vector<std::pair<std::string, std::string>> filter;
};

BrowseCase FromFamily(const Family& family) {
    return {family.label, family.browseAction, family.pathProperty, family.browseTitle,
            family.nameInFolder, family.filter};
}

class Browse : public ConfigFilesTest, public ::testing::WithParamInterface<BrowseCase> {
protected:
    const BrowseCase& browse() const { return GetParam(); }

    void ExpectDialog(const std::string& initialName, const std::string& answer) {
        ASSERT_EQ(machine.dialogs.size(), 1u);
        const sim::DialogRecord& dialog = machine.dialogs[0];
        EXPECT_EQ(dialog.kind, "GetOpenFileName");
        EXPECT_EQ(dialog.owner, "owner window");
        EXPECT_EQ(dialog.caption, browse().title);
        EXPECT_EQ(dialog.text, initialName);
        EXPECT_EQ(dialog.style, 0x00000004u);  // OFN_HIDEREADONLY only
        EXPECT_EQ(dialog.filter, browse().filter);
        EXPECT_EQ(dialog.answer, answer);
    }
};

TEST_P(Browse, OkWritesTheChosenPathBack) {
    SetProperty(browse().pathProperty, "C:\\Old\\choice.txt");
    PutFile("E:\\Server Files\\picked.dat");
    Choose("E:\\Server Files\\picked.dat");

    EXPECT_EQ(Run(browse().action), 0u);

    EXPECT_EQ(Property(browse().pathProperty), "E:\\Server Files\\picked.dat");
    ExpectDialog("C:\\Old\\choice.txt", "E:\\Server Files\\picked.dat");
}

TEST_P(Browse, CancelLeavesThePropertyAlone) {
    SetProperty(browse().pathProperty, "C:\\Old\\choice.txt");
    Choose(std::nullopt);

    EXPECT_EQ(Run(browse().action), 0u);

    EXPECT_EQ(Property(browse().pathProperty), "C:\\Old\\choice.txt");
    ExpectDialog("C:\\Old\\choice.txt", "CANCEL");
}

TEST_P(Browse, AFolderOpensWithTheExpectedNameInIt) {
    PutFolder("C:\\Server Files");
    SetProperty(browse().pathProperty, "C:\\Server Files");
    Choose(std::nullopt);

    EXPECT_EQ(Run(browse().action), 0u);

    ExpectDialog("C:\\Server Files" + browse().nameInFolder, "CANCEL");
    // The name is only the dialog's starting point, never written back on Cancel.
    EXPECT_EQ(Property(browse().pathProperty), "C:\\Server Files");
}

// The default name goes in only while the 260-character buffer still holds
// it with its terminator; a folder too deep for that is offered as it is.
TEST_P(Browse, AFolderTooDeepForTheNameIsOfferedAsItIs) {
    const std::string nameInFolder = browse().nameInFolder;
    const std::string fits = "C:\\" + std::string(259 - 3 - nameInFolder.size(), 'f');
    const std::string tooDeep = fits + "g";
    ASSERT_EQ((fits + nameInFolder).size(), 259u);
    PutFolder(fits);
    PutFolder(tooDeep);

    SetProperty(browse().pathProperty, fits);
    Choose(std::nullopt);
    Run(browse().action);
    ASSERT_EQ(machine.dialogs.size(), 1u);
    EXPECT_EQ(machine.dialogs[0].text, fits + nameInFolder);

    SetProperty(browse().pathProperty, tooDeep);
    Choose(std::nullopt);
    Run(browse().action);
    ASSERT_EQ(machine.dialogs.size(), 2u);
    EXPECT_EQ(machine.dialogs[1].text, tooDeep);
}

// The dialog's file buffer is the 260-character path buffer: a pick of 259
// characters comes back, a longer one makes the dialog fail and changes nothing.
TEST_P(Browse, TheChosenPathMustFitThePathBuffer) {
    const std::string fits = "E:\\" + std::string(252, 'p') + ".dat";
    ASSERT_EQ(fits.size(), 259u);
    SetProperty(browse().pathProperty, "C:\\Old\\choice.txt");

    Choose(fits);
    Run(browse().action);
    EXPECT_EQ(Property(browse().pathProperty), fits);

    Choose("E:\\" + std::string(253, 'p') + ".dat");
    Run(browse().action);
    EXPECT_EQ(Property(browse().pathProperty), fits);
}

TEST_P(Browse, AnExistingFileIsOfferedAsItIs) {
    PutFile("C:\\Server Files\\current");
    SetProperty(browse().pathProperty, "C:\\Server Files\\current");
    Choose(std::nullopt);

    Run(browse().action);

    ExpectDialog("C:\\Server Files\\current", "CANCEL");
}

TEST_P(Browse, NothingChosenYetOpensEmpty) {
    Choose(std::nullopt);

    Run(browse().action);

    ExpectDialog("", "CANCEL");
    EXPECT_EQ(Property(browse().pathProperty), "");
}

// The dialog is owned by a window of its own that is gone afterwards.
TEST_P(Browse, TheOwnerWindowLivesForTheDialogOnly) {
    machine.trace.enabled = true;
    Choose("E:\\picked.dat");

    Run(browse().action);

    std::vector<std::string> calls;
    for (const sim::TraceLine& line : machine.trace.lines()) {
        if (line.operation == "CreateWindowExA" || line.operation == "SetWindowPos" ||
            line.operation == "GetOpenFileNameA" || line.operation == "DestroyWindow") {
            calls.push_back(line.operation + " " + line.subject + " " + std::to_string(line.result));
        }
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"CreateWindowExA #32770 0", "SetWindowPos  0",
                                                "GetOpenFileNameA " + browse().title + " 1",
                                                "DestroyWindow  0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, Browse,
    ::testing::Values(FromFamily(KvconfFamily()), FromFamily(KvrootFamily()),
                      BrowseCase{"bitmap",
                                 "BrowseForCustomBitmapFile",
                                 "BITMAPFILE",
                                 "Select gina_banner.bmp",
                                 "\\gina_banner.bmp",
                                 {{"Bmp Files (*.bmp)", "*.bmp"},
                                  {"Isd Files (*.isd)", "*.isd"},
                                  {"All Files (*.*)", "*.*"}}}),
    [](const ::testing::TestParamInfo<BrowseCase>& info) { return info.param.label; });

}  // namespace
}  // namespace veltra::testing
