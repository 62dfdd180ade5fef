// IsAgentGinaLoaded: the agent GINA creates its mutex when Winlogon loads it;
// creating the same mutex here finds it already there.
#include "gina/gina_chain.h"
#include "gina/gina_names.h"

namespace veltra::gina {

bool IsAgentGinaLoaded(platform::System& system) {
    const platform::Mutex mutex(system, system.CreateMutex(kAgentGinaLoadedMutex));
    if (!mutex) return false;
    // Read before the handle closes: closing may change the last error.
    return system.GetLastError() == platform::kErrorAlreadyExists;
}

}  // namespace veltra::gina
