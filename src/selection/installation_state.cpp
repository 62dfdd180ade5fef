// GetInstallationState: tells the wizard's dialogs which agent components
// this product already has, one "1"/"0" property per component.
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/session.h"
#include "selection/agent_features.h"

namespace veltra::actions {

platform::Dword GetInstallationState(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const std::string productCode = runtime::GetMsiProperty(installer, "ProductCode");
    if (productCode.empty()) return platform::kErrorInstallFailure;

    struct StateProperty {
        const char* property;
        const char* feature;
    };
    static constexpr StateProperty kStates[] = {
        {"DOMAINCLIENT", selection::kDomainAuthClient},
        {"DOMAINSERVER", selection::kDomainAuthServer},
        {"LOCALCLIENT", selection::kLocalAuthClient},
        {"REMOTESERVER", selection::kRemoteAuthServer},
        {"REMOTECLIENT", selection::kRemoteAuthClient},
    };
    for (const StateProperty& state : kStates) {
        const bool installed = selection::IsFeatureInstalled(installer, productCode, state.feature);
        installer.SetProperty(state.property, installed ? "1" : "0");
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
