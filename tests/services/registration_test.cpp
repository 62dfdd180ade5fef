// The product registration page: the address SetupRegistration composes from
// the versions and the machine, and the one page InvokeRegistrationForm opens
// with the installed components filled in.
#include "platform/sim/faults.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

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
    std::string majorProperty = "7", minorProperty = "2";
    platform::Dword windowsMajor = 5;
    std::string expectedQuery;  // after the page
};

void PrintTo(const SetupCase& c, std::ostream* out) { *out << c.label; }

const std::string kTail = "&OS=Microsoft+Windows&OS+Version=5";

const std::vector<SetupCase> kSetups = {
    {"a first installation", {}, "7", "2", 5, "Product=NT+Agent&Components=#&Version=7.2&Upgrade=NO" + kTail},
    {"an upgrade of an agent under the old maker's name", {{kMorvaneRoot, 5, 1}}, "7", "2", 5,
     "Product=NT+Agent&Components=#&Version=7.2&Upgrade=YES&Upgrade+From=5.1" + kTail},
    {"the old maker's key is looked at before the current one", {{kMorvaneRoot, 5, 1}, {kVeltraRoot, 6, 3}}, "7", "2", 5,
     "Product=NT+Agent&Components=#&Version=7.2&Upgrade=YES&Upgrade+From=5.1" + kTail},
    {"the first key that opens decides, even without a minor version", {{kMorvaneRoot, 5, {}}, {kVeltraRoot, 6, 3}},
     "7", "2", 5, "Product=NT+Agent&Components=#&Version=7.2&Upgrade=NO" + kTail},
    {"numbers are written in decimal", {{kVeltraRoot, 10, 12}}, "7", "2", 6,
     "Product=NT+Agent&Components=#&Version=7.2&Upgrade=YES&Upgrade+From=10.12&OS=Microsoft+Windows&OS+Version=6"},
    {"the oldest agent's GINA key counts when its product key is there", {{kOldestProduct, {}, {}}, {kOldestGina, 4, 0}},
     "7", "2", 5, "Product=NT+Agent&Components=#&Version=7.2&Upgrade=YES&Upgrade+From=4.0" + kTail},
    {"the oldest agent's GINA key alone is no upgrade", {{kOldestGina, 4, 0}}, "7", "2", 5,
     "Product=NT+Agent&Components=#&Version=7.2&Upgrade=NO" + kTail},
    {"the product key alone is no upgrade", {{kOldestProduct, {}, {}}}, "7", "2", 5,
     "Product=NT+Agent&Components=#&Version=7.2&Upgrade=NO" + kTail},
    // Room for 9 characters: a tenth makes the number absent.
    {"version properties of nine characters fit, of ten do not", {}, "123456789", "1234567890", 5,
     "Product=NT+Agent&Components=#&Version=123456789.&Upgrade=NO" + kTail},
    {"absent version properties", {}, "", "", 5, "Product=NT+Agent&Components=#&Version=.&Upgrade=NO" + kTail},
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
const std::string kRepository = kInstallDir + "VeltraKeshAgentRepository\\";
const std::string kFinalUrl = kPage + "Product=NT+Agent&Components=#&Version=7.2";

struct InvokeCase {
    std::string label;
    std::vector<std::string> markers;
    std::string finalUrl = kFinalUrl;
    std::string installDir = kInstallDir;
    std::string fault;
    std::optional<std::string> opened;  // nullopt: nothing is opened
};

void PrintTo(const InvokeCase& c, std::ostream* out) { *out << c.label; }

const std::vector<InvokeCase> kInvokes = {
    {"local client and domain server", {"LocalClientKEY.txt", "DomainServerKEY.txt"}, kFinalUrl, kInstallDir, "",
     kPage + "Product=NT+Agent&Components=L,N,&Version=7.2"},
    {"every kind, each once", {"RemoteServerKEY.txt", "DomainClientKEY.txt", "DomainServerKEY.txt",
                               "RemoteClientKEY.txt", "LocalClientKEY.txt"},
     kFinalUrl, kInstallDir, "", kPage + "Product=NT+Agent&Components=L,N,R,&Version=7.2"},
    {"no marker leaves the list empty", {"VeltraKeshAgentInstalled.txt"}, kFinalUrl, kInstallDir, "",
     kPage + "Product=NT+Agent&Components=&Version=7.2"},
    {"without INSTALLDIR no marker is found", {"LocalClientKEY.txt"}, kFinalUrl, "", "",
     kPage + "Product=NT+Agent&Components=&Version=7.2"},
    {"only the first placeholder is filled", {"LocalClientKEY.txt"}, "http://a/?c=#&d=#", kInstallDir, "",
     "http://a/?c=L,&d=#"},
    {"an address without a placeholder is opened as it is", {"LocalClientKEY.txt"}, "http://a/", kInstallDir, "",
     "http://a/"},
    {"an address of 255 characters fits", {}, "http://a/#" + std::string(245, 'x'), kInstallDir, "",
     "http://a/" + std::string(245, 'x')},
    {"an address too long for its buffer is not opened", {}, "http://a/#" + std::string(246, 'x'), kInstallDir, "",
     std::nullopt},
    {"no address, no page", {"LocalClientKEY.txt"}, "", kInstallDir, "", std::nullopt},
    {"a browser that does not start changes nothing", {"LocalClientKEY.txt"}, kFinalUrl, kInstallDir,
     "ShellExecuteA=2", std::nullopt},
};

class InvokeRegistrationForm : public SimFixture, public ::testing::WithParamInterface<InvokeCase> {};

TEST_P(InvokeRegistrationForm, OpensThePageOnce) {
    const InvokeCase& c = GetParam();
    for (const std::string& marker : c.markers) PutFile(kRepository + marker);
    if (!c.finalUrl.empty()) SetProperty("FINALURL", c.finalUrl);
    if (!c.installDir.empty()) SetProperty("INSTALLDIR", c.installDir);
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));

    EXPECT_EQ(Run("InvokeRegistrationForm"), 0u);

    ASSERT_EQ(machine.shellOpens.size(), c.opened ? 1u : 0u);
    if (!c.opened) return;
    const sim::ShellOpenRecord& open = machine.shellOpens[0];
    EXPECT_EQ(open.file, *c.opened);
    EXPECT_EQ(open.verb, "OPEN");
    EXPECT_EQ(open.parameters, std::nullopt);
    EXPECT_EQ(open.directory, "");
    EXPECT_EQ(open.show, 3);
    EXPECT_EQ(Property("FINALURL"), c.finalUrl) << "the address with its placeholder stays";
}

INSTANTIATE_TEST_SUITE_P(Machines, InvokeRegistrationForm, ::testing::ValuesIn(kInvokes));

}  // namespace
}  // namespace veltra::testing
