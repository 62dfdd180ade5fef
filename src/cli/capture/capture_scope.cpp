#include "cli/capture/capture_scope.h"

#include <array>

#include "gina/chaining_ginas.h"
#include "gina/gina_names.h"
#include "selection/agent_features.h"
#include "selection/offline_services.h"
#include "platform/sim/registry_tree.h"
#include "settings/key_paths.h"

namespace veltra::capture {
namespace {

const std::string kMachine = "HKEY_LOCAL_MACHINE\\";
const std::string kUser = "HKEY_CURRENT_USER\\";

const std::vector<RegistryRoot>& Roots() {
    static const std::vector<RegistryRoot> roots = {
        // The agent, its sibling products and the legacy agents.
        {kMachine + "SOFTWARE\\Veltra Security"},
        {kMachine + "SOFTWARE\\Morvane"},
        {kMachine + "SOFTWARE\\VeltraKeshAgents"},
        // The per-user settings, the upgrade record and the removal markers.
        {kUser + "SOFTWARE\\Veltra Security"},
        {kUser + "SOFTWARE\\Morvane"},
        {kUser + "SOFTWARE\\VeltraAgentUpgrade"},
        {kUser + "Volatile Environment"},
        // The GINA chain: Winlogon and the products that chain GINAs.
        {kMachine + gina::kWinlogonKey, false},
        {kMachine + "SOFTWARE\\Symantec\\pcANYWHERE\\CurrentVersion\\System"},
        {kMachine + "SOFTWARE\\Cisco Systems\\VPN Client"},
        {kMachine + "SOFTWARE\\CheckPoint\\SecuRemote"},
        {kMachine + "SOFTWARE\\Nortel Networks\\Contivity\\Client"},
        {kMachine + gina::kOdysseyGinaListKey},
        // Shared registrations and the installed products.
        {kMachine + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", false},
        {kMachine + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
        {kMachine + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache"},
        {kMachine + "SYSTEM\\CurrentControlSet\\Control\\Lsa", false},
        {kMachine + "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\KESHCLIENT"},
        // Remote access: the authentication protocols and the security host.
        {kMachine + "SYSTEM\\CurrentControlSet\\Services\\RasMan\\PPP\\EAP"},
        {kMachine + settings::kRasSecurityHostKey},
    };
    return roots;
}

// Whether `key` is `root` or lies below it, names compared ignoring case.
bool AtOrBelow(std::string_view key, std::string_view root) {
    if (key.size() < root.size() || sim::CompareFolded(key.substr(0, root.size()), root) != 0) {
        return false;
    }
    return key.size() == root.size() || key[root.size()] == '\\';
}

// "HKLM\\X" and "HKEY_LOCAL_MACHINE\\X" name the same key.
std::string Canonical(std::string_view fullPath) {
    const std::size_t slash = fullPath.find('\\');
    const auto root = sim::RegistryTree::CanonicalRootView(fullPath.substr(0, slash));
    if (!root) return std::string(fullPath);
    return std::string(*root) + (slash == std::string_view::npos ? "" : std::string(fullPath.substr(slash)));
}

}  // namespace

std::span<const RegistryRoot> RegistryRoots() {
    return Roots();
}

bool IsCapturedKey(std::string_view fullPath) {
    const std::string key = Canonical(fullPath);
    for (const RegistryRoot& root : Roots()) {
        if (root.tree ? AtOrBelow(key, root.path)
                      : key.size() == root.path.size() && AtOrBelow(key, root.path)) {
            return true;
        }
    }
    return false;
}

bool IsAboveCapturedKey(std::string_view fullPath) {
    const std::string key = Canonical(fullPath);
    for (const RegistryRoot& root : Roots()) {
        if (key.size() < root.path.size() && AtOrBelow(root.path, key)) return true;
    }
    return false;
}

std::span<const FileRule> FileRules() {
    static const std::vector<FileRule> rules = {
        // The maker's products, wherever Program Files is for this bitness.
        {"%ProgramFiles%\\Veltra Security", ""},
        {"%ProgramFiles(x86)%\\Veltra Security", ""},
        // What the agents lay into the system and help folders (server
        // files, the legacy GINA, applets, help), and the legacy client's
        // folders there. A 32-bit program on 64-bit Windows sees SysWOW64
        // under the name system32, so both are taken.
        {"%SystemRoot%\\system32", "kv*"},
        {"%SystemRoot%\\system32\\KESHCLNT", ""},
        {"%SystemRoot%\\system32\\KvRepository", ""},
        {"%SystemRoot%\\SysWOW64", "kv*"},
        {"%SystemRoot%\\SysWOW64\\KESHCLNT", ""},
        {"%SystemRoot%\\SysWOW64\\KvRepository", ""},
        {"%SystemRoot%\\Help", "kv*"},
        // The legacy agents' Start menu folder.
        {"%ALLUSERSPROFILE%\\Start Menu\\Programs\\Veltra Kesh Agent", ""},
        {"%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Veltra Kesh Agent", ""},
    };
    return rules;
}

std::span<const std::string_view> EnvironmentNames() {
    static constexpr std::array<std::string_view, 25> names = {
        "ALLUSERSPROFILE", "APPDATA", "CommonProgramFiles", "CommonProgramFiles(x86)", "COMPUTERNAME",
        "HOMEDRIVE", "HOMEPATH", "LOCALAPPDATA", "OS", "PATH", "PROCESSOR_ARCHITECTURE", "ProgramData",
        "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "PUBLIC", "SystemDrive", "SystemRoot", "TEMP",
        "TMP", "USERDNSDOMAIN", "USERDOMAIN", "USERNAME", "USERPROFILE", "windir"};
    return names;
}

std::span<const std::string_view> FeatureNames() {
    static constexpr std::array<std::string_view, 9> names = {
        selection::kLocalAuthClient, selection::kDomainAuthClient, selection::kDomainAuthServer,
        selection::kRemoteAuthClient, selection::kRemoteAuthServer, selection::kAutoreg,
        selection::kLocalService.feature, selection::kDomainClientService.feature,
        selection::kDomainHostService.feature};
    return names;
}

}  // namespace veltra::capture
