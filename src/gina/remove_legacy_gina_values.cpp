// RemoveLegacyGinaValues: after an upgrade, Winlogon must no longer name the
// legacy agent's GINA, neither as the GINA it loads nor as the one to put
// back when the agent GINA leaves.
#include "gina/gina_chain.h"
#include "gina/gina_names.h"
#include "runtime/registry_ops.h"

namespace veltra::gina {
namespace {

void DeleteIfLegacy(platform::Registry& registry, platform::System& system, platform::HKey winlogon,
                    const char* value) {
    const auto gina = runtime::ReadString(registry, winlogon, value);
    if (gina && IsLegacyGina(system, GinaIdentity(system, *gina))) registry.DeleteValue(winlogon, value);
}

}  // namespace

void RemoveLegacyGinaValues(platform::Registry& registry, platform::System& system) {
    platform::RegKey winlogon;
    if (runtime::OpenKey(registry, platform::kHkeyLocalMachine, kWinlogonKey,
                         platform::kKeyAllAccess, winlogon) != platform::kErrorSuccess) {
        return;
    }
    DeleteIfLegacy(registry, system, winlogon.get(), kGinaDllValue);
    DeleteIfLegacy(registry, system, winlogon.get(), kSupercededGinaValue);
}

}  // namespace veltra::gina
