// CopyConfigFromRegistryFile (deferred): copies the package's registry
// configuration file to where ConfigFromRegistryFile reads it. Fields: source
// path; destination path. A copy that fails leaves whatever copy
// RepositionDataForCopy made, so it does not fail the installation.
#include <string>

#include "configfiles/file_placement.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {

platform::Dword CopyConfigFromRegistryFile(platform::Platform& platform) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (data.empty()) return platform::kErrorInstallFailure;

    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    const std::string source = runtime::FieldOrEmpty(fields, 0);
    const std::string destination = runtime::FieldOrEmpty(fields, 1);

    configfiles::CopyIntoPlace(platform, source, destination);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
