// SetDeferredTokaraChallenge (immediate): packs the data of
// ConfigUsersTokaraChallenge: "<mode>;<computer name>;<repository folder>".
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"
#include "services/challenge.h"

namespace veltra::actions {

platform::Dword SetDeferredTokaraChallenge(platform::Platform& platform) {
    std::string mode = services::ReadChallengeFlag(platform.installer, "AUTHCONFIGSELECTED").value_or("");
    if (mode.empty()) mode = services::kChallengeDefault;
    const std::string computerName = runtime::GetMsiPropertyFixed(platform.installer, "ComputerName", 260);
    const std::string installDir = runtime::GetMsiPropertyFixed(platform.installer, "INSTALLDIR", 260);
    const std::string repository = runtime::JoinStrings("\\", {installDir, runtime::kRepositoryFolderName});
    platform.installer.SetProperty("ConfigTokaraChallenge",
                                   runtime::JoinStrings(";", {mode, computerName, repository}).c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
