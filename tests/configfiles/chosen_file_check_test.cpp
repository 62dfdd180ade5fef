// The wizard's Browse buttons and checks: the dialogs, which choice passes,
// which message a bad one gets, and what the copy actions are told.
#include <algorithm>
#include <optional>

#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

enum class Shape { Missing, File, Folder };

struct CheckCase {
    std::string label;
    std::string fileName;  // the file part of the chosen path
    Shape shape;
    platform::Dword attributes;  // 0: as the file system makes it
    // Which message: "" none (passes), or "name", "missing", "system", "directory".
    std::string verdict;
    std::optional<std::string> path = std::nullopt;  // the chosen path as typed, when not the usual one
};

class ServerFileCheck : public ConfigFilesTest,
                        public ::testing::WithParamInterface<Family> {
protected:
    const Family& family() const { return GetParam(); }

    // Each case gets its own folder, so earlier cases leave nothing behind.
    std::string Place(const CheckCase& c) {
        if (c.path) {
            std::string onDisk = *c.path;
            std::replace(onDisk.begin(), onDisk.end(), '/', '\\');
            if (c.shape == Shape::File) PutFile(onDisk, "server data");
            return *c.path;
        }
        const std::string path = "C:\\Choice" + std::to_string(++placed_) + "\\" + c.fileName;
        if (c.shape == Shape::File) PutFile(path, "server data");
        if (c.shape == Shape::Folder) PutFolder(path);
        if (c.attributes != 0) machine.attributes[path] = c.attributes;
        return path;
    }

    std::string Expected(const std::string& verdict, const std::string& path) const {
        if (verdict == "name") return family().nameMessage;
        if (verdict == "missing") return path + family().missingText;
        if (verdict == "system") return path + family().systemText;
        return path + family().directoryText;
    }

    int placed_ = 0;
};

std::vector<CheckCase> CasesFor(const std::string& name, const std::string& upper) {
    const platform::Dword system = platform::kFileAttributeSystem;
    const platform::Dword hidden = platform::kFileAttributeHidden;
    const platform::Dword readOnly = platform::kFileAttributeReadOnly;
    const platform::Dword directory = platform::kFileAttributeDirectory;
    return {
        {"upper-case name passes", upper, Shape::File, 0, ""},
        {"hidden read-only archive passes", name, Shape::File,
         hidden | readOnly | platform::kFileAttributeArchive, ""},
        {"missing file", name, Shape::Missing, 0, "missing"},
        // Existence comes before the name.
        {"missing file of another name", name + ".bak", Shape::Missing, 0, "missing"},
        {"wrong name", name + ".bak", Shape::File, 0, "name"},
        {"name as a prefix", "my" + name, Shape::File, 0, "name"},
        // The name comes before the system attribute.
        {"system file of another name", "other.txt", Shape::File, system, "name"},
        {"system file", name, Shape::File, system, "system"},
        {"folder with the required name", name, Shape::Folder, 0, "directory"},
        {"folder of another name", "Servers", Shape::Folder, 0, "name"},
        // The system attribute comes before the directory attribute.
        {"system folder with the required name", name, Shape::Folder, system | directory, "system"},
        // No choice at all is missing; only a backslash starts the file name, so
        // a path the file system takes with forward slashes is held whole against it.
        {"no choice at all", name, Shape::Missing, 0, "missing", ""},
        {"forward slashes", name, Shape::File, 0, "name", "C:/Slashed/" + name},
    };
}

TEST_P(ServerFileCheck, EachChoiceGetsItsVerdict) {
    const std::string upper = family().fileName == "kvconf.rec" ? "KVCONF.REC" : "KVROOT.CRT";
    for (const CheckCase& c : CasesFor(family().fileName, upper)) {
        SCOPED_TRACE(c.label);
        machine.dialogs.clear();
        machine.attributes.clear();
        SetProperty(family().okProperty, "1");  // a verdict from an earlier choice
        const std::string path = Place(c);
        SetProperty(family().pathProperty, path);
        if (!c.verdict.empty()) Answer(platform::kIdOk);

        EXPECT_EQ(Run(family().checkAction), 0u);

        EXPECT_EQ(Property(family().sourceProperty), path);
        EXPECT_EQ(Property(family().pathProperty), path);
        if (c.verdict.empty()) {
            EXPECT_EQ(Property(family().okProperty), "1");
            ExpectNoDialog();
        } else {
            EXPECT_EQ(Property(family().okProperty), "0");
            ExpectOneMessage(Expected(c.verdict, path), kWarningStyle);
        }

        // The silent check asks only for existence, and shows nothing.
        machine.dialogs.clear();
        EXPECT_EQ(Run(family().silentCheckAction), 0u);
        EXPECT_EQ(Property(family().okProperty), c.shape == Shape::Missing ? "0" : "1");
        EXPECT_EQ(Property(family().sourceProperty), path);
        ExpectNoDialog();
    }
}

TEST_P(ServerFileCheck, APathLongerThanTheBufferIsReadCut) {
    // 259 characters fit the 260-character buffer; a longer path is cut there.
    const std::string folder = "C:\\" + std::string(200, 'd') + "\\";
    const std::string fits = folder + std::string(259 - folder.size() - family().fileName.size(), 'x') +
                             family().fileName;
    ASSERT_EQ(fits.size(), 259u);
    SetProperty(family().pathProperty, fits);
    Answer(platform::kIdOk);
    Run(family().checkAction);
    EXPECT_EQ(Property(family().sourceProperty), fits);

    const std::string tooLong = folder + "x" + fits.substr(folder.size());
    ASSERT_EQ(tooLong.size(), 260u);
    SetProperty(family().pathProperty, tooLong);
    Answer(platform::kIdOk);
    Run(family().checkAction);
    EXPECT_EQ(Property(family().sourceProperty), tooLong.substr(0, 259));
    EXPECT_EQ(Property(family().okProperty), "0");
}

INSTANTIATE_TEST_SUITE_P(Families, ServerFileCheck,
                         ::testing::Values(KvconfFamily(), KvrootFamily()), PrintFamily);

// The bitmap accepts any name; only existence and the attributes count.
TEST_F(ConfigFilesTest, BannerBitmapCheck) {
    struct BitmapCase {
        std::string label;
        std::string fileName;
        Shape shape;
        platform::Dword attributes;
        std::string message;  // text after the path; "" passes
    };
    const BitmapCase cases[] = {
        {"any name passes", "corporate logo.bmp", Shape::File, 0, ""},
        {"read-only passes", "banner.isd", Shape::File, platform::kFileAttributeReadOnly, ""},
        {"missing", "banner.bmp", Shape::Missing, 0,
         " does not exist.\nRespecify the location of your bitmap file."},
        {"system", "banner.bmp", Shape::File, platform::kFileAttributeSystem,
         " is a system file.\nRespecify the location of your bitmap file."},
        {"folder", "Banners", Shape::Folder, 0,
         " is a directory.\nRespecify the location of your bitmap file."},
    };
    int index = 0;
    for (const BitmapCase& c : cases) {
        SCOPED_TRACE(c.label);
        machine.dialogs.clear();
        machine.attributes.clear();
        const std::string path = "C:\\Choice" + std::to_string(++index) + "\\" + c.fileName;
        if (c.shape == Shape::File) PutFile(path);
        if (c.shape == Shape::Folder) PutFolder(path);
        if (c.attributes != 0) machine.attributes[path] = c.attributes;
        SetProperty("BITMAPFILE", path);
        SetProperty("BITMAPFILE_OK", "1");
        if (!c.message.empty()) Answer(platform::kIdOk);

        EXPECT_EQ(Run("ValidateCustomBitmapFile"), 0u);

        EXPECT_EQ(Property("BITMAPFILE_SOURCE"), path);
        if (c.message.empty()) {
            EXPECT_EQ(Property("BITMAPFILE_OK"), "1");
            ExpectNoDialog();
        } else {
            EXPECT_EQ(Property("BITMAPFILE_OK"), "0");
            ExpectOneMessage(path + c.message, kWarningStyle);
        }
    }
}


TEST_F(ConfigFilesTest, ActiveDirectoryFieldMustBeNamedWhenSavingThere) {
    struct FieldCase {
        std::string label;
        std::optional<std::string> saveToAd;
        std::optional<std::string> attribute;
        std::string ok;
        bool message;
    };
    const FieldCase cases[] = {
        {"saving without a field", "1", std::nullopt, "0", true},
        {"saving with a field", "1", "extensionAttribute7", "1", false},
        {"option absent", std::nullopt, std::nullopt, "1", false},
        {"option of another value", "Yes", std::nullopt, "1", false},
        // A value longer than its 24-character buffer is read cut to 23.
        {"option too long to read", "1" + std::string(24, ' '), std::nullopt, "1", false},
        // The field name is read into 260 characters, terminator included: a
        // longer name is cut, and still names a field.
        {"field name filling the buffer", "1", std::string(259, 'a'), "1", false},
        {"field name longer than the buffer", "1", std::string(300, 'a'), "1", false},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.label);
        machine.dialogs.clear();
        machine.session.properties.erase("DA_SAVE_TO_AD");
        machine.session.properties.erase("DA_AD_ATTR");
        if (c.saveToAd) SetProperty("DA_SAVE_TO_AD", *c.saveToAd);
        if (c.attribute) SetProperty("DA_AD_ATTR", *c.attribute);
        SetProperty("DA_AD_ATTR_OK", c.ok == "1" ? "0" : "1");
        if (c.message) Answer(platform::kIdOk);

        EXPECT_EQ(Run("CheckFieldLength"), 0u);

        EXPECT_EQ(Property("DA_AD_ATTR_OK"), c.ok);
        if (c.message) {
            ExpectOneMessage("The Active Directory Field name must be specified.\n", kWarningStyle);
        } else {
            ExpectNoDialog();
        }
    }
}

// The value under the name of its property, empty too; no name, no box.
TEST_F(ConfigFilesTest, DisplayPropertyShowsTheValueUnderTheNameOfItsProperty) {
    SetProperty("KVCONF_SOURCE", "C:\\Temp\\kvconf.rec");
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"KVCONF_SOURCE", "C:\\Temp\\kvconf.rec"}, {"NoSuchProperty", ""}, {"", ""}}) {
        SCOPED_TRACE(name);
        machine.dialogs.clear();
        SetProperty("DisplayProperty", name);
        if (!name.empty()) Answer(platform::kIdOk);

        EXPECT_EQ(Run("DisplayProperty"), 0u);

        if (name.empty()) {
            ExpectNoDialog();
            continue;
        }
        ExpectOneMessage(name, value, 0x00200000u);
    }
}


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
