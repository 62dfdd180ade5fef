// The Active Directory field check and the diagnostic property display.
#include "configfiles_test_support.h"

namespace veltra::testing {
namespace {

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
