// The registry configuration file: what package creation writes and what the
// silent installation applies.
#include "platform/sim/faults.h"
#include "silentpackage/hex_text.h"
#include "silentpackage/registry_config_file.h"
#include "silentpackage/scrambling.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kGina =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";
const std::string kRas =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVRAS";
const std::string kPackageFolder = "D:\\Package\\SilentInstallPackage\\";
const std::string kTemp = "C:\\Temp\\";
const std::string kRepository = "C:\\Agent\\VeltraKeshAgentRepository\\";
const std::string kClearText = kTemp + "registryConfigFile.txt";
const std::string kScrambled = kTemp + "registryConfigFile.bin";

// The same operation scrambles and unscrambles, block by block.
std::string Scrambled(std::string text) {
    for (std::size_t at = 0; at < text.size(); at += silentpackage::kScramblingBlock) {
        auto* block = reinterpret_cast<std::uint8_t*>(text.data()) + at;
        const std::size_t count = std::min(silentpackage::kScramblingBlock, text.size() - at);
        silentpackage::Scramble(std::span(block, count), std::span(block, count));
    }
    return text;
}

class RegistryConfig : public SimFixture {
protected:
    RegistryConfig() {
        machine.session.sourcePaths["SourceDir"] = "D:\\Package\\";
        for (const std::string& folder : {kPackageFolder, kTemp, kRepository}) PutFolder(folder);
    }
    platform::Dword Record(bool localClient, bool remoteServer) {
        return silentpackage::RecordRegistryConfiguration(sim.platform(), localClient, remoteServer);
    }
    platform::Dword Apply(const std::string& group, const std::string& password) {
        return RunDeferred("ConfigFromRegistryFile",
                           kRepository + ";" + kClearText + ";" + kScrambled + ";" + group + ";" + password);
    }
    // The settings key's values in order: "name=text;", "name=#dword;" or "name=hex;".
    std::string GinaValues() const {
        std::string all;
        const auto key = machine.registry.FindKey(kGina);
        for (const sim::RegValue& v : key ? key->values() : std::vector<sim::RegValue>{}) {
            all += v.name + "=" + (v.type == platform::kRegDword ? "#" + std::to_string(*GetDword(kGina, v.name))
                                   : v.type == platform::kRegSz  ? *GetString(kGina, v.name)
                                                                 : silentpackage::EncodeHex(v.data)) + ";";
        }
        return all;
    }
};

TEST_F(RegistryConfig, PackageCreationDumpsTheChosenKeysScrambled) {
    SetString(kGina, "ChallengeGroup", "Tokara`Users");
    SetDword(kGina, "Enabled", 0xFFFFFFFF);
    SetBinary(kGina, "ReservePassword", {0x0A, 0xFF});
    SetDword(kGina, "", 7);
    SetString(kGina, "Banner", "%WINDIR%\\b.bmp", platform::kRegExpandSz);
    machine.registry.CreateKey(kGina)->SetValue("List", platform::kRegMultiSz, {'a', 0, 0});
    SetString(kGina, "Line", "one\ntwo");
    machine.registry.CreateKey(kGina)->SetValue("Cut", platform::kRegSz, {'a', 0, 'b', 0});  // ends at its zero byte
    SetDword(kGina, "Low", 0x80000000);
    machine.registry.CreateKey(kGina)->SetValue("Short", platform::kRegDword, {0x05});  // shorter than four bytes
    SetBinary(kGina, "Empty", {});
    SetBinary(kGina, std::string(1019, 'n'), std::vector<std::uint8_t>(1020, 0xAB));
    SetBinary(kGina, "TooLong", std::vector<std::uint8_t>(1021, 0xAB));  // ends this key's dump
    SetDword(kGina, "NotReached", 1);
    SetDword(kRas, "EapMode", 2);
    SetString(kRas, "", "unnamed", platform::kRegExpandSz);  // an unnamed string is left out
    SetDword(kRas, std::string(1020, 'n'), 1);  // so does a name that does not fit
    SetDword(kRas, "NotReached", 1);
    SetString(kRas + "\\15", "FriendlyName", "EAP");
    std::string hex;
    for (int i = 0; i < 1020; ++i) hex += "ab";
    const std::string gina =
        "LAC_ChallengeGroup=Tokara`Users` TYPE=REG_SZ\r\nLAC_Enabled=-1` TYPE=REG_DWORD\r\n"
        "LAC_ReservePassword=0aff` TYPE=REG_BINARY\r\nLAC_=7` TYPE=REG_DWORD\r\n"
        "LAC_Banner=%WINDIR%\\b.bmp` TYPE=REG_EXPAND_SZ\r\nUnsupportedDataType=?\r\n"
        "LAC_Line=one\r\ntwo` TYPE=REG_SZ\r\nLAC_Cut=a` TYPE=REG_SZ\r\nLAC_Low=-2147483648` TYPE=REG_DWORD\r\n"
        "LAC_Short=5` TYPE=REG_DWORD\r\nLAC_" + std::string(1019, 'n') + "=" + hex + "` TYPE=REG_BINARY\r\n";
    const std::string ras = "RAS_EapMode=2` TYPE=REG_DWORD\r\nRAS15_FriendlyName=EAP` TYPE=REG_SZ\r\n";

    const std::pair<bool, bool> choices[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& [localClient, remoteServer] : choices) {
        SCOPED_TRACE(std::to_string(localClient) + std::to_string(remoteServer));
        EXPECT_EQ(Record(localClient, remoteServer), 1603u);
        const std::string text = Scrambled(ReadFile(kPackageFolder + "registryConfigFile.bin"));
        EXPECT_EQ(text, (localClient ? gina : "") + (remoteServer ? ras : ""));
        EXPECT_FALSE(FileExists(kPackageFolder + "registryConfigFile.txt"));
    }
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
}

TEST_F(RegistryConfig, PackageCreationWithoutItsFilesIsMarkedFailed) {
    SetDword(kGina, "Enabled", 1);
    for (const std::string file : {"registryConfigFile.txt", "registryConfigFile.bin"}) {
        SCOPED_TRACE(file);
        machine.faults = {};
        machine.faults.Add(*sim::ParseFaultRule("fopen(w):" + kPackageFolder + file, nullptr));
        SetProperty("PACKAGE_CREATE_ERROR", "");

        EXPECT_EQ(Record(true, true), 1603u);

        EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "1");
        EXPECT_FALSE(FileExists(kPackageFolder + "registryConfigFile.txt"));
    }
}

TEST_F(RegistryConfig, ScramblingStartsEachBlockOfALongFileAgain) {
    const auto key = silentpackage::ScramblingKey();
    EXPECT_TRUE(std::all_of(key.begin(), key.end(), [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; }));
    PutFile(kTemp + "in.txt", std::string(513, '\0'));
    ASSERT_TRUE(silentpackage::ScrambleFile(sim.platform(), kTemp + "in.txt", kTemp + "out.bin"));
    // Zero bytes show the key itself: bytes 0 to 511, then byte 0 again.
    EXPECT_EQ(ReadFile(kTemp + "out.bin"), std::string(key.begin(), key.end()) + static_cast<char>(key[0]));
}

// The silent installation applies only the chosen pairs, and whatever of a bad
// file parses; it never fails and leaves neither file behind.
TEST_F(RegistryConfig, TheSilentInstallationAppliesOnlyTheChosenPairs) {
    const std::string everyLine = Scrambled(
        "LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ\r\nLAC_Enabled=-1` TYPE=REG_DWORD\r\n"
        "LAC_ReserveOption=1` TYPE=REG_SZ\r\nLAC_ReservePassword=0aff` TYPE=REG_BINARY\r\n"
        "LAC_PinAttempts=3` TYPE=REG_DWORD\r\nRAS_Enabled=1` TYPE=REG_DWORD\r\nUnsupportedDataType=?\r\n");
    // 1019 characters and the line feed fit the reader's line; one more does not.
    const std::string fits = "LAC_ChallengeGroup=" + std::string(987, 'g') + "` TYPE=REG_SZ\n";
    const std::string tooLong = "LAC_ChallengeGroup=" + std::string(988, 'g') + "` TYPE=REG_SZ\n";
    const struct {
        std::string label;
        std::optional<std::string> file;  // scrambled content; nullopt: absent
        std::string applied, group = "True", password = "True";
        bool marker = true, key = true;
    } cases[] = {
        {"password only", everyLine, "ReserveOption=1;ReservePassword=0aff;", "False"},
        {"group only", everyLine, "ChallengeGroup=Tokara Users;Enabled=#4294967295;", "True", "False"},
        {"case matters", everyLine, "", "true", "TRUE"},
        {"no local client", everyLine, "", "True", "True", false},
        {"no settings key", everyLine, "", "True", "True", true, false},
        {"absent", std::nullopt, ""},
        {"truncated in a line", Scrambled("LAC_Enabled=5` TYPE=REG_DWORD\r\nLAC_ChallengeGroup=Adm"), "Enabled=#5;"},
        {"truncated in the type word", Scrambled("LAC_Enabled=5` TYPE=REG_DWO"), ""},
        {"line of 1019 characters", Scrambled(fits), "ChallengeGroup=" + std::string(987, 'g') + ";"},
        {"line of 1020 characters", Scrambled(tooLong + "LAC_Enabled=2` TYPE=REG_DWORD\n"), "Enabled=#2;"},
        {"backtick in the group", Scrambled("LAC_ChallengeGroup=Tok`ara` TYPE=REG_SZ\r\n"), "ChallengeGroup=Tok;"},
        {"lines without a value, a type, a known type or a name",
         Scrambled("LAC_Enabled=`1` TYPE=REG_DWORD\nLAC_Enabled=1\nLAC_Enabled=1` TYPE\nLAC_Enabled=1` TYPE=REG_MULTI_SZ\n"
                   "=1` TYPE=REG_DWORD\nLACEnabled=1` TYPE=REG_DWORD\nLAC_=1` TYPE=REG_DWORD\n"
                   "UnsupportedDataType=?` TYPE=REG_SZ\n"),
         ""},
        {"hexadecimal pairs in either case", Scrambled("LAC_ReservePassword=0AfFzz10a` TYPE=REG_BINARY\n"),
         "ReservePassword=0aff0010;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        if (c.key) machine.registry.CreateKey(kGina);
        PutFile(kRepository + "LocalClientKEY.txt");
        if (!c.marker) sim.platform().files.DeleteFile((kRepository + "LocalClientKEY.txt").c_str());
        if (c.file) PutFile(kScrambled, *c.file);

        EXPECT_EQ(Apply(c.group, c.password), 0u);

        EXPECT_EQ(GinaValues(), c.applied);
        EXPECT_FALSE(FileExists(kClearText));
        EXPECT_FALSE(FileExists(kScrambled));
    }
}

TEST_F(RegistryConfig, TheCopyReplacesAReadOnlyCopyAndFailsOnlyWithoutData) {
    PutFile("D:\\Package\\registryConfigFile.bin", "package");
    PutFile(kScrambled, "old");
    machine.attributes[kScrambled] = platform::kFileAttributeReadOnly;
    for (const std::string source : {"D:\\Package\\registryConfigFile.bin", "C:\\TEMP\\REGISTRYCONFIGFILE.BIN",
                                     "E:\\Gone\\registryConfigFile.bin"}) {
        SCOPED_TRACE(source);
        EXPECT_EQ(RunDeferred("CopyConfigFromRegistryFile", source + ";" + kScrambled), 0u);
        EXPECT_EQ(ReadFile(kScrambled), "package");
    }
    EXPECT_EQ(RunDeferred("CopyConfigFromRegistryFile", ""), 1603u);
    EXPECT_EQ(RunDeferred("ConfigFromRegistryFile", ""), 1603u);
}

TEST_F(RegistryConfig, TheSetterPacksOnlyWhenThePackageCarriesSettings) {
    SetProperty("TempFolder", kTemp);
    SetProperty("INSTALLDIR", "C:\\Agent\\");
    SetProperty("REGISTRY_CONFIG_GROUP", "True");
    SetProperty("REGISTRY_CONFIG_PASSWD", "False");
    for (const std::string state : {"true", "True"}) {
        SetProperty("REGISTRY_CONFIG_STATE", state);
        EXPECT_EQ(Run("SetDeferredConfigFromRegFile"), 0u);
        EXPECT_EQ(Property("ConfigFromRegistryFile"),
                  state == "True" ? kRepository + ";" + kClearText + ";" + kScrambled + ";True;False" : "");
    }
}

TEST_F(RegistryConfig, ConfigStateTellsTheWizardWhatCanBePassedOn) {
    // ReserveOption and ChallengeGroup ("": not there) -> ReservedPasswordSet, LACProtectedGroup
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"", "", "00"}, {"1", "Tokara", "11"}, {"01", "", "00"},
        {"1", std::string(1020, 'g'), "10"},  // a group that does not fit counts as absent
        {"#1", "", "00"},                     // a DWORD 1 is not the text "1"
    };
    for (const auto& [option, group, expected] : cases) {
        machine.registry.DeleteKeyTree(kGina);
        if (option == "#1") SetDword(kGina, "ReserveOption", 1);
        if (!option.empty() && option != "#1") SetString(kGina, "ReserveOption", option);
        if (!group.empty()) SetString(kGina, "ChallengeGroup", group);
        SetProperty("ReservedPasswordSet", "1");
        SetProperty("LACProtectedGroup", "1");
        EXPECT_EQ(Run("GetConfigState"), 0u);
        EXPECT_EQ(Property("ReservedPasswordSet") + Property("LACProtectedGroup"), expected) << option;
    }
}

}  // namespace
}  // namespace veltra::testing
