// RecordInstallOptions, first half: each line's default in the options file,
// and values too long for their buffers (a full wizard is on the package's road).
#include "package_fixture.h"

namespace veltra::testing {
namespace {

class OptionsWriter : public PackageTest {
protected:
    OptionsWriter() { PutFolder(kPackageOut); }
};

TEST_F(OptionsWriter, AnEmptyWizardTakesEachLinesDefaultAndLeavesTheNoticeOut) {
    const std::string expected =
        "InstallSilentDAC=0\r\nInstallSilentLAC=0\r\nInstallSilentAUTOREG=0\r\nInstallSilentRAS=0\r\n"
        "InstallSilentEAP=0\r\nAUTH_CONFIG_DIALOG=1\r\nAUTHCONFIGSELECTED=1\r\nAGENT_ACTIVATION_STATE=False\r\n"
        "WINDOWS_PASSWORD_STATE=False\r\nIMPORT_CUSTOMBITMAP_STATE=False\r\nENABLE_NOVELL_PASSWORD_UPDATE=0\r\n"
        "PIN_UNLOCK_ENABLED_STATE=False\r\nPIN_UNLOCK_TIMEOUT=\r\nPIN_UNLOCK_ATTEMPTS=\r\n"
        "REGISTRY_CONFIG_STATE=False\r\nREGISTRY_CONFIG_GROUP=False\r\nREGISTRY_CONFIG_PASSWD=False\r\n";
    // An earlier read-only file is replaced.
    PutFile(kOptionsFile, "InstallSilentLAC=1\r\n");
    machine.attributes[kOptionsFile] = platform::kFileAttributeReadOnly;

    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    EXPECT_EQ(ReadFile(kOptionsFile), expected);
}

// Values read into fixed buffers: one that does not fit takes the default.
TEST_F(OptionsWriter, AValueLongerThanItsBufferCountsAsUnreadable) {
    const struct {
        std::string property, value, line;
    } cases[] = {
        {"InstallSilentDAC", std::string(127, '1'), "InstallSilentDAC=" + std::string(127, '1')},
        {"InstallSilentDAC", std::string(128, '1'), "InstallSilentDAC=0"},
        {"_ATTEMPTS", std::string(128, '5'), "PIN_UNLOCK_ATTEMPTS="},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1abc", "ENABLE_NOVELL_PASSWORD_UPDATE=1"},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1abcd", "ENABLE_NOVELL_PASSWORD_UPDATE=0"},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "01", "ENABLE_NOVELL_PASSWORD_UPDATE=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.property + "=" + c.value);
        machine.session.properties.clear();
        SetProperty(c.property, c.value);

        EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

        EXPECT_NE(("\n" + ReadFile(kOptionsFile)).find("\n" + c.line + "\r\n"), std::string::npos);
    }
}

TEST_F(OptionsWriter, AFileThatCannotBeMadeEndsPackageCreationWithoutTheRegistryFile) {
    SetProperty("_REGISTRY_CONFIG_STATE", "True");
    machine.faults.Add(*sim::ParseFaultRule("fopen(w):" + kOptionsFile, nullptr));

    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    EXPECT_FALSE(FileExists(kOptionsFile));
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "1");
    EXPECT_FALSE(FileExists(kPackageOut + "registryConfigFile.bin"));
}

}  // namespace
}  // namespace veltra::testing
