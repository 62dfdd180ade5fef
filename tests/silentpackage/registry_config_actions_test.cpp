// The registry configuration file on simulated machines: what package
// creation writes, what the silent installation applies, and the small
// actions around them.
#include <string>
#include <vector>

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
const std::string kSource = "D:\\Package\\";
const std::string kPackageFolder = kSource + "SilentInstallPackage\\";
const std::string kTemp = "C:\\Temp\\";
const std::string kRepository = "C:\\Program Files\\Veltra\\VeltraKeshAgentRepository\\";
const std::string kClearText = kTemp + "registryConfigFile.txt";
const std::string kScrambled = kTemp + "registryConfigFile.bin";

std::string Scrambled(const std::string& text) {
    std::string out = text;
    for (std::size_t at = 0; at < text.size(); at += silentpackage::kScramblingBlock) {
        const std::size_t count = std::min(silentpackage::kScramblingBlock, text.size() - at);
        silentpackage::Scramble(std::span(reinterpret_cast<const std::uint8_t*>(text.data()) + at, count),
                                std::span(reinterpret_cast<std::uint8_t*>(out.data()) + at, count));
    }
    return out;
}

class RegistryConfig : public SimFixture {
protected:
    RegistryConfig() {
        machine.session.sourcePaths["SourceDir"] = kSource;
        for (const std::string& folder : {kPackageFolder, kTemp, kRepository}) PutFolder(folder);
    }

    platform::Dword Record(bool localClient, bool remoteServer) {
        return silentpackage::RecordRegistryConfiguration(sim.platform(), localClient, remoteServer);
    }
    std::string RecordedText() { return Scrambled(ReadFile(kPackageFolder + "registryConfigFile.bin")); }

    platform::Dword Apply(const std::string& group, const std::string& password) {
        return RunDeferred("ConfigFromRegistryFile",
                           kRepository + ";" + kClearText + ";" + kScrambled + ";" + group + ";" + password);
    }
};

TEST_F(RegistryConfig, PackageCreationDumpsTheChosenKeysScrambled) {
    SetString(kGina, "ChallengeGroup", "Tokara`Users");
    SetDword(kGina, "Enabled", 0xFFFFFFFF);
    SetBinary(kGina, "ReservePassword", {0x0A, 0xFF});
    SetString(kGina, "", "unnamed string");
    SetDword(kGina, "", 7);
    SetString(kGina, "Banner", "%WINDIR%\\b.bmp", platform::kRegExpandSz);
    SetBinary(kGina, "Nothing", {});
    machine.registry.CreateKey(kGina)->SetValue("List", platform::kRegMultiSz, {'a', 0, 0});
    SetString(kGina, "Line", "one\ntwo");
    SetDword(kRas, "EapMode", 2);
    SetString(kRas + "\\15", "FriendlyName", "EAP");
    const std::string gina =
        "LAC_ChallengeGroup=Tokara`Users` TYPE=REG_SZ\r\nLAC_Enabled=-1` TYPE=REG_DWORD\r\n"
        "LAC_ReservePassword=0aff` TYPE=REG_BINARY\r\nLAC_=7` TYPE=REG_DWORD\r\n"
        "LAC_Banner=%WINDIR%\\b.bmp` TYPE=REG_EXPAND_SZ\r\nUnsupportedDataType=?\r\n"
        "LAC_Line=one\r\ntwo` TYPE=REG_SZ\r\n";
    const std::string ras = "RAS_EapMode=2` TYPE=REG_DWORD\r\nRAS15_FriendlyName=EAP` TYPE=REG_SZ\r\n";

    const std::pair<bool, bool> choices[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& [localClient, remoteServer] : choices) {
        SCOPED_TRACE(std::to_string(localClient) + std::to_string(remoteServer));
        EXPECT_EQ(Record(localClient, remoteServer), 1603u);
        EXPECT_EQ(RecordedText(), (localClient ? gina : "") + (remoteServer ? ras : ""));
        EXPECT_FALSE(FileExists(kPackageFolder + "registryConfigFile.txt"));
    }
    EXPECT_EQ(ReadFile(kPackageFolder + "registryConfigFile.bin").find("TYPE="), std::string::npos);
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
}

TEST_F(RegistryConfig, AValueThatDoesNotFitEndsItsKey) {
    struct Case {
        std::string label;
        std::string name;
        std::size_t dataSize;
        bool fits;
    };
    const Case cases[] = {
        {"name of 1019", std::string(1019, 'n'), 4, true},
        {"name of 1020", std::string(1020, 'n'), 4, false},
        {"data of 1020", "Data", 1020, true},
        {"data of 1021", "Data", 1021, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        SetDword(kGina, "Enabled", 1);
        SetBinary(kGina, c.name, std::vector<std::uint8_t>(c.dataSize, 0xAB));
        SetDword(kGina, "PinAttempts", 3);
        SetDword(kRas, "EapMode", 2);

        EXPECT_EQ(Record(true, true), 1603u);

        const std::string text = RecordedText();
        EXPECT_TRUE(text.starts_with("LAC_Enabled=1` TYPE=REG_DWORD\r\n"));
        EXPECT_EQ(text.find("LAC_PinAttempts=3") != std::string::npos, c.fits);
        EXPECT_EQ(text.find("LAC_" + c.name + "=") != std::string::npos, c.fits);
        EXPECT_TRUE(text.ends_with("RAS_EapMode=2` TYPE=REG_DWORD\r\n"));
    }
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

TEST_F(RegistryConfig, ScramblingALongFileStartsEachBlockAgain) {
    const std::string text(513, 'x');
    PutFile(kTemp + "in.txt", text);
    ASSERT_TRUE(silentpackage::ScrambleFile(sim.platform(), kTemp + "in.txt", kTemp + "out.bin"));
    const std::string out = ReadFile(kTemp + "out.bin");
    ASSERT_EQ(out.size(), 513u);
    EXPECT_EQ(out.substr(0, 512), Scrambled(text.substr(0, 512)));
    EXPECT_EQ(static_cast<std::uint8_t>(out[512]), 'x' ^ silentpackage::ScramblingKey()[0]);
}

// Every line the reader could apply, plus lines it must leave.
const std::string kEveryLine =
    "LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ\r\n"
    "LAC_Enabled=-1` TYPE=REG_DWORD\r\n"
    "LAC_ReserveOption=1` TYPE=REG_SZ\r\n"
    "LAC_ReservePassword=0aff` TYPE=REG_BINARY\r\n"
    "LAC_PinAttempts=3` TYPE=REG_DWORD\r\n"
    "RAS_Enabled=1` TYPE=REG_DWORD\r\n"
    "UnsupportedDataType=?\r\n";

TEST_F(RegistryConfig, TheSilentInstallationAppliesOnlyTheChosenPairs) {
    struct Case {
        std::string label;
        std::string group, password;
        bool marker, key;
        std::vector<std::string> applied;
    };
    const Case cases[] = {
        {"group only", "True", "False", true, true, {"ChallengeGroup", "Enabled"}},
        {"password only", "False", "True", true, true, {"ReserveOption", "ReservePassword"}},
        {"case matters", "true", "TRUE", true, true, {}},
        {"no local client", "True", "True", false, true, {}},
        {"no settings key", "True", "True", true, false, {}},
        {"both", "True", "True", true, true, {"ChallengeGroup", "Enabled", "ReserveOption", "ReservePassword"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        if (c.key) machine.registry.CreateKey(kGina);
        PutFile(kRepository + "LocalClientKEY.txt");
        if (!c.marker) sim.platform().files.DeleteFile((kRepository + "LocalClientKEY.txt").c_str());
        PutFile(kScrambled, Scrambled(kEveryLine));

        EXPECT_EQ(Apply(c.group, c.password), 0u);

        std::vector<std::string> applied;
        if (const auto key = machine.registry.FindKey(kGina)) {
            for (const sim::RegValue& value : key->values()) applied.push_back(value.name);
        }
        EXPECT_EQ(applied, c.applied);
        EXPECT_FALSE(FileExists(kClearText));
        EXPECT_FALSE(FileExists(kScrambled));
    }
    EXPECT_EQ(GetString(kGina, "ChallengeGroup"), "Tokara Users");
    EXPECT_EQ(GetDword(kGina, "Enabled"), 0xFFFFFFFFu);
    EXPECT_EQ(GetValue(kGina, "ReserveOption")->data, (std::vector<std::uint8_t>{'1', 0}));
    EXPECT_EQ(GetValue(kGina, "ReservePassword")->data, (std::vector<std::uint8_t>{0x0A, 0xFF}));
    EXPECT_EQ(GetValue(kGina, "ReservePassword")->type, platform::kRegBinary);
}

TEST_F(RegistryConfig, BadFilesApplyWhatParsesAndNeverFail) {
    const std::string group = "LAC_ChallengeGroup=" + std::string(1019 - 32, 'g') + "` TYPE=REG_SZ\n";
    ASSERT_EQ(group.size(), 1020u);  // 1019 characters and the line feed
    const std::string tooLong = "LAC_ChallengeGroup=" + std::string(1020 - 32, 'g') + "` TYPE=REG_SZ\n";
    struct Case {
        std::string label;
        std::optional<std::string> file;  // scrambled content; nullopt: absent
        std::optional<std::string> challengeGroup;
        std::optional<platform::Dword> enabled;
    };
    const Case cases[] = {
        {"absent", std::nullopt, std::nullopt, std::nullopt},
        {"empty", "", std::nullopt, std::nullopt},
        {"truncated in a line", Scrambled("LAC_Enabled=5` TYPE=REG_DWORD\r\nLAC_ChallengeGroup=Adm"),
         std::nullopt, 5},
        {"truncated in the type word", Scrambled("LAC_Enabled=5` TYPE=REG_DWO"), std::nullopt, std::nullopt},
        {"line of 1019 characters", Scrambled(group), std::string(987, 'g'), std::nullopt},
        {"line of 1020 characters", Scrambled(tooLong + "LAC_Enabled=2` TYPE=REG_DWORD\n"), std::nullopt, 2},
        {"backtick in the group", Scrambled("LAC_ChallengeGroup=Tok`ara` TYPE=REG_SZ\r\n"), "Tok", std::nullopt},
        {"another key's scrambling", "\x01\x02garbage\r\n\x1a", std::nullopt, std::nullopt},
        {"lone carriage return", Scrambled("LAC_Enabled=7\r` TYPE=REG_DWORD\r\n"), std::nullopt, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        machine.registry.CreateKey(kGina);
        PutFile(kRepository + "LocalClientKEY.txt");
        sim.platform().files.DeleteFile((kScrambled).c_str());
        if (c.file) PutFile(kScrambled, *c.file);

        EXPECT_EQ(Apply("True", "True"), 0u);

        EXPECT_EQ(GetString(kGina, "ChallengeGroup"), c.challengeGroup);
        EXPECT_EQ(GetDword(kGina, "Enabled"), c.enabled);
        EXPECT_FALSE(FileExists(kClearText));
        EXPECT_FALSE(FileExists(kScrambled));
    }
}

TEST_F(RegistryConfig, DeferredActionsFailOnlyWithoutData) {
    for (const char* action : {"ConfigFromRegistryFile", "CopyConfigFromRegistryFile"}) {
        SCOPED_TRACE(action);
        EXPECT_EQ(RunDeferred(action, ""), 1603u);
    }
}

TEST_F(RegistryConfig, TheCopyReplacesAReadOnlyCopyAndSkipsItself) {
    PutFile(kSource + "registryConfigFile.bin", "package");
    PutFile(kScrambled, "old");
    machine.attributes[kScrambled] = platform::kFileAttributeReadOnly;
    const std::pair<std::string, std::string> cases[] = {
        {kSource + "registryConfigFile.bin;" + kScrambled, "package"},
        {"C:\\TEMP\\REGISTRYCONFIGFILE.BIN;" + kScrambled, "package"},
        {"E:\\Gone\\registryConfigFile.bin;" + kScrambled, "package"},
    };
    for (const auto& [data, after] : cases) {
        SCOPED_TRACE(data);
        EXPECT_EQ(RunDeferred("CopyConfigFromRegistryFile", data), 0u);
        EXPECT_EQ(ReadFile(kScrambled), after);
    }
}

TEST_F(RegistryConfig, TheSetterPacksOnlyWhenThePackageCarriesSettings) {
    SetProperty("TempFolder", kTemp);
    SetProperty("INSTALLDIR", "C:\\Program Files\\Veltra\\");
    SetProperty("REGISTRY_CONFIG_GROUP", "True");
    SetProperty("REGISTRY_CONFIG_PASSWD", "False");
    for (const std::string state : {"true", "", "True"}) {
        SCOPED_TRACE(state);
        SetProperty("REGISTRY_CONFIG_STATE", state);
        EXPECT_EQ(Run("SetDeferredConfigFromRegFile"), 0u);
    }
    EXPECT_EQ(Property("ConfigFromRegistryFile"),
              kRepository + ";" + kClearText + ";" + kScrambled + ";True;False");
}

TEST_F(RegistryConfig, ConfigStateTellsTheWizardWhatCanBePassedOn) {
    struct Case {
        std::string label;
        std::vector<std::pair<std::string, std::string>> strings;
        bool key;
        std::string passwordSet, protectedGroup;
    };
    const Case cases[] = {
        {"no key", {}, false, "0", "0"},
        {"empty key", {}, true, "0", "0"},
        {"both", {{"ReserveOption", "1"}, {"ChallengeGroup", "Tokara"}}, true, "1", "1"},
        {"option not 1", {{"ReserveOption", "01"}, {"ChallengeGroup", ""}}, true, "0", "0"},
        {"too long", {{"ReserveOption", "1"}, {"ChallengeGroup", std::string(1020, 'g')}}, true, "1", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.registry.DeleteKeyTree(kGina);
        if (c.key) machine.registry.CreateKey(kGina);
        for (const auto& [name, value] : c.strings) SetString(kGina, name, value);
        SetProperty("ReservedPasswordSet", "1");
        SetProperty("LACProtectedGroup", "1");

        EXPECT_EQ(Run("GetConfigState"), 0u);

        EXPECT_EQ(Property("ReservedPasswordSet"), c.passwordSet);
        EXPECT_EQ(Property("LACProtectedGroup"), c.protectedGroup);
    }
    SetDword(kGina, "ReserveOption", 1);  // a DWORD 1 is not the text "1"
    EXPECT_EQ(Run("GetConfigState"), 0u);
    EXPECT_EQ(Property("ReservedPasswordSet"), "0");
}

}  // namespace
}  // namespace veltra::testing
