// InvokeRegistrationForm (immediate): puts the installed components into the
// address SetupRegistration composed and opens the page in the default
// browser. Whatever the browser does, the installation has succeeded.
#include <string>

#include "configfiles/file_placement.h"
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "silentpackage/registration_page.h"

namespace veltra::actions {
namespace {

constexpr std::size_t kFinalUrlBuffer = 256;  // room for 255 characters

// "L," for the local client, "N," for a domain client or server, "R," for a
// remote-access client or server, from the markers the package lays down
// with each component. The trailing comma is part of what the page reads.
std::string ComponentList(platform::Files& files, const std::string& installDir) {
    if (installDir.empty()) return {};  // no folder, no markers to look at
    const std::string repository = installDir + runtime::kRepositoryFolderName;
    auto installed = [&](const char* marker) { return configfiles::FileExists(files, repository + marker); };

    std::string list;
    if (installed("LocalClientKEY.txt")) list += "L,";
    if (installed("DomainClientKEY.txt") || installed("DomainServerKEY.txt")) list += "N,";
    if (installed("RemoteClientKEY.txt") || installed("RemoteServerKEY.txt")) list += "R,";
    return list;
}

}  // namespace

platform::Dword InvokeRegistrationForm(platform::Platform& platform) {
    const std::string finalUrl =
        silentpackage::ReadPropertyWithin(platform.installer, silentpackage::kFinalUrlProperty, kFinalUrlBuffer);
    const std::string installDir =
        silentpackage::ReadPropertyWithin(platform.installer, "INSTALLDIR", runtime::kPathBuffer);
    if (finalUrl.empty()) {
        runtime::Log(platform.installer, "no registration address in FINALURL: the page is not opened");
        return platform::kErrorSuccess;
    }

    std::string address = finalUrl;
    if (const std::size_t placeholder = finalUrl.find(silentpackage::kComponentsPlaceholder);
        placeholder != std::string::npos) {
        address = finalUrl.substr(0, placeholder) + ComponentList(platform.files, installDir) +
                  finalUrl.substr(placeholder + 1);
    }

    const std::intptr_t opened =
        platform.shell.ShellExecute(platform::Hwnd{}, "OPEN", address.c_str(), nullptr, "", platform::kSwShowMaximized);
    if (opened <= 32) runtime::LogFailure(platform, "ShellExecuteA", address, static_cast<platform::Dword>(opened));
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
