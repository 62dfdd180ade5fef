// RecordInstallOptions: the end of package creation. The choices the
// administrator made in the package wizard go into the options file of the
// package folder, under the names the silent installation reads; then the
// agent's settings go into the registry configuration file. Package creation
// must not go on into an installation, so the action fails on every path.
#include <optional>
#include <string>
#include <vector>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"
#include "silentpackage/options_file.h"
#include "silentpackage/registry_config_file.h"
#include "silentpackage/text_mode_file.h"

namespace veltra::actions {
namespace {

// The wizard's values are read into buffers with room for this many
// characters; a longer value cannot be read and takes its line's default.
constexpr std::size_t kOptionRoom = 127;
constexpr std::size_t kNovellRoom = 4;

std::optional<std::string> ReadIfItFits(platform::Installer& installer, const char* name, std::size_t room) {
    std::vector<char> buffer(room + 1, '\0');
    platform::Dword cch = static_cast<platform::Dword>(room + 1);
    if (installer.GetProperty(name, buffer.data(), &cch) != platform::kErrorSuccess) return std::nullopt;
    return std::string(buffer.data());
}

std::string ValueOr(platform::Installer& installer, const char* name, const char* fallback) {
    const std::optional<std::string> value = ReadIfItFits(installer, name, kOptionRoom);
    return value && !value->empty() ? *value : fallback;
}

std::string TrueOrFalse(platform::Installer& installer, const char* name) {
    return ReadIfItFits(installer, name, kOptionRoom) == "True" ? "True" : "False";
}

std::string NovellFlag(platform::Installer& installer) {
    const std::optional<std::string> value =
        ReadIfItFits(installer, "_ENABLE_NOVELL_PASSWORD_UPDATE", kNovellRoom);
    return value && value->starts_with('1') ? "1" : "0";
}

}  // namespace

platform::Dword RecordInstallOptions(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    std::string text;
    auto write = [&text](const char* name, const std::string& value) { text += silentpackage::OptionLine(name, value); };

    // The components the package installs; only "0" leaves one out of the
    // registry configuration, whatever else the wizard left.
    const std::string dac = ValueOr(installer, "InstallSilentDAC", "0");
    const std::string lac = ValueOr(installer, "InstallSilentLAC", "0");
    const std::string autoreg = ValueOr(installer, "InstallSilentAUTOREG", "0");
    const std::string ras = ValueOr(installer, "InstallSilentRAS", "0");
    const std::string eap = ValueOr(installer, "InstallSilentEAP", "0");
    const bool lacSelected = lac != "0";
    const bool rasSelected = ras != "0";
    write("InstallSilentDAC", dac);
    write("InstallSilentLAC", lac);
    write("InstallSilentAUTOREG", autoreg);
    write("InstallSilentRAS", ras);
    write("InstallSilentEAP", eap);

    write("AUTH_CONFIG_DIALOG", "1");
    write("AUTHCONFIGSELECTED", ValueOr(installer, "AUTHCONFIGSELECTED", "1"));
    write("AGENT_ACTIVATION_STATE", TrueOrFalse(installer, "_AGENT_ACTIVATION_STATE"));
    write("WINDOWS_PASSWORD_STATE", TrueOrFalse(installer, "_WINDOWS_PASSWORD_STATE"));
    write("IMPORT_CUSTOMBITMAP_STATE", TrueOrFalse(installer, "_IMPORT_BITMAP"));
    write("ENABLE_NOVELL_PASSWORD_UPDATE", NovellFlag(installer));
    write("PIN_UNLOCK_ENABLED_STATE", TrueOrFalse(installer, "_UNLOCK_ENABLED"));
    write("PIN_UNLOCK_TIMEOUT", ReadIfItFits(installer, "_TIME_OUT", kOptionRoom).value_or(""));
    write("PIN_UNLOCK_ATTEMPTS", ReadIfItFits(installer, "_ATTEMPTS", kOptionRoom).value_or(""));
    // The legal notice may run to many lines; its line breaks travel as marks.
    const std::string noticeText = runtime::GetMsiProperty(installer, "WINLOGON_LEGALNOTICETEXT");
    if (!noticeText.empty()) write("WINLOGON_LEGALNOTICETEXT", noticeText);
    const std::string noticeCaption = runtime::GetMsiProperty(installer, "WINLOGON_LEGALNOTICECAPTION");
    if (!noticeCaption.empty()) write("WINLOGON_LEGALNOTICECAPTION", noticeCaption);
    const std::string registryConfigState = TrueOrFalse(installer, "_REGISTRY_CONFIG_STATE");
    write("REGISTRY_CONFIG_STATE", registryConfigState);
    write("REGISTRY_CONFIG_GROUP", TrueOrFalse(installer, "_REGISTRY_CONFIG_GROUP"));
    write("REGISTRY_CONFIG_PASSWD", TrueOrFalse(installer, "_REGISTRY_CONFIG_PASSWD"));

    const std::string path = runtime::JoinStrings(
        "\\", {runtime::GetMsiSourcePath(installer, "SourceDir"), "SilentInstallPackage",
               silentpackage::kOptionsFileName});
    if (!silentpackage::WriteTextFile(platform, path, text)) {
        // A package without its options cannot install; nothing more is made.
        installer.SetProperty("PACKAGE_CREATE_ERROR", "1");
        return platform::kErrorInstallFailure;
    }

    if (registryConfigState == "True") {
        silentpackage::RecordRegistryConfiguration(platform, lacSelected, rasSelected);
    }
    return platform::kErrorInstallFailure;
}

}  // namespace veltra::actions
