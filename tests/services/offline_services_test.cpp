// Registering the offline-authentication services: the exact parameters the
// Service Control Manager is given, the progress record, and every way the
// registration can fail, with each handle closed again.
#include <algorithm>

#include "platform/sim/faults.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kAgentDir = "C:\\Program Files\\Agent\\";

struct ServiceCase {
    std::string action, data;
    std::string name, displayName, binaryPath, progressText;
};

void PrintTo(const ServiceCase& c, std::ostream* out) { *out << c.action << " " << c.data; }

class OfflineServices : public SimFixture, public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(OfflineServices, RegisterWithExactlyTheirParameters) {
    const ServiceCase& c = GetParam();
    ASSERT_EQ(RunDeferred(c.action, c.data), 0u);

    ASSERT_EQ(machine.services.size(), 1u);
    const sim::ServiceRecord& record = machine.services.at(c.name);
    EXPECT_EQ(record.config.name, c.name);
    EXPECT_EQ(record.config.displayName, c.displayName);
    EXPECT_EQ(record.config.binaryPath, c.binaryPath);
    EXPECT_EQ(record.config.desiredAccess, 0xF01FFu);
    EXPECT_EQ(record.config.serviceType, 0x10u);
    EXPECT_EQ(record.config.startType, 2u);
    EXPECT_EQ(record.config.errorControl, 1u);
    EXPECT_EQ(record.config.loadOrderGroup, "");
    EXPECT_EQ(record.config.dependencies, "");
    EXPECT_EQ(record.config.account, "") << "LocalSystem";
    EXPECT_EQ(record.description, "Enables Kesh offline authentication");

    ASSERT_EQ(machine.session.messages.size(), 1u);
    EXPECT_EQ(machine.session.messages[0].first, 0x08000000u);
    EXPECT_EQ(machine.session.messages[0].second.fields,
              (std::vector<std::string>{"", c.action, c.progressText, ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, OfflineServices,
    ::testing::Values(
        ServiceCase{"InstallLocalDAService", kAgentDir, "OASVC_Local", "Veltra Authentication Agent Offline Local",
                    "\"C:\\Program Files\\Agent\\da_svc.exe\" -local", "Installing Local Offline Auth Service"},
        ServiceCase{"InstallDomainDAService", kAgentDir, "OASVC_DomainClient",
                    "Veltra Authentication Agent Offline DomainClient",
                    "\"C:\\Program Files\\Agent\\da_svc.exe\" -domain", "Installing Domain Offline Auth Service"},
        ServiceCase{"InstallDomainHostDAService", kAgentDir, "OASVC_DomainHost",
                    "Veltra Authentication Agent Offline DomainHost",
                    "\"C:\\Program Files\\Agent\\da_svc.exe\" -domainhost",
                    "Installing DomainHost Offline Auth Service"},
        // The folder is taken as given: no backslash is added, and none is needed.
        ServiceCase{"InstallDomainDAService", "", "OASVC_DomainClient",
                    "Veltra Authentication Agent Offline DomainClient", "\"da_svc.exe\" -domain",
                    "Installing Domain Offline Auth Service"},
        // 340 characters of folder make a command line of 359, the most its buffer holds.
        ServiceCase{"InstallLocalDAService", "C:\\" + std::string(336, 'a') + "\\", "OASVC_Local",
                    "Veltra Authentication Agent Offline Local",
                    "\"C:\\" + std::string(336, 'a') + "\\da_svc.exe\" -local",
                    "Installing Local Offline Auth Service"}));

struct FailureCase {
    std::string label;
    std::string fault;  // as agentca --fail takes it
    std::string data = kAgentDir;
    bool serviceExists = false;
    platform::Dword result;
    bool announced;                 // the progress record was sent
    std::optional<std::string> description;  // of OASVC_Local afterwards; nullopt: not registered
    std::string logLine;            // "" when nothing is logged beyond the frame's lines
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

const std::string kDescription = "Enables Kesh offline authentication";

const std::vector<FailureCase> kFailures = {
    {"a service of that name already exists", "", kAgentDir, true, 1603, true, "left as it was",
     "CreateServiceA OASVC_Local failed: 1073"},
    {"the manager does not open", "OpenSCManagerA=5", kAgentDir, false, 1603, true, std::nullopt,
     "OpenSCManagerA local machine failed: 5"},
    {"the creation is refused", "CreateServiceA:OASVC_Local=5", kAgentDir, false, 1603, true, std::nullopt,
     "CreateServiceA OASVC_Local failed: 5"},
    {"a description that cannot be set keeps the service", "ChangeServiceConfig2A=5", kAgentDir, false, 0, true, "",
     "ChangeServiceConfig2A OASVC_Local failed: 5"},
    {"the length probe is refused with a bad handle", "MsiGetPropertyA:CustomActionData#1=6", kAgentDir, false, 1603,
     false, std::nullopt, ""},
    {"the read itself is refused with a bad argument", "MsiGetPropertyA:CustomActionData#2=87", kAgentDir, false,
     1603, false, std::nullopt, ""},
    {"a progress record the installer refuses changes nothing", "MsiProcessMessage", kAgentDir, false, 0, false,
     kDescription, "MsiProcessMessage ActionStart InstallLocalDAService failed: -1"},
    {"a command line one byte too long for its buffer", "", "C:\\" + std::string(337, 'a') + "\\", false, 1603, false,
     std::nullopt, "the command line of OASVC_Local does not fit in 360 bytes"},
};

class ServiceFailures : public SimFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ServiceFailures, GiveTheirResultAndCloseEveryHandle) {
    const FailureCase& c = GetParam();
    if (c.serviceExists) {
        platform::ServiceConfig other;
        other.name = "OASVC_Local";
        other.binaryPath = "C:\\old\\da_svc.exe";
        machine.services["OASVC_Local"] = sim::ServiceRecord{other, "left as it was"};
    }
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));
    machine.trace.enabled = true;

    EXPECT_EQ(RunDeferred("InstallLocalDAService", c.data), c.result);

    EXPECT_EQ(machine.session.messages.size(), c.announced ? 1u : 0u);
    const auto service = machine.services.find("OASVC_Local");
    EXPECT_EQ(service != machine.services.end() ? std::optional(service->second.description) : std::nullopt,
              c.description);
    if (c.serviceExists) {
        EXPECT_EQ(service->second.config.binaryPath, "C:\\old\\da_svc.exe");
    }
    if (!c.logLine.empty()) {
        const std::string line = "VeltraAgentCA: InstallLocalDAService: " + c.logLine;
        EXPECT_NE(std::find(machine.session.log.begin(), machine.session.log.end(), line), machine.session.log.end())
            << line;
    }
    int open = 0;
    for (const sim::TraceLine& call : machine.trace.lines()) {
        if ((call.operation == "OpenSCManagerA" || call.operation == "CreateServiceA") && call.result == 0) ++open;
        if (call.operation == "CloseServiceHandle" && call.result == 0) --open;
    }
    EXPECT_EQ(open, 0) << "handles left open";
}

INSTANTIATE_TEST_SUITE_P(Faults, ServiceFailures, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name;
                             for (const char ch : info.param.label) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

}  // namespace
}  // namespace veltra::testing
