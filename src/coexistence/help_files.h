// The security center's help files. "HelpPathUser" and "HelpPathAdmin" of its
// key name the help it opens: the agent's, the authenticator utility's, or,
// with both products present, a combined help that is also copied over each
// product's own files. Each product's own help is saved once in the agent's
// repository folder and copied back when the combination ends.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veltra::coexistence {

// Folders, each ending with a backslash as stored; read into 260 bytes.
bool GetAgentInstallPath(platform::Platform& platform, std::string& folder);
bool GetUtilityInstallDir(platform::Platform& platform, std::string& folder);

// A user and an admin help path, each within 260 bytes with its terminator.
struct HelpPaths {
    std::string user;
    std::string admin;
};
bool GetAgentHelpPaths(platform::Platform& platform, HelpPaths& paths);
bool GetUtilityHelpPaths(platform::Platform& platform, HelpPaths& paths);
bool GetComboHelpPaths(platform::Platform& platform, HelpPaths& paths);

// Points the security center at the help that fits the products present, and
// lays the files down. 1 when its help values were written or removed, else 0.
int UpdateHelpPaths(platform::Platform& platform);

void BackupHelpFiles(platform::Platform& platform);
void InstallComboHelp(platform::Platform& platform);
void RestoreAgentHelp(platform::Platform& platform);
void RestoreUtilityHelp(platform::Platform& platform, const std::string& agentFolder);

}  // namespace veltra::coexistence
