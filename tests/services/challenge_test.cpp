// The wizard's challenge configuration (the choice, its data, the settings per
// component, the exclude group and every way its set-up fails) and product
// registration (the address composed, the one page opened).
#include <algorithm>

#include "platform/sim/faults.h"
#include "platform/sim/sim_services.h"
#include "support/sim_fixture.h"
#include "services/challenge.h"
#include "upgrade/upgrade_state.h"

namespace veltra::testing {
namespace {

const std::string kRepository = "C:\\Agent\\VeltraKeshAgentRepository\\";
const std::string kData = "2;WS01;" + kRepository;
const std::string kSettings = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\";
const std::string kGina = kSettings + "KVGINA", kNetwork = kSettings + "KVNETWORK";
const std::string kAdministrator = "S-1-5-21-1004399068-1177246595-681986434-500";
const std::string kConfirmation =
    "Selecting the \"Challenge All Users\" option can result\nin all users being locked out.  Make sure that at "
    "least\none administrator can authenticate with Veltra Tokara.\n\nAre you sure you want to set this option?";

class Challenge : public SimFixture {
protected:
    Challenge() {
        for (const std::string& key : {kGina, kNetwork}) SetDword(key, "Enabled", 1);
    }
    // Enabled, ChallengeGroup, ReserveOption, UseKeshProxy of a key.
    std::string Settings(const std::string& key) const {
        auto text = [&](const char* name) { return GetString(key, name).value_or("-"); };
        const auto enabled = GetDword(key, "Enabled");
        return (enabled ? std::to_string(*enabled) : "-") + "|" + text("ChallengeGroup") + "|" + text("ReserveOption") +
               "|" + text("UseKeshProxy");
    }
    std::string Group() const {
        const auto it = machine.groups.find("ExcludeGroup");
        if (it == machine.groups.end()) return "(none)";
        std::string text = it->second.comment;
        for (const auto& member : it->second.members) text += "|" + sim::SidToString(member);
        return text;
    }
};

TEST_F(Challenge, ConfirmationRecordsTheModeAndAsksOnlyForChallengeAll) {
    struct Case {
        std::optional<std::string> option, packageCreate;
        int answer;  // 0: no question
        std::string mode, proceed;
    };
    const Case cases[] = {
        {"1", {}, platform::kIdYes, "2", "1"},
        {"1", {}, platform::kIdNo, "2", "0"},
        {"1", "1", 0, "2", "1"},
        {"0", {}, 0, "1", "1"},
        {{}, {}, 0, "1", "1"},
        {"123456789", {}, 0, "1", "1"},   // fills the buffer
        {"1234567890", {}, 0, "1", "1"},  // does not fit: unread
    };
    for (const Case& c : cases) {
        machine.dialogs.clear();
        SetProperty("_ISTokaraAuthChallenge", c.option.value_or(""));
        SetProperty("PACKAGE_CREATE", c.packageCreate.value_or(""));
        if (c.answer != 0) Answer(c.answer);
        EXPECT_EQ(Run("ConfirmTokaraChallenge"), 0u);
        const std::string label = c.option.value_or("(absent)") + " / " + c.packageCreate.value_or("");
        EXPECT_EQ(Property("AUTHCONFIGSELECTED"), c.mode) << label;
        EXPECT_EQ(Property("AUTH_CONFIG_CONTINUE"), c.proceed) << label;
        EXPECT_EQ(Property("AUTH_CONFIG_DIALOG"), "1") << label;
        EXPECT_EQ(Dialogs(), c.answer != 0 ? "65844:" + kConfirmation + "|" : "") << label;
    }
}

TEST_F(Challenge, DeferredDataNamesModeComputerAndRepository) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"2", "C:\\Agent\\", "2;WS01;C:\\Agent\\VeltraKeshAgentRepository\\"},
        {"3", "C:\\Agent", "3;WS01;C:\\Agent\\VeltraKeshAgentRepository\\"},
        {"", "C:\\Agent\\", "1;WS01;C:\\Agent\\VeltraKeshAgentRepository\\"},
        {"1234567890", "C:\\Agent\\", "1;WS01;C:\\Agent\\VeltraKeshAgentRepository\\"},
    };
    SetProperty("ComputerName", "WS01");
    for (const auto& [mode, installDir, data] : cases) {
        SetProperty("AUTHCONFIGSELECTED", mode);
        SetProperty("INSTALLDIR", installDir);
        EXPECT_EQ(Run("SetDeferredTokaraChallenge"), 0u);
        EXPECT_EQ(Property("ConfigTokaraChallenge"), data) << mode;
    }
}

TEST_F(Challenge, SettingsFollowTheInstalledComponents) {
    const std::string written = "3|\\\\WS01\\ExcludeGroup|0|0", fresh = "0|-|-|-";
    const std::string group = "Local users in this group will not be challenged|" + kAdministrator;
    struct Case {
        std::string data;
        std::vector<std::string> markers;
        std::string gina, network, group;
    };
    const Case cases[] = {
        {kData, {"LocalClientKEY.txt", "DomainServerKEY.txt"}, written, written, group},
        {kData, {"DomainServerKEY.txt"}, fresh, written, group},
        {kData, {"DomainClientKEY.txt"}, fresh, fresh, "(none)"},
        {"3;WS01;" + kRepository, {"LocalClientKEY.txt", "DomainServerKEY.txt"}, "2||0|0", "2||0|0", "(none)"},
        {"1;WS01;" + kRepository, {"LocalClientKEY.txt", "DomainServerKEY.txt"}, fresh, fresh, "(none)"},
        {"4;WS01;" + kRepository, {"LocalClientKEY.txt"}, fresh, fresh, "(none)"},
    };
    for (const Case& c : cases) {
        machine.groups.clear();
        machine.drives = sim::DriveTree();
        for (const std::string& key : {kGina, kNetwork}) {
            machine.registry.DeleteKeyTree(key);
            SetDword(key, "Enabled", 1);
        }
        for (const std::string& marker : c.markers) PutFile(kRepository + marker);
        // Twice: the second run finds the group and its member in place.
        for (int run = 0; run < 2; ++run) EXPECT_EQ(RunDeferred("ConfigUsersTokaraChallenge", c.data), 0u) << c.data;
        EXPECT_EQ(Settings(kGina), c.gina) << c.data << " " << c.markers[0];
        EXPECT_EQ(Settings(kNetwork), c.network) << c.data << " " << c.markers[0];
        EXPECT_EQ(Group(), c.group) << c.data << " " << c.markers[0];
    }
    EXPECT_EQ(RunDeferred("ConfigUsersTokaraChallenge", ""), 1603u);
}

TEST_F(Challenge, AGroupThatCannotBeSetUpRollsBackBeforeAnyKeyIsWritten) {
    const std::string failed = "2097168:Failed to add the Administrator into the\nTokara Challenge Exclude group.|"
                               "2097168:The installation changes will be rolled back now\nto prevent your system "
                               "from becoming locked.|";
    const std::string comment = "Local users in this group will not be challenged";
    const std::pair<std::string, std::string> faults[] = {
        {"NetLocalGroupAdd=5", "(none)"},
        {"NetLocalGroupAddMembers=5", comment},
        {"NetUserModalsGet=2221", comment},
    };
    for (const auto& [fault, group] : faults) {
        machine = sim::Machine();
        SetDword(kGina, "Enabled", 1);
        PutFile(kRepository + "LocalClientKEY.txt");
        PutFile(kRepository + "DomainServerKEY.txt");
        machine.trace.enabled = true;
        std::string error;
        machine.faults.Add(*sim::ParseFaultRule(fault, &error));
        EXPECT_EQ(RunDeferred("ConfigUsersTokaraChallenge", kData), 1603u) << fault;
        EXPECT_EQ(Dialogs(), failed) << fault;
        // The reboot request is cleared (a deferred session refuses it, as Windows does).
        const auto& trace = machine.trace.lines();
        EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const sim::TraceLine& line) {
            return line.operation == "MsiSetPropertyA" && line.subject == "ISSCHEDULEREBOOT";
        })) << fault;
        EXPECT_EQ(Settings(kGina), "0|-|-|-") << fault;
        EXPECT_FALSE(KeyExists(kNetwork)) << fault;
        EXPECT_EQ(Group(), group) << fault;
    }
}

// A fresh agent starts with the challenge off; an agent carried over from an
// earlier one (which ones count is the upgrade detection's concern) keeps it.
TEST_F(Challenge, OnlyAFreshAgentHasItsChallengeTurnedOff) {
    for (const bool upgrade : {false, true}) {
        machine = sim::Machine();
        SetDword(kGina, "Enabled", 1);
        SetString(kNetwork, "Enabled", "1");  // not a 4-byte value: left alone
        if (upgrade) upgrade::SaveUpgradeState(sim.platform(), upgrade::UpgradeIdCurrentKey, "{A}");
        EXPECT_EQ(RunDeferred("ConfigUsersTokaraChallenge", "1;WS01;" + kRepository), 0u);
        EXPECT_EQ(Settings(kGina), upgrade ? "1|-|-|-" : "0|-|-|-");
        EXPECT_EQ(GetString(kNetwork, "Enabled"), "1");
    }
}

TEST_F(Challenge, AdministratorIdentifierFromAnyAccountDomain) {
    auto& accounts = dynamic_cast<sim::SimAccounts&>(sim.platform().accounts);
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"S-1-5-21-1-2-3", "S-1-5-21-1-2-3-500", ""},
        {"S-1-5-32", "S-1-5-32-500", ""},
        // Fourteen sub-authorities leave room for the account's.
        {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14", "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-500", ""},
        {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15", "(invalid)", "Failed to initialize pSid\n"},
    };
    for (const auto& [domain, expected, output] : cases) {
        machine.standardOutput.clear();
        machine.accountDomainSid = *sim::SidFromString(domain);
        const platform::SidBytes sid = services::BuildLocalAccountSid(sim.platform(), 500);
        EXPECT_EQ(sid[0] == 1 ? sim::SidToString(sid) : "(invalid)", expected);
        EXPECT_EQ(machine.standardOutput, output) << domain;
        EXPECT_EQ(accounts.OpenBufferCount(), 0u) << "the modals buffer is released";
    }
    machine.standardOutput.clear();
    machine.accountDomainSid = *sim::SidFromString("S-1-5-21-1-2-3");
    machine.accountDomainSid[0] = 2;  // a revision the system does not know
    EXPECT_EQ(sim::SidToString(services::BuildLocalAccountSid(sim.platform(), 500)), "S-1-5-21-1-2-3-500");
    EXPECT_EQ(machine.standardOutput, "usrInfo->usermod2_domain_id is an Invalid Sid\n");
}


const std::string kPage = "http://www.veltrasecurity.com/go/register/agent.asp?";
const std::string kMorvaneRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Veltra Authentication Agent\\CurrentVersion";
const std::string kVeltraRoot =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
const std::string kOldestProduct = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\Veltra Kesh/Agent for Windows";
const std::string kOldestGina = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KVGINA";

struct VersionKey {
    std::string key;
    std::optional<platform::Dword> major, minor;
};

struct SetupCase {
    std::string label;
    std::vector<VersionKey> keys;
    std::string expectedQuery;  // after the page
    std::string majorProperty = "7", minorProperty = "2";
    platform::Dword windowsMajor = 5;
};

void PrintTo(const SetupCase& c, std::ostream* out) { *out << c.label; }

const std::string kFirst = "Product=NT+Agent&Components=#&Version=7.2&Upgrade=NO&OS=Microsoft+Windows&OS+Version=5";
const std::string kUpgrade = "Product=NT+Agent&Components=#&Version=7.2&Upgrade=YES&Upgrade+From=";
const std::string kTail = "&OS=Microsoft+Windows&OS+Version=5";

const std::vector<SetupCase> kSetups = {
    {"a first installation", {}, kFirst},
    {"the old maker's key is looked at before the current one", {{kMorvaneRoot, 5, 1}, {kVeltraRoot, 6, 3}},
     kUpgrade + "5.1" + kTail},
    {"the first key that opens decides, even without a minor version", {{kMorvaneRoot, 5, {}}, {kVeltraRoot, 6, 3}},
     kFirst},
    {"numbers are written in decimal", {{kVeltraRoot, 10, 12}},
     kUpgrade + "10.12&OS=Microsoft+Windows&OS+Version=6", "7", "2", 6},
    {"the oldest agent's GINA key counts when its product key is there", {{kOldestProduct, {}, {}}, {kOldestGina, 4, 0}},
     kUpgrade + "4.0" + kTail},
    {"the oldest agent's GINA key alone is no upgrade", {{kOldestGina, 4, 0}}, kFirst},
    // Room for 9 characters: a tenth makes the number absent.
    {"version properties of nine characters fit, of ten do not", {},
     "Product=NT+Agent&Components=#&Version=123456789.&Upgrade=NO" + kTail, "123456789", "1234567890"},
    {"absent version properties", {}, "Product=NT+Agent&Components=#&Version=.&Upgrade=NO" + kTail, "", ""},
};

class SetupRegistration : public SimFixture, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(SetupRegistration, ComposesTheAddress) {
    const SetupCase& c = GetParam();
    for (const VersionKey& key : c.keys) {
        machine.registry.CreateKey(key.key);
        if (key.major) SetDword(key.key, "MajorVersion", *key.major);
        if (key.minor) SetDword(key.key, "MinorVersion", *key.minor);
    }
    if (!c.majorProperty.empty()) SetProperty("VELTRA_KESH_CLIENT_MAJOR_VER", c.majorProperty);
    if (!c.minorProperty.empty()) SetProperty("VELTRA_KESH_CLIENT_MINOR_VER", c.minorProperty);
    machine.windowsMajorVersion = c.windowsMajor;

    EXPECT_EQ(Run("SetupRegistration"), 0u);
    EXPECT_EQ(Property("FINALURL"), kPage + c.expectedQuery);
}

INSTANTIATE_TEST_SUITE_P(Machines, SetupRegistration, ::testing::ValuesIn(kSetups));

const std::string kInstallDir = "C:\\Program Files\\Agent\\";
const std::string kInstalledRepository = kInstallDir + "VeltraKeshAgentRepository\\";
const std::string kFinalUrl = kPage + "Product=NT+Agent&Components=#&Version=7.2";

struct InvokeCase {
    std::string label;
    std::vector<std::string> markers;
    std::optional<std::string> opened;  // nullopt: nothing is opened
    std::string finalUrl = kFinalUrl;
    std::string installDir = kInstallDir;
    std::string fault = "";
};

void PrintTo(const InvokeCase& c, std::ostream* out) { *out << c.label; }

const std::vector<InvokeCase> kInvokes = {
    {"every kind, each once", {"RemoteServerKEY.txt", "DomainClientKEY.txt", "DomainServerKEY.txt",
                               "RemoteClientKEY.txt", "LocalClientKEY.txt"},
     kPage + "Product=NT+Agent&Components=L,N,R,&Version=7.2"},
    {"without INSTALLDIR no marker is found", {"LocalClientKEY.txt"}, kPage + "Product=NT+Agent&Components=&Version=7.2",
     kFinalUrl, ""},
    {"only the first placeholder is filled", {"LocalClientKEY.txt"}, "http://a/?c=L,&d=#", "http://a/?c=#&d=#"},
    {"an address without a placeholder is opened as it is", {"LocalClientKEY.txt"}, "http://a/", "http://a/"},
    {"an address of 255 characters fits", {}, "http://a/" + std::string(245, 'x'), "http://a/#" + std::string(245, 'x')},
    {"an address too long for its buffer is not opened", {}, std::nullopt, "http://a/#" + std::string(246, 'x')},
    {"no address, no page", {"LocalClientKEY.txt"}, std::nullopt, ""},
    {"a browser that does not start changes nothing", {"LocalClientKEY.txt"}, std::nullopt, kFinalUrl, kInstallDir,
     "ShellExecuteA=2"},
};

class InvokeRegistrationForm : public SimFixture, public ::testing::WithParamInterface<InvokeCase> {};

TEST_P(InvokeRegistrationForm, OpensThePageOnce) {
    const InvokeCase& c = GetParam();
    for (const std::string& marker : c.markers) PutFile(kInstalledRepository + marker);
    if (!c.finalUrl.empty()) SetProperty("FINALURL", c.finalUrl);
    if (!c.installDir.empty()) SetProperty("INSTALLDIR", c.installDir);
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));

    EXPECT_EQ(Run("InvokeRegistrationForm"), 0u);

    ASSERT_EQ(machine.shellOpens.size(), c.opened ? 1u : 0u);
    if (!c.opened) return;
    const sim::ShellOpenRecord& open = machine.shellOpens[0];
    EXPECT_EQ(open.verb + "|" + open.file + "|" + open.parameters.value_or("(none)") + "|" +
                  open.directory.value_or("(none)") + "|" + std::to_string(open.show),
              "OPEN|" + *c.opened + "|(none)||3");
    EXPECT_EQ(Property("FINALURL"), c.finalUrl) << "the address with its placeholder stays";
}

INSTANTIATE_TEST_SUITE_P(Machines, InvokeRegistrationForm, ::testing::ValuesIn(kInvokes));

}  // namespace
}  // namespace veltra::testing
