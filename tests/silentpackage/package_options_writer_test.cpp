// RecordInstallOptions, first half: the package wizard's choices written into
// the options file, in its order and with each line's default.
#include <map>

#include "package_fixture.h"

namespace veltra::testing {
namespace {

class OptionsWriter : public PackageTest {
protected:
    OptionsWriter() { PutFolder(kPackageOut); }
    void SetAll(const std::map<std::string, std::string>& properties) {
        for (const auto& [name, value] : properties) SetProperty(name, value);
    }
};

TEST_F(OptionsWriter, AFullWizardIsWrittenLineByLineInTheFilesOrder) {
    SetAll({{"InstallSilentDAC", "0"}, {"InstallSilentLAC", "1"}, {"InstallSilentAUTOREG", "1"},
            {"InstallSilentRAS", "0"}, {"InstallSilentEAP", "1"}, {"AUTHCONFIGSELECTED", "2"},
            {"_AGENT_ACTIVATION_STATE", "True"}, {"_WINDOWS_PASSWORD_STATE", "true"}, {"_IMPORT_BITMAP", "True"},
            {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1"}, {"_UNLOCK_ENABLED", "True"}, {"_TIME_OUT", ""},
            {"_ATTEMPTS", "15abc"}, {"WINLOGON_LEGALNOTICETEXT", "Authorised use only.\nAll use is logged.\r\nBye"},
            {"WINLOGON_LEGALNOTICECAPTION", "Notice = read"}, {"_REGISTRY_CONFIG_STATE", "False"},
            {"_REGISTRY_CONFIG_GROUP", "True"}, {"_REGISTRY_CONFIG_PASSWD", "TRUE"}});

    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    EXPECT_EQ(ReadFile(kOptionsFile),
              "InstallSilentDAC=0\r\nInstallSilentLAC=1\r\nInstallSilentAUTOREG=1\r\nInstallSilentRAS=0\r\n"
              "InstallSilentEAP=1\r\nAUTH_CONFIG_DIALOG=1\r\nAUTHCONFIGSELECTED=2\r\nAGENT_ACTIVATION_STATE=True\r\n"
              "WINDOWS_PASSWORD_STATE=False\r\nIMPORT_CUSTOMBITMAP_STATE=True\r\nENABLE_NOVELL_PASSWORD_UPDATE=1\r\n"
              "PIN_UNLOCK_ENABLED_STATE=True\r\nPIN_UNLOCK_TIMEOUT=\r\nPIN_UNLOCK_ATTEMPTS=15abc\r\n"
              "WINLOGON_LEGALNOTICETEXT=Authorised use only.\x01" "All use is logged.\r\x01" "Bye\r\n"
              "WINLOGON_LEGALNOTICECAPTION=Notice = read\r\nREGISTRY_CONFIG_STATE=False\r\n"
              "REGISTRY_CONFIG_GROUP=True\r\nREGISTRY_CONFIG_PASSWD=False\r\n");
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    EXPECT_FALSE(FileExists(kPackageOut + "registryConfigFile.bin")) << "only with the registry configuration";
}

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
