// The system's reference counts of the agent's shared files. Earlier agents,
// the maker's server products and its other agents install some of the same
// files into the system folder; a first installation sets each count to the
// number of products that now hold the file, so that the file stays until
// the last of them is removed. Files no product installs any more lose
// their counts.
#include <string>
#include <string_view>

#include "coexistence/shared_dlls.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

using platform::Dword;

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;
constexpr const char* kMakerRoots[] = {"SOFTWARE\\Morvane\\", "SOFTWARE\\Veltra Security\\"};
constexpr const char* kAgentsKey = "SOFTWARE\\VeltraKeshAgents";
// This agent's own entry among the maker's agents.
constexpr const char* kOwnAgentName = "WINDOWS";
constexpr const char* kOfflineServiceFile = "da_svc.exe";

bool OpensForReading(platform::Platform& platform, const std::string& path) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, kMachine, path.c_str(), platform::kKeyRead, key) ==
           platform::kErrorSuccess;
}

bool UnderAMakerRoot(platform::Platform& platform, const char* name) {
    for (const char* root : kMakerRoots) {
        if (OpensForReading(platform, std::string(root) + name)) return true;
    }
    return false;
}

// The SharedDLLs value of one file, open key in hand.
class SharedCounts {
public:
    SharedCounts(platform::Platform& platform, platform::HKey key) : platform_(platform), key_(key) {}

    void Delete(const std::string& file) {
        const Dword status = platform_.registry.DeleteValue(key_, file.c_str());
        if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound) {
            runtime::LogFailure(platform_, "RegDeleteValueA", Where(file), status);
        }
    }
    void Set(const std::string& file, Dword count) {
        if (const Dword status = runtime::WriteDword(platform_.registry, key_, file.c_str(), count)) {
            runtime::LogFailure(platform_, "RegSetValueExA", Where(file), status);
        }
    }

private:
    static std::string Where(const std::string& file) {
        return runtime::RegistryPath(kMachine, coexistence::kSharedDllsKey, file);
    }
    platform::Platform& platform_;
    platform::HKey key_;
};

}  // namespace

ServerProducts ProbeServerProducts(platform::Platform& platform) {
    return ServerProducts{UnderAMakerRoot(platform, "KESHSERVER"), UnderAMakerRoot(platform, "KVCATOOL")};
}

Dword CountRegisteredAgents(platform::Platform& platform) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, kAgentsKey, platform::kKeyRead, key) != platform::kErrorSuccess) {
        return 1;
    }
    Dword agents = 1;
    char name[runtime::kPathBuffer];
    for (Dword index = 0;; ++index) {
        Dword length = sizeof name;
        if (platform.registry.EnumKeyEx(key.get(), index, name, &length) != platform::kErrorSuccess) break;
        if (std::string_view(name, length) != kOwnAgentName) ++agents;
    }
    return agents;
}

void SetSharedFileCounts(platform::Platform& platform, const SharedRegistrationInputs& inputs,
                         const ServerProducts& servers, Dword agents) {
    platform::RegKey key;
    if (const Dword opened = runtime::OpenKey(platform.registry, kMachine, coexistence::kSharedDllsKey,
                                              platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, coexistence::kSharedDllsKey),
                            opened);
        return;
    }
    SharedCounts counts(platform, key.get());
    const auto system = [&](const char* file) { return runtime::JoinStrings("\\", {inputs.systemFolder, file}); };
    const auto help = [&](const char* file) { return runtime::JoinStrings("\\", {inputs.helpFolder, file}); };
    const AgentComponents& c = inputs.components;

    for (const char* retired : {"kvbstop.exe", "kveap.dll", "kvgina.dll", "kvras.dll"}) counts.Delete(system(retired));
    // The EAP module belongs to the remote components alone.
    counts.Set(system("kveap.dll"), c.remoteClient || c.remoteServer ? 1 : 0);
    for (const char* retired : {"kvroot.crt", "kvconf.rec", "kvcontrl.cpl"}) counts.Delete(system(retired));
    for (const char* retired : {"kvcontrl.hlp", "kvcontrl.cnt", "kvcontrl.GID"}) counts.Delete(help(retired));

    counts.Set(system("kvagentrt.dll"), agents);
    counts.Set(system("kvui.dll"), agents);
    // The remote client alone installs no test tool.
    const bool remoteClientOnly =
        c.remoteClient && !c.localClient && !c.domainClient && !c.domainServer && !c.remoteServer;
    counts.Set(system("kvtest.exe"), agents - (remoteClientOnly ? 1 : 0));
    // The server product holds a reference of its own; a remote or domain
    // client without the local client, domain server or remote server none.
    const bool clientLibraryUnused =
        (c.remoteClient || c.domainClient) && !c.localClient && !c.domainServer && !c.remoteServer;
    counts.Set(system("keshclnt.dll"), agents + (servers.server ? 1 : 0) - (clientLibraryUnused ? 1 : 0));
    counts.Set(system("kvmsg.dll"), agents + (servers.server ? 1 : 0) + (servers.adminTool ? 1 : 0));
}

void SetOfflineServiceCount(platform::Platform& platform, std::string_view installFolder) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, coexistence::kSharedDllsKey, platform::kKeyAllAccess, key) !=
        platform::kErrorSuccess) {
        return;
    }
    const std::string service = runtime::JoinStrings("\\", {installFolder, kOfflineServiceFile});
    if (!runtime::ReadDword(platform.registry, key.get(), service.c_str())) return;
    if (const Dword status = runtime::WriteDword(platform.registry, key.get(), service.c_str(), 1)) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(kMachine, coexistence::kSharedDllsKey, service), status);
    }
}

}  // namespace veltra::upgrade
