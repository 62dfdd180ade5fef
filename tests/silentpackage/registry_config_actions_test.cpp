// The registry configuration file on simulated machines: what package
// creation writes, what the silent installation applies, and the small
// actions around them.
#include "platform/sim/faults.h"
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
    std::vector<std::string> GinaValueNames() const {
        std::vector<std::string> names;
        if (const auto key = machine.registry.FindKey(kGina)) {
            for (const sim::RegValue& value : key->values()) names.push_back(value.name);
        }
        return names;
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
    SetBinary(kGina, std::string(1019, 'n'), std::vector<std::uint8_t>(1020, 0xAB));
    SetBinary(kGina, "TooLong", std::vector<std::uint8_t>(1021, 0xAB));  // ends this key's dump
    SetDword(kGina, "NotReached", 1);
    SetDword(kRas, "EapMode", 2);
    SetDword(kRas, std::string(1020, 'n'), 1);  // so does a name that does not fit
    SetDword(kRas, "NotReached", 1);
    SetString(kRas + "\\15", "FriendlyName", "EAP");
    std::string hex;
    for (int i = 0; i < 1020; ++i) hex += "ab";
    const std::string gina =
        "LAC_ChallengeGroup=Tokara`Users` TYPE=REG_SZ\r\nLAC_Enabled=-1` TYPE=REG_DWORD\r\n"
        "LAC_ReservePassword=0aff` TYPE=REG_BINARY\r\nLAC_=7` TYPE=REG_DWORD\r\n"
        "LAC_Banner=%WINDIR%\\b.bmp` TYPE=REG_EXPAND_SZ\r\nUnsupportedDataType=?\r\n"
        "LAC_Line=one\r\ntwo` TYPE=REG_SZ\r\nLAC_" + std::string(1019, 'n') + "=" + hex + "` TYPE=REG_BINARY\r\n";
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

// Every line the reader could apply, and lines it must leave.
const std::string kEveryLine =
    "LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ\r\nLAC_Enabled=-1` TYPE=REG_DWORD\r\n"
    "LAC_ReserveOption=1` TYPE=REG_SZ\r\nLAC_ReservePassword=0aff` TYPE=REG_BINARY\r\n"
    "LAC_PinAttempts=3` TYPE=REG_DWORD\r\nRAS_Enabled=1` TYPE=REG_DWORD\r\nUnsupportedDataType=?\r\n";

// The values themselves arrive as the road from machine to machine shows.
TEST_F(RegistryConfig, TheSilentInstallationAppliesOnlyTheChosenPairs) {
    struct Case {
        std::string label, group, password;
        bool marker, key;
        std::vector<std::string> applied;
    };
    const Case cases[] = {
        {"password only", "False", "True", true, true, {"ReserveOption", "ReservePassword"}},
        {"group only", "True", "False", true, true, {"ChallengeGroup", "Enabled"}},
        {"case matters", "true", "TRUE", true, true, {}},
        {"no local client", "True", "True", false, true, {}},
        {"no settings key", "True", "True", true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        if (c.key) machine.registry.CreateKey(kGina);
        PutFile(kRepository + "LocalClientKEY.txt");
        if (!c.marker) sim.platform().files.DeleteFile((kRepository + "LocalClientKEY.txt").c_str());
        PutFile(kScrambled, Scrambled(kEveryLine));

        EXPECT_EQ(Apply(c.group, c.password), 0u);

        EXPECT_EQ(GinaValueNames(), c.applied);
        EXPECT_FALSE(FileExists(kClearText));
        EXPECT_FALSE(FileExists(kScrambled));
    }
}

TEST_F(RegistryConfig, BadFilesApplyWhatParsesAndNeverFail) {
    // 1019 characters and the line feed fit the reader's line; one more does not.
    const std::string fits = "LAC_ChallengeGroup=" + std::string(987, 'g') + "` TYPE=REG_SZ\n";
    const std::string tooLong = "LAC_ChallengeGroup=" + std::string(988, 'g') + "` TYPE=REG_SZ\n";
    struct Case {
        std::string label;
        std::optional<std::string> file;  // scrambled content; nullopt: absent
        std::optional<std::string> group;
        std::optional<platform::Dword> enabled;
    };
    const Case cases[] = {
        {"absent", std::nullopt, std::nullopt, std::nullopt},
        {"truncated in a line", Scrambled("LAC_Enabled=5` TYPE=REG_DWORD\r\nLAC_ChallengeGroup=Adm"), std::nullopt, 5},
        {"truncated in the type word", Scrambled("LAC_Enabled=5` TYPE=REG_DWO"), std::nullopt, std::nullopt},
        {"line of 1019 characters", Scrambled(fits), std::string(987, 'g'), std::nullopt},
        {"line of 1020 characters", Scrambled(tooLong + "LAC_Enabled=2` TYPE=REG_DWORD\n"), std::nullopt, 2},
        {"backtick in the group", Scrambled("LAC_ChallengeGroup=Tok`ara` TYPE=REG_SZ\r\n"), "Tok", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        machine.registry.CreateKey(kGina);
        PutFile(kRepository + "LocalClientKEY.txt");
        if (c.file) PutFile(kScrambled, *c.file);

        EXPECT_EQ(Apply("True", "True"), 0u);

        EXPECT_EQ(GetString(kGina, "ChallengeGroup"), c.group);
        EXPECT_EQ(GetDword(kGina, "Enabled"), c.enabled);
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
    for (const std::string state : {"true", "", "True"}) {
        SetProperty("REGISTRY_CONFIG_STATE", state);
        EXPECT_EQ(Run("SetDeferredConfigFromRegFile"), 0u);
        EXPECT_EQ(Property("ConfigFromRegistryFile"),
                  state == "True" ? kRepository + ";" + kClearText + ";" + kScrambled + ";True;False" : "");
    }
}

TEST_F(RegistryConfig, ConfigStateTellsTheWizardWhatCanBePassedOn) {
    // ReserveOption, ChallengeGroup (none: no key) -> ReservedPasswordSet, LACProtectedGroup
    const std::pair<std::optional<std::pair<std::string, std::string>>, std::string> cases[] = {
        {std::nullopt, "00"}, {std::pair{"1", "Tokara"}, "11"}, {std::pair{"01", ""}, "00"},
        {std::pair{"1", std::string(1020, 'g')}, "10"},  // a group that does not fit counts as absent
    };
    for (const auto& [values, expected] : cases) {
        machine.registry.DeleteKeyTree(kGina);
        if (values) SetString(kGina, "ReserveOption", values->first);
        if (values) SetString(kGina, "ChallengeGroup", values->second);
        SetProperty("ReservedPasswordSet", "1");
        SetProperty("LACProtectedGroup", "1");
        EXPECT_EQ(Run("GetConfigState"), 0u);
        EXPECT_EQ(Property("ReservedPasswordSet") + Property("LACProtectedGroup"), expected);
    }
    SetDword(kGina, "ReserveOption", 1);  // a DWORD 1 is not the text "1"
    EXPECT_EQ(Run("GetConfigState"), 0u);
    EXPECT_EQ(Property("ReservedPasswordSet"), "0");
}

}  // namespace
}  // namespace veltra::testing
