// Registering the offline-authentication services: their exact parameters,
// the progress record, and every failure with each handle closed again.
#include <algorithm>

#include "platform/sim/faults.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kAgentDir = "C:\\Program Files\\Agent\\";

// Every field the Service Control Manager is given, and the description.
std::string Describe(const sim::ServiceRecord& r) {
    const platform::ServiceConfig& c = r.config;
    return c.name + "|" + c.displayName + "|" + c.binaryPath + "|" + std::to_string(c.desiredAccess) + "," +
           std::to_string(c.serviceType) + "," + std::to_string(c.startType) + "," + std::to_string(c.errorControl) +
           "|" + c.loadOrderGroup + "|" + c.dependencies + "|" + c.account + "|" + r.description;
}

// The local service along the package's road shows the rest.
class OfflineServices : public SimFixture {};

TEST_F(OfflineServices, RegisterWithExactlyTheirParameters) {
    const std::string program = "\"C:\\Program Files\\Agent\\da_svc.exe\" -domain";
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"InstallDomainDAService", kAgentDir, "OASVC_DomainClient|Veltra Authentication Agent Offline DomainClient|" + program,
         "Installing Domain Offline Auth Service"},
        {"InstallDomainHostDAService", kAgentDir,
         "OASVC_DomainHost|Veltra Authentication Agent Offline DomainHost|" + program + "host",
         "Installing DomainHost Offline Auth Service"},
        // The folder is taken as given: no backslash is added, and none is needed.
        {"InstallDomainDAService", "", "OASVC_DomainClient|Veltra Authentication Agent Offline DomainClient|\"da_svc.exe\" -domain",
         "Installing Domain Offline Auth Service"},
        // 340 characters of folder make a command line of 359, the most its buffer holds.
        {"InstallLocalDAService", "C:\\" + std::string(336, 'a') + "\\",
         "OASVC_Local|Veltra Authentication Agent Offline Local|\"C:\\" + std::string(336, 'a') + "\\da_svc.exe\" -local",
         "Installing Local Offline Auth Service"},
    };
    for (const auto& [action, data, record, progress] : cases) {
        machine.services.clear();
        machine.session.messages.clear();
        ASSERT_EQ(RunDeferred(action, data), 0u) << action;

        ASSERT_EQ(machine.services.size(), 1u);
        // Access 0xF01FF, own process, automatic start, normal errors, LocalSystem.
        EXPECT_EQ(Describe(machine.services.begin()->second), record + "|983551,16,2,1||||Enables Kesh offline authentication");
        ASSERT_EQ(machine.session.messages.size(), 1u);
        EXPECT_EQ(machine.session.messages[0].first, 0x08000000u);
        EXPECT_EQ(machine.session.messages[0].second.fields, (std::vector<std::string>{"", action, progress, ""}));
    }
}

struct FailureCase {
    std::string label;
    std::string fault;  // as agentca --fail takes it
    platform::Dword result;
    bool announced;                          // the progress record was sent
    std::optional<std::string> description;  // of OASVC_Local afterwards; nullopt: not registered
    std::string logLine;                     // "" when nothing is logged beyond the frame's lines
    std::string data = kAgentDir;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

const std::vector<FailureCase> kFailures = {
    {"a service of that name already exists", "", 1603, true, "left as it was", "CreateServiceA OASVC_Local failed: 1073"},
    {"the manager does not open", "OpenSCManagerA=5", 1603, true, {}, "OpenSCManagerA local machine failed: 5"},
    {"the creation is refused", "CreateServiceA:OASVC_Local=5", 1603, true, {}, "CreateServiceA OASVC_Local failed: 5"},
    {"a description that cannot be set keeps the service", "ChangeServiceConfig2A=5", 0, true, "",
     "ChangeServiceConfig2A OASVC_Local failed: 5"},
    {"a length probe refused with a bad handle", "MsiGetPropertyA:CustomActionData#1=6", 1603, false, {}, ""},
    {"a progress record the installer refuses changes nothing", "MsiProcessMessage", 0, false,
     "Enables Kesh offline authentication", "MsiProcessMessage ActionStart InstallLocalDAService failed: -1"},
    {"a command line one byte too long for its buffer", "", 1603, false, {},
     "the command line of OASVC_Local does not fit in 360 bytes", "C:\\" + std::string(337, 'a') + "\\"},
};

class ServiceFailures : public SimFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ServiceFailures, GiveTheirResultAndCloseEveryHandle) {
    const FailureCase& c = GetParam();
    if (c.label.ends_with("exists")) machine.services["OASVC_Local"].description = "left as it was";
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));
    machine.trace.enabled = true;

    EXPECT_EQ(RunDeferred("InstallLocalDAService", c.data), c.result);

    EXPECT_EQ(machine.session.messages.size(), c.announced ? 1u : 0u);
    const auto service = machine.services.find("OASVC_Local");
    EXPECT_EQ(service != machine.services.end() ? std::optional(service->second.description) : std::nullopt,
              c.description);
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

INSTANTIATE_TEST_SUITE_P(Faults, ServiceFailures, ::testing::ValuesIn(kFailures), kNameByLabel);

}  // namespace
}  // namespace veltra::testing
