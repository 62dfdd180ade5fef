#include "selection/agent_features.h"

namespace veltra::selection {

bool IsFeatureInstalled(platform::Installer& installer, const std::string& productCode,
                        const char* feature) {
    return installer.QueryFeatureState(productCode.c_str(), feature) == platform::kInstallStateLocal;
}

}  // namespace veltra::selection
