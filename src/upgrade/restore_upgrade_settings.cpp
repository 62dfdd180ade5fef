// RestoreUpgradeSettings: after the new files are in place, carries the
// settings saved in the upgrade key back into the machine's settings keys,
// for each component that both the old and the new installation have.
// Versions and file paths stay those of the new installation.
//
// As in the capture, every settings class is handed one key path that is
// rewritten between Load and Save and followed by the classes.
#include <array>

#include "runtime/agent_keys.h"
#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "upgrade/client_settings_carry.h"
#include "upgrade/eap_copy.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {
namespace {

using platform::Dword;
using settings::NetworkValue;
using settings::RasValue;
using settings::SettingsContext;
using settings::SharedKeyPath;

void RestoreNetworkSettings(SettingsContext& context, SharedKeyPath& path) {
    settings::NetworkSettings network(context);
    path.Assign(runtime::kSettingsRoot, "KVNETWORK");
    network.SetRoot(path, false);
    std::array<char, 261> installPath{};
    Dword size = 260;
    if (network.Get(NetworkValue::InstallPath, installPath.data(), &size) != settings::kRegResultSuccess) {
        installPath.fill('\0');
    }
    Dword major = 0;
    Dword minor = 0;
    network.Get(NetworkValue::MajorVersion, &major);
    network.Get(NetworkValue::MinorVersion, &minor);

    path.Assign(kUpgradeKey, "\\KVNETWORK");
    network.Load(path, true);
    path.Assign(runtime::kSettingsRoot, "KVNETWORK");
    network.Save(path, true, false);

    network.SetText(NetworkValue::InstallPath, installPath.data());
    network.Set(NetworkValue::MajorVersion, major);
    network.Set(NetworkValue::MinorVersion, minor);
}

void RestoreGinaSettings(SettingsContext& context, SharedKeyPath& path) {
    settings::GinaSettings gina(context);
    path.Assign(kUpgradeKey, "\\KVGINA");
    gina.Load(path, true);
    path.Assign(runtime::kSettingsRoot, "KVGINA");
    gina.Save(path, true, false);
}

// The new installation's values that the saved copy must not replace, in the
// order they are written back.
constexpr std::array<RasValue, 7> kNewRasPaths = {
    RasValue::FriendlyName32,      RasValue::IdentityPath15, RasValue::IdentityPath32, RasValue::InteractiveUIPath15,
    RasValue::InteractiveUIPath32, RasValue::Path15,         RasValue::Path32};

void RestoreRasSettings(SettingsContext& context, SharedKeyPath& path) {
    settings::RasSettings ras(context, true);
    path.Assign(runtime::kSettingsRoot, "KVRAS");
    ras.SetRoot(path, false);
    Dword major = 0;
    Dword minor = 0;
    ras.Get(RasValue::MajorVersion, &major);
    ras.Get(RasValue::MinorVersion, &minor);
    std::array<RasText, kNewRasPaths.size()> paths{};
    for (std::size_t i = 0; i < paths.size(); ++i) paths[i].Read(ras, kNewRasPaths[i]);

    path.Assign(kUpgradeKey, "\\KVRAS");
    ras.Load(path, true);
    path.Assign(runtime::kSettingsRoot, "KVRAS");
    ras.Save(path, true, false);

    ras.Set(RasValue::MajorVersion, major);
    ras.Set(RasValue::MinorVersion, minor);
    for (std::size_t i = 0; i < paths.size(); ++i) paths[i].Write(ras, kNewRasPaths[i]);
}

}  // namespace

void RestoreUpgradeSettings(platform::Platform& platform, const AgentComponents& installed) {
    const bool hadLocal = IsComponentMarkedForUpgrade(platform, UpgradeComponent::LocalAuthClient);
    const bool hadDomainClient = IsComponentMarkedForUpgrade(platform, UpgradeComponent::DomainAuthClient);
    const bool hadDomainServer = IsComponentMarkedForUpgrade(platform, UpgradeComponent::DomainAuthServer);
    const bool hadRemoteServer = IsComponentMarkedForUpgrade(platform, UpgradeComponent::RemoteAuthServer);
    // The EAP client's mark is read like the others; nothing of it is carried.
    IsComponentMarkedForUpgrade(platform, UpgradeComponent::RemoteAuthClient);

    SharedKeyPath path;
    SettingsContext context(platform.registry);

    // The domain settings fit only where the domain server is present in
    // both installations or in neither.
    if (installed.domainClient && hadDomainClient &&
        (hadDomainServer && hadDomainClient) == (installed.domainServer && installed.domainClient)) {
        RestoreNetworkSettings(context, path);
        RestoreGinaSettings(context, path);
        RestoreClientSettings(platform, context, path);
    }
    if (installed.localClient && hadLocal) {
        RestoreGinaSettings(context, path);
        RestoreClientSettings(platform, context, path);
    }
    if (installed.remoteServer && hadRemoteServer) {
        RestoreRasSettings(context, path);
        RestoreClientSettings(platform, context, path);
    }
}

}  // namespace veltra::upgrade
