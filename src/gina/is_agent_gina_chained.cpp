// IsAgentGinaChained: whether Winlogon's chain ends, as far as its files
// exist, at the agent GINA.
#include "gina/chain_walk.h"
#include "gina/gina_chain.h"
#include "gina/gina_names.h"

namespace veltra::gina {

bool IsAgentGinaChained(platform::Platform& platform) {
    const GinaChainWalk walk = WalkGinaChain(platform);
    return IsAgentGina(platform.system, GinaIdentity(platform.system, walk.lastExisting));
}

}  // namespace veltra::gina
