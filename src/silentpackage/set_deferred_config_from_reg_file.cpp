// SetDeferredConfigFromRegFile: when the package carries agent settings,
// packs what ConfigFromRegistryFile needs. Fields: repository folder;
// clear-text path and scrambled path in the temporary folder (where
// RepositionDataForCopy put the package's file); the builder's choices
// "REGISTRY_CONFIG_GROUP" and "REGISTRY_CONFIG_PASSWD".
#include <string>

#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"
#include "silentpackage/registry_config_file.h"

namespace veltra::actions {

platform::Dword SetDeferredConfigFromRegFile(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    if (runtime::GetMsiProperty(installer, "REGISTRY_CONFIG_STATE") != "True") return platform::kErrorSuccess;

    constexpr std::size_t kPathCapacity = 260;
    const std::string tempFolder = runtime::GetMsiPropertyFixed(installer, "TempFolder", kPathCapacity);
    const std::string installFolder = runtime::GetMsiPropertyFixed(installer, "INSTALLDIR", kPathCapacity);

    const std::string repositoryFolder = installFolder + runtime::kRepositoryFolderName;
    const std::string clearText = runtime::JoinStrings("\\", {tempFolder, silentpackage::kRegistryConfigTextName});
    const std::string scrambled =
        runtime::JoinStrings("\\", {tempFolder, silentpackage::kRegistryConfigScrambledName});
    const std::string group = runtime::GetMsiProperty(installer, "REGISTRY_CONFIG_GROUP");
    const std::string password = runtime::GetMsiProperty(installer, "REGISTRY_CONFIG_PASSWD");

    const std::string data = runtime::JoinStrings(";", {repositoryFolder, clearText, scrambled, group, password});
    installer.SetProperty("ConfigFromRegistryFile", data.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
