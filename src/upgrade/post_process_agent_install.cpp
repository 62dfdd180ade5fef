// PostProcessAgentInstall: the last action of the installation script, run
// after the installer's own file and registry work in every installation,
// maintenance run and removal. The installed marker tells which of them this
// is: with the marker the agent stays and its installation is finished
// (a legacy Kesh/Agent's settings restored, the version recorded, a previous
// agent's settings carried back, the shared registrations brought in line,
// the GINA chain checked, the server files' saved copies refreshed); without
// it the agent has just been removed and the removal clean-up runs. Both end
// the same way. Nothing here stops the installation: once its data arrived
// the action succeeds, and every failure is logged.
#include <string>
#include <vector>

#include "gina/gina_chain.h"
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"
#include "upgrade/agent_components.h"
#include "upgrade/file_moves.h"
#include "upgrade/post_process.h"
#include "upgrade/shared_registrations.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {

namespace {

// The legacy Kesh/Agent's shortcuts lived in this folder of the program menu.
constexpr const char* kLegacyMenuFolderName = "Veltra Kesh Agent\\";

// The server files as they are used and their copies from the last
// successful installation, which a removal or a rollback puts back.
constexpr const char* kSavedServerFiles[][2] = {
    {"kvconf.rec", "kvconf.rec_Saveit"},
    {"kvroot.crt", "kvroot.crt_Saveit"},
};

// Files the wizard's steps left in the temporary folder.
constexpr const char* kTemporaryFiles[] = {"server.cer", "kvconf.rec", "kvroot.crt"};

bool Exists(platform::Platform& platform, const std::string& path) {
    return platform.files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

// The components of this installation: the package lays one marker per
// component into the repository folder.
AgentComponents InstalledComponents(platform::Platform& platform, const std::string& repository) {
    const auto has = [&](const char* marker) { return Exists(platform, repository + marker); };
    return {has("LocalClientKEY.txt"), has("DomainClientKEY.txt"), has("DomainServerKEY.txt"),
            has("RemoteClientKEY.txt"), has("RemoteServerKEY.txt")};
}

// A chained agent GINA whose file has gone everywhere Winlogon could find it
// would stop every logon: it is taken out of the chain.
void RecheckGinaChain(platform::Platform& platform, const std::string& systemFolder) {
    if (!gina::IsAgentGinaChained(platform)) return;
    gina::NameBuffer ginaDll;
    const platform::Dword read = gina::ReadWinlogonGinaDll(platform.registry, &ginaDll);
    if (read != platform::kErrorSuccess) runtime::LogFailure(platform, "ReadWinlogonGinaDll", "GinaDLL", read);
    const bool fileThere = read == platform::kErrorSuccess && Exists(platform, ginaDll.text);
    if (fileThere || Exists(platform, systemFolder + "KeshGina.dll")) return;
    runtime::Log(platform.installer, "the chained agent GINA's file is missing; taking it out of the chain");
    if (const platform::Dword status = gina::SetAgentGina(platform, false, nullptr, false)) {
        runtime::LogFailure(platform, "SetAgentGina", "disable", status);
    }
}

void FinishInstallation(platform::Platform& platform, const PostProcessFolders& folders) {
    const AgentFolders& agent = folders.agent;
    if (DetectLegacyKeshAgent(platform) == kUpgradableLegacyKeshAgent) RestoreLegacyKeshAgent(platform, folders);
    RecordAgentVersion(platform, agent.repository);

    const AgentComponents components = InstalledComponents(platform, agent.repository);
    std::string productCode;
    const UpgradeId previous = GetPreviousAgentVersion(platform, AgentVersionMode::Record, productCode);
    if (previous == UpgradeIdLegacyKey || previous == UpgradeIdCurrentKey) {
        RestoreUpgradeSettings(platform, components);
        DeleteUpgradeState(platform);
    }

    UpdateSharedRegistrations(platform, {agent.system, agent.help, agent.install, folders.framework, folders.backEnd,
                                         folders.shared, folders.firstInstallation, components});
    RecheckGinaChain(platform, agent.system);
    gina::RemoveLegacyGinaValues(platform.registry, platform.system);
    for (const auto& [file, copy] : kSavedServerFiles) {
        CopyFileIfPresent(platform, agent.system + file, agent.repository + copy);
    }
}

}  // namespace

PostProcessFolders FormPostProcessFolders(const std::vector<std::string>& fields) {
    PostProcessFolders folders;
    folders.agent = FormAgentFolders(runtime::FieldOrEmpty(fields, 0), runtime::FieldOrEmpty(fields, 1),
                                     runtime::FieldOrEmpty(fields, 2));
    folders.programMenu = runtime::FieldOrEmpty(fields, 3);
    folders.legacyMenu = runtime::JoinStrings("\\", {folders.programMenu, kLegacyMenuFolderName});
    folders.firstInstallation = runtime::FieldOrEmpty(fields, 4) == "1";
    folders.framework = runtime::FieldOrEmpty(fields, 5);
    folders.backEnd = runtime::FieldOrEmpty(fields, 6);
    folders.shared = runtime::FieldOrEmpty(fields, 7);
    folders.temp = runtime::FieldOrEmpty(fields, 8);
    return folders;
}

}  // namespace veltra::upgrade

namespace veltra::actions {

platform::Dword PostProcessAgentInstall(platform::Platform& platform) {
    const auto deferred = runtime::DeferredFields(platform.installer);
    if (!deferred) return platform::kErrorInstallFailure;
    const upgrade::PostProcessFolders folders = upgrade::FormPostProcessFolders(*deferred);

    if (upgrade::Exists(platform, folders.agent.repository + runtime::kAgentInstalledMarker)) {
        upgrade::FinishInstallation(platform, folders);
    } else {
        runtime::Log(platform.installer, "the agent's installed marker is gone: cleaning up after its removal");
        upgrade::CleanUpAfterRemoval(platform, folders);
    }

    upgrade::SetBrevinLogonFlag(platform, gina::IsAgentGinaChained(platform));
    for (const char* file : upgrade::kTemporaryFiles) upgrade::RemoveOrRenameFile(platform, folders.temp + file);
    upgrade::RemoveDayFiles(platform);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
