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

// Where the dialog opens, and what the answer does to the path property: a
// file is offered as it is, a folder with the expected name in it, which is
// only the dialog's starting point and never written back on Cancel.
TEST_P(Browse, OpensAtTheCurrentChoiceAndWritesOnlyAPickBack) {
    const std::string fits = "C:\\" + std::string(259 - 3 - browse().nameInFolder.size(), 'f');
    const std::string pick = "E:\\" + std::string(252, 'p') + ".dat";  // 259 characters
    struct Case {
        std::string label;
        std::optional<std::string> current;
        enum { None, File, Folder } shape;
        std::optional<std::string> pick;  // nullopt: Cancel
        std::string initialName;          // "+" stands for the expected name in the folder
        std::string after;
    };
    const Case cases[] = {
        {"a pick is written back", "C:\\Old\\choice.txt", Case::None, "E:\\Server Files\\picked.dat",
         "C:\\Old\\choice.txt", "E:\\Server Files\\picked.dat"},
        {"cancel leaves the property", "C:\\Old\\choice.txt", Case::None, std::nullopt, "C:\\Old\\choice.txt",
         "C:\\Old\\choice.txt"},
        {"a folder opens with the name in it", "C:\\Server Files", Case::Folder, std::nullopt, "C:\\Server Files+",
         "C:\\Server Files"},
        {"an existing file is offered as it is", "C:\\Server Files\\current", Case::File, std::nullopt,
         "C:\\Server Files\\current", "C:\\Server Files\\current"},
        {"nothing chosen yet opens empty", std::nullopt, Case::None, std::nullopt, "", ""},
        // The path buffer holds 260 characters with the terminator: the name
        // goes into a folder only while it fits, and a longer pick fails.
        {"a folder just deep enough for the name", fits, Case::Folder, std::nullopt, fits + "+", fits},
        {"a folder too deep for the name", fits + "g", Case::Folder, std::nullopt, fits + "g", fits + "g"},
        {"a pick filling the buffer", "C:\\Old\\choice.txt", Case::None, pick, "C:\\Old\\choice.txt", pick},
        {"a pick too long", "C:\\Old\\choice.txt", Case::None, pick + "x", "C:\\Old\\choice.txt",
         "C:\\Old\\choice.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.dialogs.clear();
        machine.session.properties.erase(browse().pathProperty);
        if (c.current) SetProperty(browse().pathProperty, *c.current);
        if (c.shape == Case::File) PutFile(*c.current);
        if (c.shape == Case::Folder) PutFolder(*c.current);
        Choose(c.pick);

        EXPECT_EQ(Run(browse().action), 0u);

        std::string initialName = c.initialName;
        if (initialName.ends_with("+")) initialName.replace(initialName.size() - 1, 1, browse().nameInFolder);
        // A pick the buffer cannot hold fails the dialog and is not taken.
        const std::string answer = !c.pick ? "CANCEL"
                                   : c.after == *c.pick ? *c.pick
                                                        : "(path longer than the buffer) " + *c.pick;
        ExpectDialog(initialName, answer);
        EXPECT_EQ(Property(browse().pathProperty), c.after);
    }
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
