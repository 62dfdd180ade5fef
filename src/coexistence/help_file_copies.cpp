// The help files themselves: each product's own help saved once in the
// agent's repository folder, the combined help laid over both products'
// files, and the saved files put back. A repository copy, once made, is never
// overwritten: it keeps each product's help as it was before any combination.
#include "coexistence/help_files.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_presence.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"

namespace veltra::coexistence {

namespace {

constexpr const char* kAgentHelp[] = {"authagt_userhelp.chm", "authagt_adminhelp.chm"};
constexpr const char* kUtilityHelp[] = {"VeltraAuthHelp.chm", "VeltraAuthAdminHelp.chm"};

bool Exists(platform::Platform& platform, const std::string& path) {
    return platform.files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

std::string RepositoryCopy(const std::string& agentFolder, const char* file) {
    return agentFolder + runtime::kRepositoryFolderName + file;
}

void Copy(platform::Platform& platform, const std::string& from, const std::string& to) {
    if (!platform.files.CopyFile(from.c_str(), to.c_str(), false)) runtime::LogLastError(platform, "CopyFileA", to);
}

void Delete(platform::Platform& platform, const std::string& path) {
    platform.files.SetFileAttributes(path.c_str(), platform::kFileAttributeNormal);
    if (!platform.files.DeleteFile(path.c_str()) && platform.system.GetLastError() != platform::kErrorFileNotFound) {
        runtime::LogLastError(platform, "DeleteFileA", path);
    }
}

// Replacing X by Y: X made normal and deleted, then Y copied to X.
void Replace(platform::Platform& platform, const std::string& target, const std::string& source) {
    Delete(platform, target);
    Copy(platform, source, target);
}

void SaveOnce(platform::Platform& platform, const std::string& file, const std::string& copy) {
    if (!Exists(platform, copy)) Copy(platform, file, copy);
}

}  // namespace

void BackupHelpFiles(platform::Platform& platform) {
    std::string agent;
    if (!IsAgentRegistered(platform) || !GetAgentInstallPath(platform, agent)) return;
    for (const char* file : kAgentHelp) SaveOnce(platform, agent + file, RepositoryCopy(agent, file));

    if (!IsAuthenticatorUtilityInstalled(platform)) {
        for (const char* file : kUtilityHelp) {
            const std::string copy = RepositoryCopy(agent, file);
            if (Exists(platform, copy)) Delete(platform, copy);
        }
        return;
    }
    std::string utility;
    if (!GetUtilityInstallDir(platform, utility)) return;
    for (const char* file : kUtilityHelp) SaveOnce(platform, utility + file, RepositoryCopy(agent, file));
}

void InstallComboHelp(platform::Platform& platform) {
    std::string center, agent, utility;
    const bool haveCenter = GetSecurityCenterDir(platform, center);
    const bool haveAgent = GetAgentInstallPath(platform, agent);
    const bool haveUtility = GetUtilityInstallDir(platform, utility);
    if (!haveCenter || !haveAgent || !haveUtility) return;

    const std::string user = center + "authagt_usercombohelp.chm";
    const std::string admin = center + "authagt_admincombohelp.chm";
    Replace(platform, agent + kAgentHelp[0], user);
    Replace(platform, agent + kAgentHelp[1], admin);
    Replace(platform, utility + kUtilityHelp[0], user);
    Replace(platform, utility + kUtilityHelp[1], admin);
}

void RestoreAgentHelp(platform::Platform& platform) {
    std::string agent;
    if (!GetAgentInstallPath(platform, agent)) return;
    for (const char* file : kAgentHelp) {
        const std::string copy = RepositoryCopy(agent, file);
        if (Exists(platform, copy)) Replace(platform, agent + file, copy);
    }
}

void RestoreUtilityHelp(platform::Platform& platform, const std::string& agentFolder) {
    std::string utility;
    if (!GetUtilityInstallDir(platform, utility)) return;
    for (const char* file : kUtilityHelp) {
        const std::string copy = RepositoryCopy(agentFolder, file);
        if (Exists(platform, copy)) Replace(platform, utility + file, copy);
    }
}

}  // namespace veltra::coexistence
