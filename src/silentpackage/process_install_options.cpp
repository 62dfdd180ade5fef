// ProcessInstallOptions (deferred): applies the install options packed by
// SetDeferredInstallOptions to the machine - the network switches, the custom
// logon banner, the PIN-unlock settings and the agent GINA - for the agent
// components the installation laid down. Only a failed banner copy or a
// failed GINA switch fails the action, and then the installation is rolled
// back: a machine left half switched could lock its users out.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "configfiles/banner_bitmap.h"
#include "configfiles/bitmap_copy.h"
#include "configfiles/file_placement.h"
#include "gina/gina_chain.h"
#include "gina/gina_dialogs.h"
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "settings/decimal_text.h"
#include "silentpackage/install_options.h"

namespace veltra::actions {
namespace {

using platform::Dword;

constexpr const char* kRollBackMessage =
    "The installation changes will be rolled back now\n"
    "to prevent your system from becoming locked.";

// INSTALLUILEVEL_NONE: the options came from the package's options file.
constexpr const char* kNoUserInterface = "2";

// What the options act on, settled once from the first two fields.
struct Installation {
    std::string agentGina;
    std::string repositoryFolder;
    bool silent = false;
    bool localClient = false;
    bool domainClient = false;

    bool AnyLogonClient() const { return localClient || domainClient; }
};

Installation ReadInstallation(platform::Platform& platform, const std::vector<std::string>& fields) {
    Installation installation;
    const std::string installFolder = runtime::FieldOrEmpty(fields, 0);
    installation.silent = runtime::FieldOrEmpty(fields, 1) == kNoUserInterface;
    installation.agentGina = runtime::JoinStrings("\\", {installFolder, "KeshGina.dll"});
    installation.repositoryFolder = runtime::JoinStrings("\\", {installFolder, runtime::kRepositoryFolderName});
    // The package lays one marker per component it installed.
    installation.localClient =
        configfiles::FileExists(platform.files, installation.repositoryFolder + "LocalClientKEY.txt");
    installation.domainClient =
        configfiles::FileExists(platform.files, installation.repositoryFolder + "DomainClientKEY.txt");
    return installation;
}

// Writes one value of the GINA key; a key that does not open is skipped.
template <typename Write>
void WriteGinaSetting(platform::Platform& platform, const char* valueName, Write write) {
    platform::RegKey gina;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                          runtime::kGinaSettingsKey, platform::kKeyAllAccess, gina);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, runtime::kGinaSettingsKey),
                            opened);
        return;
    }
    const Dword written = write(gina.get());
    if (written != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, runtime::kGinaSettingsKey,
                                                  valueName),
                            written);
    }
}

void WriteGinaDword(platform::Platform& platform, const char* valueName, Dword value) {
    WriteGinaSetting(platform, valueName, [&](platform::HKey gina) {
        return runtime::WriteDword(platform.registry, gina, valueName, value);
    });
}

// The wizard's number fields as the C runtime's atoi reads them: "15abc" is
// 15, "abc" is 0.
Dword DecimalValue(const std::string& text) {
    return settings::ParseDecimalText(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// In a silent installation the banner comes from the package; with dialogs
// the wizard's choice was already put in place. In both, "CustomBitmap"
// names the banner in the repository folder exactly while it is there.
Dword ApplyCustomBanner(platform::Platform& platform, const Installation& installation,
                        const std::string& importBanner, const std::string& bannerSource) {
    if (installation.silent) {
        Dword copied = platform::kErrorSuccess;
        if (importBanner != silentpackage::kOptionOn) {
            copied = configfiles::CopyBannerBitmap(platform, bannerSource, installation.repositoryFolder,
                                                   configfiles::BannerCopy::Remove,
                                                   configfiles::CopyPurpose::Installation);
        } else if (bannerSource != "0") {  // "0": no bitmap was chosen
            copied = configfiles::CopyBannerBitmap(platform, bannerSource, installation.repositoryFolder,
                                                   configfiles::BannerCopy::Copy,
                                                   configfiles::CopyPurpose::Installation);
        }
        if (copied != platform::kErrorSuccess) return copied;
    }

    const std::string banner = installation.repositoryFolder + configfiles::kBannerBitmapName;
    const bool bannerInPlace = configfiles::FileExists(platform.files, banner);
    WriteGinaSetting(platform, "CustomBitmap", [&](platform::HKey gina) -> Dword {
        if (bannerInPlace) return runtime::WriteString(platform.registry, gina, "CustomBitmap", banner);
        const Dword deleted = platform.registry.DeleteValue(gina, "CustomBitmap");
        return deleted == platform::kErrorFileNotFound ? platform::kErrorSuccess : deleted;
    });
    return platform::kErrorSuccess;
}

// Switches the agent GINA on. Quiet in a silent installation: another
// product's GINA at the end of the chain is then displaced without asking.
// A switch that fails takes the agent GINA out again.
Dword SwitchAgentGinaOn(platform::Platform& platform, const Installation& installation) {
    const Dword switched = gina::SetGinaWithDialogs(platform, true, installation.silent, installation.agentGina);
    if (switched == platform::kErrorSuccess) return switched;
    runtime::LogFailure(platform, "SetGinaWithDialogs", installation.agentGina, switched);
    gina::SetAgentGina(platform, false, nullptr, false);
    return switched;
}

Dword RollBack(platform::Platform& platform) {
    platform.installer.SetProperty("ISSCHEDULEREBOOT", "");
    runtime::ShowMessage(platform.windows, platform::Hwnd{}, kRollBackMessage, runtime::style::kServiceError);
    return platform::kErrorInstallFailure;
}

}  // namespace

platform::Dword ProcessInstallOptions(platform::Platform& platform) {
    const std::vector<std::string> fields =
        runtime::SplitDeferredData(runtime::GetMsiProperty(platform.installer, "CustomActionData"));
    // No data: no options to apply.
    if (fields.empty()) return platform::kErrorSuccess;
    const Installation installation = ReadInstallation(platform, fields);

    // The options come in name and value pairs; a pair cut short ends them.
    std::size_t next = 2;
    while (next + 1 < fields.size()) {
        const std::string_view name = fields[next];
        const std::string& value = fields[next + 1];
        const bool on = value == silentpackage::kOptionOn;
        next += 2;

        if (name == "AGENT_ACTIVATION_STATE") {
            if (installation.domainClient) silentpackage::SetDomainClientEnabled(platform, on);
        } else if (name == "WINDOWS_PASSWORD_STATE") {
            if (installation.domainClient) silentpackage::SetLocalPasswordsAllowed(platform, on);
        } else if (name == "IMPORT_CUSTOMBITMAP_STATE") {
            // Followed by the pair "BITMAPFILE_SOURCE" and the bitmap's path.
            if (next + 1 >= fields.size()) break;
            const std::string& bannerSource = fields[next + 1];
            next += 2;
            if (installation.AnyLogonClient() &&
                ApplyCustomBanner(platform, installation, value, bannerSource) != platform::kErrorSuccess) {
                return RollBack(platform);
            }
        } else if (name == "PIN_UNLOCK_ENABLED_STATE") {
            if (installation.AnyLogonClient() && installation.silent) {
                WriteGinaDword(platform, "EnablePinUnlock", on ? 1 : 0);
            }
        } else if (name == "PIN_UNLOCK_TIMEOUT") {
            if (installation.AnyLogonClient() && installation.silent) {
                WriteGinaDword(platform, "PinLifetime", DecimalValue(value));
            }
        } else if (name == "PIN_UNLOCK_ATTEMPTS") {
            if (installation.AnyLogonClient() && installation.silent) {
                WriteGinaDword(platform, "PinAttempts", DecimalValue(value));
            }
        } else if (name == "SILENT_INSTALL_SET_GINA_ON") {
            if (installation.AnyLogonClient() && on &&
                SwitchAgentGinaOn(platform, installation) != platform::kErrorSuccess) {
                return RollBack(platform);
            }
        }
        // Any other name is not an option of this version: ignored.
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
