// PrepForPossiblePost5_Upgrade (immediate): before the old product is
// removed, copies the settings of an upgradable previous Authentication Agent
// into the per-user upgrade key, component by component, marks there which
// components the old product had, and hands a domain host's domain secret
// to the temporary folder, from where the day-file folder action moves it.
//
// Every settings class is handed one key path, rewritten between each Load
// and Save. The classes follow it rather than copy it, so accessors used
// after a Save act on the saved copy, and the logon settings'
// "AllowLocalAuth" goes wherever the path names at that moment: into the
// copy of "KVGINA" once the network settings were carried.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "settings/gina_settings.h"
#include "settings/network_settings.h"
#include "settings/ras_settings.h"
#include "silentpackage/domain_secret.h"
#include "upgrade/client_settings_carry.h"
#include "upgrade/eap_copy.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::actions {
namespace {

using platform::Dword;
using settings::SharedKeyPath;
using settings::SettingsContext;
using upgrade::UpgradeComponent;

using silentpackage::kDomainSecretFile;
using silentpackage::kMigrationFailedMessage;

bool HadFeature(platform::Platform& platform, const std::string& productCode, const char* feature) {
    return platform.installer.QueryFeatureState(productCode.c_str(), feature) == platform::kInstallStateLocal;
}

void CaptureNetworkSettings(SettingsContext& context, SharedKeyPath& path, std::string_view oldRoot) {
    settings::NetworkSettings network(context);
    path.Assign(oldRoot, "KVNETWORK");
    network.Load(path, false);
    path.Assign(upgrade::kUpgradeKey, "\\KVNETWORK");
    network.Save(path, true, true);
}

void CaptureGinaSettings(SettingsContext& context, SharedKeyPath& path, std::string_view oldRoot) {
    settings::GinaSettings gina(context);
    path.Assign(oldRoot, "KVGINA");
    gina.Load(path, false);
    path.Assign(upgrade::kUpgradeKey, "\\KVGINA");
    gina.Save(path, true, true);
}

// A legacy-key agent configured its EAP method as type 15 only; the new
// agent's type 32 takes over that configuration.
void CaptureRasSettings(SettingsContext& context, SharedKeyPath& path, std::string_view oldRoot,
                        upgrade::UpgradeId id) {
    settings::RasSettings ras(context, true);
    path.Assign(oldRoot, "KVRAS");
    ras.Load(path, false);
    upgrade::EapMethodCopy type15;
    if (id == upgrade::UpgradeIdLegacyKey) type15.ReadType15(ras);
    path.Assign(upgrade::kUpgradeKey, "\\KVRAS");
    ras.Save(path, true, true);
    // The class now acts on the saved copy.
    if (id == upgrade::UpgradeIdLegacyKey) type15.WriteAsType32(ras);
}

// Only a domain host has a domain secret; without it the host cannot
// authenticate offline after the upgrade, so a failed copy stops everything.
Dword HandOnDomainSecret(platform::Platform& platform) {
    const std::string tempFolder = runtime::GetMsiPropertyFixed(platform.installer, "TempFolder", runtime::kPathBuffer);
    const auto dayfileDir =
        upgrade::GetDomainHostDayfileDir(platform, runtime::kLegacySettingsRoot, runtime::kPathBuffer);
    if (!dayfileDir) return platform::kErrorSuccess;
    const std::string source = runtime::JoinStrings("\\", {*dayfileDir, kDomainSecretFile});
    const std::string destination = runtime::JoinStrings("\\", {tempFolder, kDomainSecretFile});
    if (!platform.files.CopyFile(source.c_str(), destination.c_str(), false)) {
        runtime::LogLastError(platform, "CopyFileA", source);
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kMigrationFailedMessage,
                             runtime::style::kServiceError);
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace

Dword PrepForPossiblePost5_Upgrade(platform::Platform& platform) {
    std::string productCode;
    const upgrade::UpgradeId id =
        upgrade::GetPreviousAgentVersion(platform, upgrade::AgentVersionMode::Record, productCode);
    if (id != upgrade::UpgradeIdLegacyKey && id != upgrade::UpgradeIdCurrentKey) return platform::kErrorSuccess;
    const std::string_view oldRoot =
        id == upgrade::UpgradeIdLegacyKey ? runtime::kLegacySettingsRoot : runtime::kSettingsRoot;

    // The path outlives the context whose classes follow it.
    SharedKeyPath path;
    SettingsContext context(platform.registry);

    if (HadFeature(platform, productCode, "DomainAuthClient")) {
        upgrade::MarkComponentForUpgrade(platform, UpgradeComponent::DomainAuthClient);
        CaptureNetworkSettings(context, path, oldRoot);
        CaptureGinaSettings(context, path, oldRoot);
        upgrade::CaptureClientSettings(platform, context, path);
    }
    if (HadFeature(platform, productCode, "DomainAuthServer")) {
        upgrade::MarkComponentForUpgrade(platform, UpgradeComponent::DomainAuthServer);
        if (HandOnDomainSecret(platform) != platform::kErrorSuccess) return platform::kErrorInstallFailure;
    }
    if (HadFeature(platform, productCode, "LocalAuthClient")) {
        upgrade::MarkComponentForUpgrade(platform, UpgradeComponent::LocalAuthClient);
        CaptureGinaSettings(context, path, oldRoot);
        upgrade::CaptureClientSettings(platform, context, path);
    }
    if (HadFeature(platform, productCode, "RemoteAuthServer")) {
        upgrade::MarkComponentForUpgrade(platform, UpgradeComponent::RemoteAuthServer);
        CaptureRasSettings(context, path, oldRoot, id);
        upgrade::CaptureClientSettings(platform, context, path);
    }
    if (HadFeature(platform, productCode, "RemoteAuthClient")) {
        upgrade::MarkComponentForUpgrade(platform, UpgradeComponent::RemoteAuthClient);
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
