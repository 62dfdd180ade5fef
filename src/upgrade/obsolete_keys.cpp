// RemoveObsoleteKeys: what earlier versions left in the registry, and the
// settings and service keys of components this installation does not have.
// A settings key lives under the legacy root on machines upgraded from the
// Morvane products and under the agent's own settings root otherwise; the
// first of the two that opens is the one in use.
#include <optional>
#include <string>

#include "coexistence/key_tree.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

using platform::Dword;

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;
constexpr std::string_view kSoftware = "SOFTWARE\\";
constexpr const char* kEapKey = "SYSTEM\\CurrentControlSet\\Services\\RasMan\\PPP\\EAP";
// The EAP method numbers the remote components register.
constexpr const char* kEapMethods[] = {"15", "32"};

bool Exists(platform::Platform& platform, const std::string& path) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, kMachine, path.c_str(), platform::kKeyRead, key) ==
           platform::kErrorSuccess;
}

// The settings key in use: the legacy one, else the agent's own; nullopt
// when neither opens.
std::optional<std::string> SettingsKeyInUse(platform::Platform& platform, const char* name) {
    for (const char* root : {runtime::kLegacySettingsRoot, runtime::kSettingsRoot}) {
        std::string path = std::string(root) + name;
        if (Exists(platform, path)) return path;
    }
    return std::nullopt;
}

// Deletes a tree named by its path under HKEY_LOCAL_MACHINE, through the open
// SOFTWARE key.
void DeleteBelowSoftware(platform::Platform& platform, platform::HKey software, const std::string& path) {
    coexistence::DeleteKeyTree(platform, software, path.substr(kSoftware.size()).c_str());
}

std::string AgentKey(const char* name) { return std::string(runtime::kAgentRootKey) + "\\" + name; }

}  // namespace

void RemoveObsoleteKeys(platform::Platform& platform, const AgentComponents& components) {
    const auto& [local, domainClient, domainServer, remoteClient, remoteServer] = components;
    platform::RegKey software;
    if (const Dword opened =
            runtime::OpenKey(platform.registry, kMachine, "SOFTWARE", platform::kKeyAllAccess, software)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, "SOFTWARE"), opened);
        return;
    }

    // The legacy Kesh/Agent's and Halvex's keys.
    for (const char* legacy : {"SOFTWARE\\Morvane\\Veltra Kesh/Agent for Windows", "SOFTWARE\\Morvane\\Halvex"}) {
        if (Exists(platform, legacy)) DeleteBelowSoftware(platform, software.get(), legacy);
    }

    if (const auto gina = SettingsKeyInUse(platform, "KVGINA")) {
        // "ChallengeFirst" is no longer a GINA setting, whatever is installed.
        platform::RegKey key;
        if (runtime::OpenKey(platform.registry, kMachine, gina->c_str(), platform::kKeyWrite, key) ==
            platform::kErrorSuccess) {
            const Dword status = platform.registry.DeleteValue(key.get(), "ChallengeFirst");
            if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound) {
                runtime::LogFailure(platform, "RegDeleteValueA", runtime::RegistryPath(kMachine, *gina, "ChallengeFirst"),
                                    status);
            }
        }
        key.reset();
        if (!local && !domainClient && !domainServer) DeleteBelowSoftware(platform, software.get(), *gina);
    }
    if (const auto network = SettingsKeyInUse(platform, "KVNETWORK"); network && !domainClient && !domainServer) {
        DeleteBelowSoftware(platform, software.get(), *network);
    }

    // The offline services' keys: a domain server runs only its own service.
    const struct {
        const char* name;
        bool obsolete;
    } services[] = {
        {"DomainHost", !domainServer},
        {"Domain", !domainClient || domainServer},
        {"Local", !local || domainServer},
    };
    for (const auto& service : services) {
        const std::string path = AgentKey(service.name);
        if (service.obsolete && Exists(platform, path)) DeleteBelowSoftware(platform, software.get(), path);
    }

    if (const auto ras = SettingsKeyInUse(platform, "KVRAS"); ras && !remoteServer) {
        DeleteBelowSoftware(platform, software.get(), *ras);
    }
    if (remoteServer || remoteClient) return;
    for (const char* method : kEapMethods) {
        if (!Exists(platform, std::string(kEapKey) + "\\" + method)) continue;
        platform::RegKey eap;
        if (const Dword opened = runtime::OpenKey(platform.registry, kMachine, kEapKey, platform::kKeyAllAccess, eap)) {
            runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, kEapKey), opened);
            continue;
        }
        coexistence::DeleteKeyTree(platform, eap.get(), method);
    }
}

}  // namespace veltra::upgrade
