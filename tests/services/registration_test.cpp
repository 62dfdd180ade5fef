// The product registration page: the address composed from the versions and
// the machine, and the one page opened with the installed components.
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
const std::string kRepository = kInstallDir + "VeltraKeshAgentRepository\\";
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
    for (const std::string& marker : c.markers) PutFile(kRepository + marker);
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
