// The install folders an earlier installation recorded, and the install
// options: the number check, the record that carries them into the script,
// and what ProcessInstallOptions does with each.
#include <map>

#include "support/test_package.h"
#include "platform/sim/engine/engine.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

using platform::Dword;
using ValueMap = std::map<std::string, std::optional<std::string>>;  // "text" or "#N" (DWORD); nullopt: absent

const std::string kAgentKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\";
const std::string kGinaKey = kAgentKey + "Settings\\KVGINA", kNetworkKey = kAgentKey + "Settings\\KVNETWORK";
const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kInstall = "C:\\Program Files\\Veltra\\", kAgentGina = kInstall + "KeshGina.dll";
const std::string kRepository = kInstall + "VeltraKeshAgentRepository\\", kBanner = kRepository + "gina_banner.bmp";
const std::string kLocal = "LocalClientKEY.txt", kDomain = "DomainClientKEY.txt";
const std::string kRollBack =
    "The installation changes will be rolled back now\nto prevent your system from becoming locked.";
const std::string kBannerFailed =
    "The installation failed to copy, into place,\nthe specified custom bitmap file.\n\n"
    "The installation changes will be rolled back now.";
const std::string kConflict = "The installation program has detected\n";
const std::string kUnexpected = "An unexpected error has been encountered\n";

class InstallOptions : public SimFixture {
protected:
    InstallOptions() {
        machine.environment["SystemRoot"] = "C:\\WINDOWS";
        for (const std::string& key : {kWinlogon, kGinaKey, kNetworkKey}) machine.registry.CreateKey(key);
        for (const std::string& file : {std::string("C:\\WINDOWS\\system32\\othergina.dll"), kAgentGina}) PutFile(file);
        PutFile("E:\\Art\\logo.bmp", "chosen banner");
        PutFolder(kRepository);
        SetString(kGinaKey, "CustomBitmap", "stale");
        SetString(kWinlogon, "GinaDLL", "othergina.dll");
    }

    // The partner packs the options; ProcessInstallOptions runs on what it packed.
    Dword Apply(const std::vector<std::string>& markers, const std::string& uiLevel, const ValueMap& overrides) {
        for (const std::string& marker : markers) PutFile(kRepository + marker);
        std::map<std::string, std::string> options = {
            {"AGENT_ACTIVATION_STATE", "True"},    {"WINDOWS_PASSWORD_STATE", "True"},
            {"IMPORT_CUSTOMBITMAP_STATE", "True"}, {"BITMAPFILE_SOURCE", "E:\\Art\\logo.bmp"},
            {"PIN_UNLOCK_ENABLED_STATE", "True"},  {"PIN_UNLOCK_TIMEOUT", "15abc"},
            {"PIN_UNLOCK_ATTEMPTS", "abc"},        {"SILENT_INSTALL_SET_GINA_ON", "False"},
            {"INSTALLDIR", kInstall},              {"UILevel", uiLevel}};
        for (const auto& [name, value] : overrides) options[name] = value.value_or("");
        for (const auto& [name, value] : options) SetProperty(name, value);
        EXPECT_EQ(Run("SetDeferredInstallOptions"), 0u);
        return RunDeferred("ProcessInstallOptions", Property("ProcessInstallOptions"));
    }

    std::optional<std::string> Shown(const std::string& key, const std::string& name) const {
        const auto value = GetValue(key, name);
        if (value && value->type == platform::kRegDword) return "#" + std::to_string(*GetDword(key, name));
        return GetString(key, name);
    }
    ValueMap Settings() const {
        ValueMap values;
        for (const char* name : {"DACEnabled", "AllowLocalAuth"}) values[name] = Shown(kNetworkKey, name);
        for (const char* name : {"EnablePinUnlock", "PinLifetime", "PinAttempts", "CustomBitmap"}) {
            values[name] = Shown(kGinaKey, name);
        }
        return values;
    }
};

TEST_F(InstallOptions, TheNumberFieldsTakeDigitsOnlyAndStopAtTheFirstBadOne) {
    const std::string tail = "\" text field contains non-numeric characters.\nSpecify an integer value.";
    const struct {
        std::string timeOut, attempts, ok, message;
    } cases[] = {
        {"", "", "1", ""},
        {"123456789012345x", "0123456789", "1", ""},  // read with room for 15 characters
        {"12", "x", "0", "The \"Attempts" + tail},
        {"-5", "x", "0", "The \"Time-out" + tail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeOut + "|" + c.attempts);
        machine.dialogs.clear();
        SetProperty("_TIME_OUT", c.timeOut);
        SetProperty("_ATTEMPTS", c.attempts);
        machine.messageBoxAnswers = {platform::kIdOk};

        EXPECT_EQ(Run("ValidateNumericTextFields"), 0u);

        EXPECT_EQ(Property("_TEXTFIELDS_OK"), c.ok);
        std::string shown;
        for (const sim::DialogRecord& d : machine.dialogs) shown += d.text + "|" + std::to_string(d.style) + "|" + d.owner;
        EXPECT_EQ(shown, c.message.empty() ? "" : c.message + "|" + std::to_string(0x00200000) + "|none");
    }
}

TEST_F(InstallOptions, TheRecordCarriesTheFolderTheLevelAndEveryOptionInOrder) {
    Apply({}, "5", {{"PIN_UNLOCK_TIMEOUT", "30"}, {"PIN_UNLOCK_ATTEMPTS", "4"}});
    EXPECT_EQ(Property("ProcessInstallOptions"),
              kInstall + ";5;AGENT_ACTIVATION_STATE;True;WINDOWS_PASSWORD_STATE;True;IMPORT_CUSTOMBITMAP_STATE;True;"
                         "BITMAPFILE_SOURCE;E:\\Art\\logo.bmp;PIN_UNLOCK_ENABLED_STATE;True;PIN_UNLOCK_TIMEOUT;30;"
                         "PIN_UNLOCK_ATTEMPTS;4;SILENT_INSTALL_SET_GINA_ON;False");
    EXPECT_EQ(RunDeferred("ProcessInstallOptions", ""), 0u);
}

struct OptionCase {
    std::string label;
    std::vector<std::string> markers;
    std::string uiLevel;
    ValueMap options;
    bool bannerBefore;
    ValueMap after;                            // those not named stay as they were
    std::optional<std::string> bannerAfter;  // nullopt: no banner in the repository
};

void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.label; }

class EachOption : public InstallOptions, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(EachOption, AppliesOnlyUnderItsCondition) {
    const OptionCase& c = GetParam();
    if (c.bannerBefore) PutFile(kBanner, "older banner");

    EXPECT_EQ(Apply(c.markers, c.uiLevel, c.options), 0u);

    ValueMap expected = {{"DACEnabled", {}},  {"AllowLocalAuth", {}}, {"EnablePinUnlock", {}},
                       {"PinLifetime", {}}, {"PinAttempts", {}},    {"CustomBitmap", "stale"}};
    for (const auto& [name, value] : c.after) expected[name] = value;
    EXPECT_EQ(Settings(), expected);
    EXPECT_EQ(FileExists(kBanner) ? std::optional(ReadFile(kBanner)) : std::nullopt, c.bannerAfter);
    EXPECT_TRUE(machine.dialogs.empty());
    EXPECT_EQ(GetString(kWinlogon, "GinaDLL"), "othergina.dll");
}

const ValueMap kSilentLocal = {{"EnablePinUnlock", "#1"}, {"PinLifetime", "#15"}, {"PinAttempts", "#0"},
                             {"CustomBitmap", kBanner}};

INSTANTIATE_TEST_SUITE_P(
    Cases, EachOption,
    ::testing::Values(
        OptionCase{"local_client_silent_gets_pin_values_and_banner_not_network_switches", {kLocal}, "2", {}, false,
                   kSilentLocal, "chosen banner"},
        OptionCase{"domain_client_with_dialogs_copies_nothing_but_names_the_banner_in_place", {kDomain}, "5",
                   {{"AGENT_ACTIVATION_STATE", "False"}}, true,
                   {{"DACEnabled", "#0"}, {"AllowLocalAuth", "#1"}, {"CustomBitmap", kBanner}}, "older banner"},
        OptionCase{"no_logon_client_changes_nothing", {}, "2", {}, true, {}, "older banner"},
        OptionCase{"anything_but_the_exact_True_is_off_and_removes_the_banner", {kLocal, kDomain}, "2",
                   {{"AGENT_ACTIVATION_STATE", "true"}, {"WINDOWS_PASSWORD_STATE", "False"},
                    {"IMPORT_CUSTOMBITMAP_STATE", "TRUE"}, {"PIN_UNLOCK_ENABLED_STATE", "1"},
                    {"PIN_UNLOCK_TIMEOUT", "-1"}, {"PIN_UNLOCK_ATTEMPTS", " 7"}},
                   true,
                   {{"DACEnabled", "#0"}, {"AllowLocalAuth", "#0"}, {"EnablePinUnlock", "#0"},
                    {"PinLifetime", "#4294967295"}, {"PinAttempts", "#7"}, {"CustomBitmap", {}}},
                   std::nullopt},
        OptionCase{"a_banner_switched_on_without_a_bitmap_keeps_the_one_in_place", {kLocal}, "2",
                   {{"BITMAPFILE_SOURCE", "0"}}, true, kSilentLocal, "older banner"},
        // The empty value vanishes: its name takes the next name as value, and
        // the pairs behind it are read crosswise until one is cut short.
        OptionCase{"an_empty_value_shifts_the_pairs_behind_it", {kLocal}, "2", {{"PIN_UNLOCK_ENABLED_STATE", {}}},
                   false, {{"EnablePinUnlock", "#0"}, {"CustomBitmap", kBanner}}, "chosen banner"}),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return info.param.label; });

struct SwitchCase {
    std::string label;
    std::vector<std::string> markers;
    std::string uiLevel;
    ValueMap options;
    std::vector<int> answers;
    std::string fault;
    Dword result;
    std::optional<std::string> ginaDll, superseded, dacEnabled;
    std::vector<std::string> messages;  // each compared on its own length
};

void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.label; }

class Switches : public InstallOptions, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(Switches, ChangeTheChainOrRollBack) {
    const SwitchCase& c = GetParam();
    for (const int answer : c.answers) Answer(answer);
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));

    EXPECT_EQ(Apply(c.markers, c.uiLevel, c.options), c.result);

    EXPECT_EQ(GetString(kWinlogon, "GinaDLL"), c.ginaDll);
    EXPECT_EQ(GetString(kWinlogon, "KVSupercededGina"), c.superseded);
    EXPECT_EQ(Shown(kNetworkKey, "DACEnabled"), c.dacEnabled);
    std::vector<std::string> openings;
    for (std::size_t i = 0; i < machine.dialogs.size(); ++i) {
        openings.push_back(machine.dialogs[i].text.substr(0, i < c.messages.size() ? c.messages[i].size() : 40));
    }
    EXPECT_EQ(openings, c.messages);
    if (c.result != 0) {
        EXPECT_EQ(machine.dialogs.back().style, 0x00200010u);
    }
    EXPECT_FALSE(machine.unansweredDialog);
}

const ValueMap kGinaOn = {{"SILENT_INSTALL_SET_GINA_ON", "True"}, {"AGENT_ACTIVATION_STATE", "False"}};
const std::vector<int> kOkOk = {platform::kIdOk, platform::kIdOk};

INSTANTIATE_TEST_SUITE_P(
    Cases, Switches,
    ::testing::Values(
        SwitchCase{"silent_displaces_another_gina_without_asking", {kLocal}, "2", kGinaOn, {}, "", 0, kAgentGina,
                   "othergina.dll", {}, {}},
        SwitchCase{"with_dialogs_the_administrator_lets_it_displace", {kLocal}, "5", kGinaOn, {platform::kIdOk}, "",
                   0, kAgentGina, "othergina.dll", {}, {kConflict}},
        SwitchCase{"with_dialogs_a_refusal_rolls_back", {kLocal}, "5", kGinaOn, {platform::kIdCancel, platform::kIdOk},
                   "", 1603, "othergina.dll", {}, {}, {kConflict, kRollBack}},
        SwitchCase{"a_chain_that_cannot_be_written_rolls_back_after_its_own_message", {kDomain}, "2", kGinaOn, kOkOk,
                   "RegSetValueExA:" + kWinlogon + "\\GinaDLL=5", 1603, "othergina.dll", "othergina.dll", "#0",
                   {kUnexpected, kRollBack}},
        SwitchCase{"the_domain_client_stays_off_while_its_gina_cannot_be_chained", {kDomain}, "5", {}, {}, "", 0,
                   "othergina.dll", {}, {}, {}},
        SwitchCase{"a_failed_banner_copy_rolls_back_after_its_own_message", {kLocal}, "2",
                   {{"BITMAPFILE_SOURCE", "E:\\Gone\\logo.bmp"}}, kOkOk, "", 1603, "othergina.dll", {}, {},
                   {kBannerFailed, kRollBack}}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return info.param.label; });

// Along the test package's roads: its defaults keep the record's pairs in
// place, and a repair finds the agent where it was installed.
struct RoadCase {
    int uiLevel;
    bool installed;
    std::optional<Dword> pinLifetime, pinAttempts;
    std::string installDir;
};

class Roads : public SimFixture, public ::testing::WithParamInterface<RoadCase> {};

TEST_P(Roads, CarryTheOptionsIntoTheScript) {
    const RoadCase& road = GetParam();
    const sim::engine::Package& package = TestPackage();
    machine.environment = {{"windir", "C:\\WINDOWS"}, {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
    for (const std::string file : {"D:\\Package\\kvconf.rec", "D:\\Package\\kvroot.crt"}) PutFile(file);
    PutFolder("C:\\Temp\\");
    SetProperty("SourceDir", "D:\\Package\\");
    for (const std::string& key : {kWinlogon, kGinaKey}) machine.registry.CreateKey(key);
    sim::engine::EngineOptions options;
    options.uiLevel = road.uiLevel;
    options.commandLine = {{"ADDLOCAL", "LocalAuthClient"}, {"PIN_UNLOCK_ENABLED_STATE", "True"},
                           {"PIN_UNLOCK_TIMEOUT", "15abc"}};
    // A silent installation takes the wizard's choices from the package's options file.
    if (road.uiLevel == 2) {
        PutFile("D:\\Package\\packageOptionsFile.txt",
                "InstallSilentLAC=1\r\nPIN_UNLOCK_ENABLED_STATE=True\r\nPIN_UNLOCK_TIMEOUT=15abc\r\n");
    }
    if (road.installed) {
        const std::string product = "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}";
        SetString(kAgentKey + "Common", "InstallPath", "D:\\Agent\\");
        machine.session.products[product]["InstallLocation"] = "D:\\Agent\\";
        PutFolder("D:\\Agent\\VeltraKeshAgentRepository");  // the installed agent's, which a maintenance run needs
        machine.session.featureStates[product]["LocalAuthClient"] = platform::kInstallStateLocal;
        options.commandLine = {{"REINSTALL", "ALL"}};
    }

    const sim::engine::InstallOutcome outcome = sim::engine::RunInstallation(package, machine, options);

    EXPECT_EQ(outcome.result, 0u) << outcome.error;
    EXPECT_EQ(GetDword(kGinaKey, "PinLifetime"), road.pinLifetime);
    EXPECT_EQ(GetDword(kGinaKey, "PinAttempts"), road.pinAttempts);
    EXPECT_EQ(outcome.properties.at("INSTALLDIR"), road.installDir);
    EXPECT_TRUE(machine.dialogs.empty());
}

const std::string kDefaultDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
INSTANTIATE_TEST_SUITE_P(Package, Roads,
                         ::testing::Values(RoadCase{2, false, 15, 3, kDefaultDir}, RoadCase{5, false, {}, {}, kDefaultDir},
                                           RoadCase{5, true, {}, {}, "D:\\Agent\\"}));


const std::string kCommon = kAgentKey + "Common", kLocalService = kAgentKey + "Local\\OASVC", kDomainService = kAgentKey + "Domain\\OASVC",
                  kHostService = kAgentKey + "DomainHost\\OASVC";
const std::string kAppData = "C:\\All Users\\Application Data\\", kChosen = "C:\\Chosen\\", kEarlier = "D:\\Agent\\";
const std::string kSysvol = "C:\\WINDOWS\\SYSVOL\\sysvol\\corp.example\\";

struct FolderCase {
    std::string label;
    bool installed;
    std::map<std::string, std::optional<std::string>> keys;  // key -> its folder value; nullopt: the key alone
    std::optional<std::string> dnsDomain;
    std::string installDir, localRoot, globalRoot;
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.label; }

class InstallFolders : public SimFixture, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(InstallFolders, FollowTheEarlierInstallationOrTheDefaults) {
    const FolderCase& c = GetParam();
    for (const auto& [key, value] : c.keys) {
        machine.registry.CreateKey(key);
        if (value) SetString(key, key == kCommon ? "InstallPath" : "DayfileDirRoot", *value);
    }
    if (c.dnsDomain) machine.environment["USERDNSDOMAIN"] = *c.dnsDomain;
    if (c.installed) SetProperty("Installed", "1");
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"INSTALLDIR", kChosen}, {"SystemFolder", "C:\\WINDOWS\\system32\\"},
             {"WindowsFolder", "C:\\WINDOWS\\"}, {"CommonAppDataFolder", kAppData}}) {
        SetProperty(name, value);
    }

    EXPECT_EQ(Run("SetupINSTALLDIR"), 0u);
    EXPECT_EQ(Run("SetupDAYFILE_INSTALLDIRS"), 0u);

    EXPECT_EQ(Property("INSTALLDIR"), c.installDir);
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(Property("DAYFILE_LOCAL_ROOT"), c.localRoot);
    EXPECT_EQ(Property("DAYFILE_GLOBAL_ROOT"), c.globalRoot);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallFolders,
    ::testing::Values(
        FolderCase{"first_installation_keeps_the_chosen_folder", false,
                   {{kCommon, kEarlier}, {kLocalService, "E:\\Days\\"}, {kHostService, "F:\\Global\\"}}, "corp.example", kChosen,
                   "E:\\Days\\", "F:\\Global\\"},
        FolderCase{"maintenance_takes_the_recorded_folder", true, {{kCommon, kEarlier}}, "corp.example", kEarlier,
                   kAppData, kSysvol},
        FolderCase{"maintenance_without_the_value_keeps_the_folder", true, {{kCommon, {}}}, "corp.example", kChosen,
                   kAppData, kSysvol},
        FolderCase{"only_the_domain_key", false, {{kDomainService, "E:\\Domain\\"}}, "corp.example", kChosen, "E:\\Domain\\",
                   kSysvol},
        FolderCase{"local_key_without_the_value_hides_the_domain_key", false,
                   {{kLocalService, {}}, {kDomainService, "E:\\Domain\\"}}, "corp.example", kChosen, kAppData, kSysvol},
        FolderCase{"domain_host_without_the_value", false, {{kHostService, {}}}, "corp.example", kChosen, kAppData, kSysvol},
        FolderCase{"no_dns_domain", false, {}, std::nullopt, kChosen, kAppData, "C:\\WINDOWS\\SYSVOL\\sysvol\\\\"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.label; });

}  // namespace
}  // namespace veltra::testing
