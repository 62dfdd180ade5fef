// The wizard's checks of a chosen server file or banner bitmap: which choice
// passes, which message a bad one gets, and what the copy actions are told;
// the Active Directory field check and the diagnostic property display.
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
        ASSERT_EQ(machine.dialogs.size(), 1u);
        const sim::DialogRecord& box = machine.dialogs[0];
        EXPECT_EQ(box.kind, "MessageBox");
        EXPECT_EQ(box.owner, "none");
        EXPECT_EQ(box.caption, name);
        EXPECT_EQ(box.text, value);
        EXPECT_EQ(box.style, 0x00200000u);
    }
}

}  // namespace
}  // namespace veltra::testing
