// The two questions of the GINA loop: their texts byte for byte, their
// styles, and the description of the GINA file they name.
#include <gtest/gtest.h>

#include "gina/gina_dialogs.h"
#include "gina_fixture.h"

namespace veltra::testing {
namespace {

const std::string kConflictText =
    "The installation program has detected\n"
    "another product using the Gina registry value\n"
    "for controlling access to the system or its\n"
    "resources.  This other product and the Veltra\n"
    "Authentication Agent do not provide support for\n"
    "sharing access control with each other.\n"
    "\n"
    "If you want to continue with the Agent\n"
    "installation, the installation must disable Gina\n"
    "related control of the other product, and replace it\n"
    "with that of the Veltra Authentication Agent.  The other\n"
    "product's control will be reinstated when the Veltra\n"
    "Authentication Agent is uninstalled.\n"
    "\n"
    "To finish the installation, having the Veltra Authentication\n"
    "Agent assume a full control in the manner just described,\n"
    "press \"OK\".  To abort the installation, press \"Cancel\".\n"
    "\n"
    "File: ";

const std::string kStillLoadedText =
    "The Windows Installer service cannot disable\n"
    "the Veltra Authentication Agent GINA because it is not at\n"
    "the top of the GINA chain.\n"
    "The Veltra Authentication Agent GINA will remain loaded until\n"
    "the current third-party GINA is uninstalled or disabled.\n"
    "File: ";

class GinaDialogsTest : public GinaFixture {
protected:
    GinaDialogsTest() {
        PutSystemFile("othergina.dll");
        machine.versions["C:\\WINDOWS\\system32\\othergina.dll"] =
            sim::VersionInfo{0x0409,
                             0x04b0,
                             {{"ProductName", "Other Access Control"},
                              {"FileDescription", "Other GINA"},
                              {"CompanyName", "Other Corp."}}};
    }

    std::optional<std::string> VersionString(const std::string& file, const char* key,
                                             std::size_t size = gina::kVersionStringSize) {
        std::string value = "stale";
        if (!gina::GetFileVersionString(Ports().versions, file, key, value, size)) {
            EXPECT_EQ(value, "");
            return std::nullopt;
        }
        return value;
    }
};

constexpr const char* kOtherFile = "C:\\WINDOWS\\system32\\othergina.dll";
constexpr const char* kOtherDescribed =
    "C:\\WINDOWS\\system32\\othergina.dll\nProduct: Other Access Control\n"
    "Description: Other GINA\nCompany: Other Corp.";

// From the first language of the resource, cut to the buffer with its
// terminator; none without a resource or a file.
TEST_F(GinaDialogsTest, VersionStringsComeFromTheFirstLanguageCutToTheBuffer) {
    PutSystemFile("german.dll");
    machine.versions["C:\\WINDOWS\\system32\\german.dll"] =
        sim::VersionInfo{0x0407, 0x04e4, {{"ProductName", "Zugang"}}};
    struct Case {
        std::string file;
        const char* key;
        std::size_t size;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {kOtherFile, "ProductName", 20, "Other Access Contro"},
        {kOtherFile, "ProductName", 21, "Other Access Control"},
        {kOtherFile, "LegalCopyright", 256, std::nullopt},
        {"C:\\WINDOWS\\system32\\german.dll", "ProductName", 256, "Zugang"},
        {"C:\\WINDOWS\\system32\\msgina.dll", "ProductName", 256, std::nullopt},
        {"C:\\WINDOWS\\system32\\gone.dll", "ProductName", 256, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + c.key + " " + std::to_string(c.size));
        EXPECT_EQ(VersionString(c.file, c.key, c.size), c.value);
    }
}

// The file as the search finds it (".dll" added to a bare name), or as the
// chain names it, with each string or "N/A".
TEST_F(GinaDialogsTest, TheFileIsDescribedWithItsVersionStrings) {
    PutFile("C:\\Apps\\partial.dll");
    // A long string is cut to 255 characters.
    machine.versions["C:\\Apps\\partial.dll"] =
        sim::VersionInfo{0x0409, 0x04b0, {{"CompanyName", "Partial"}, {"ProductName", std::string(300, 'p')}}};
    const std::pair<std::string, std::string> cases[] = {
        {"othergina.dll", kOtherDescribed},
        {"OTHERGINA", "C:\\WINDOWS\\system32\\OTHERGINA.dll\nProduct: Other Access Control\n"
                      "Description: Other GINA\nCompany: Other Corp."},
        {"msgina.dll", "C:\\WINDOWS\\system32\\msgina.dll\nProduct: N/A\nDescription: N/A\nCompany: N/A"},
        {"C:\\Apps\\partial.dll",
         "C:\\Apps\\partial.dll\nProduct: " + std::string(255, 'p') + "\nDescription: N/A\nCompany: Partial"},
        {"C:\\Gone\\gone.dll", "C:\\Gone\\gone.dll\nProduct: N/A\nDescription: N/A\nCompany: N/A"},
        {"", "\nProduct: N/A\nDescription: N/A\nCompany: N/A"},
    };
    for (const auto& [name, text] : cases) EXPECT_EQ(gina::DescribeGinaFile(Ports(), "", name), text) << name;
    EXPECT_EQ(gina::DescribeGinaFile(Ports(), "Opening: ", "othergina.dll"), std::string("Opening: ") + kOtherDescribed);
}

// Each question names the file the chain stopped at; the button pressed comes
// back, Continue for OK, and a box that cannot show counts as Cancel.
TEST_F(GinaDialogsTest, TheQuestionsShowTheirTextsAndReturnTheButton) {
    struct Case {
        bool conflict;
        std::optional<int> answer;
        int result;
    };
    const Case cases[] = {{true, platform::kIdOk, platform::kIdContinue},
                          {true, std::nullopt, platform::kIdCancel},
                          {false, platform::kIdTryAgain, platform::kIdTryAgain}};
    for (const Case& c : cases) {
        machine.dialogs.clear();
        if (c.answer) Answer(*c.answer);
        EXPECT_EQ(c.conflict ? gina::ShowGinaConflictDialog(Ports(), "othergina.dll")
                             : gina::ShowGinaStillLoadedDialog(Ports(), "othergina.dll"),
                  c.result);
        ExpectOneMessage((c.conflict ? kConflictText : kStillLoadedText) + kOtherDescribed,
                         c.conflict ? 0x00010121u : 0x00200016u);
    }
}

}  // namespace
}  // namespace veltra::testing
