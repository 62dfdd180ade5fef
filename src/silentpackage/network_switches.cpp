// The two switches of the network key that the install options turn: the
// domain authentication client and local Windows passwords.
#include "gina/gina_chain.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "silentpackage/install_options.h"

namespace veltra::silentpackage {
namespace {

using platform::Dword;

bool WriteNetworkSwitch(platform::Platform& platform, const char* valueName, bool on) {
    platform::RegKey network;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                          runtime::kNetworkSettingsKey, platform::kKeyAllAccess, network);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, runtime::kNetworkSettingsKey),
                            opened);
        return false;
    }
    const Dword written = runtime::WriteDword(platform.registry, network.get(), valueName, on ? 1 : 0);
    if (written != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, runtime::kNetworkSettingsKey,
                                                  valueName),
                            written);
        return false;
    }
    return true;
}

}  // namespace

bool SetDomainClientEnabled(platform::Platform& platform, bool enable) {
    // The domain client authenticates through the agent GINA: it is not
    // switched on while the GINA cannot be put at the end of the chain.
    if (enable && !gina::IsAgentGinaChained(platform)) {
        const Dword linked = gina::SetAgentGina(platform, true, nullptr, false);
        if (linked != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "SetAgentGina", "KeshGina.dll", linked);
            return false;
        }
    }
    return WriteNetworkSwitch(platform, "DACEnabled", enable);
}

bool SetLocalPasswordsAllowed(platform::Platform& platform, bool allow) {
    return WriteNetworkSwitch(platform, "AllowLocalAuth", allow);
}

}  // namespace veltra::silentpackage
