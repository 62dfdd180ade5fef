// WalkGinaChain: the walk from Winlogon to the end of the GINA chain,
// repairing it on the way. A link to a missing file is reset to its product's
// default, and the last GINA whose file exists is linked straight to the next
// existing one, so that products uninstalled without unhooking themselves
// drop out of the chain.
#include <algorithm>
#include <vector>

#include "gina/chain_walk.h"
#include "gina/gina_names.h"
#include "runtime/text.h"

namespace veltra::gina {
namespace {

bool AlreadyPassed(platform::System& system, const std::vector<std::string>& passed, std::string_view gina) {
    return std::any_of(passed.begin(), passed.end(), [&](const std::string& identity) {
        return runtime::EqualsIgnoreCase(system, identity, GinaIdentity(system, gina));
    });
}

}  // namespace

GinaChainWalk WalkGinaChain(platform::Platform& platform) {
    platform::System& system = platform.system;
    GinaChainWalk walk;
    std::string next;
    bool chainEnd = false;
    // Identities whose links this walk has read; Winlogon's comes first.
    std::vector<std::string> passed;

    for (;;) {
        walk.status = AccessNextGina(platform, GinaAccess::Read, walk.last, &next, {}, &walk.known,
                                     &chainEnd);
        passed.emplace_back(GinaIdentity(system, walk.last));
        if (walk.status == platform::kErrorSuccess && walk.known && walk.exists) {
            walk.insertionPoint = walk.last;
        }
        if (chainEnd) return walk;

        // Two chaining GINAs can name each other (one product installed over
        // another that had linked to it, or a displaced GINA put back behind
        // itself), and then the chain has no end. The walk reads each GINA's
        // link once: a link that leads back to a GINA already passed is not
        // followed, and the walk ends at the GINA that holds it, as at a
        // chaining GINA without a link. Ending there rather than at the GINA
        // led back to keeps every product of the loop in the chain: the GINA
        // holding the closing link is the insertion point, so linking the
        // agent GINA from it turns the loop into a line. The repairs made so
        // far stay. The one repair not made is pointing the last existing
        // GINA at the GINA led back to, which would close the loop again over
        // existing files; nor does that GINA become the last existing one,
        // since it is not at the end of the chain. As each row of the
        // chaining table is read at most once, a walk reads at most eight links.
        const bool leadsBack = AlreadyPassed(system, passed, next);

        if (!GinaFileExists(platform, next)) {
            walk.exists = false;
            AccessNextGina(platform, GinaAccess::Restore, walk.last, nullptr, {}, nullptr, nullptr);
        } else {
            walk.exists = true;
            if (!runtime::EqualsIgnoreCase(walk.lastExisting, walk.last)) {
                AccessNextGina(platform, GinaAccess::Restore, walk.last, nullptr, {}, nullptr,
                               nullptr);
                if (!leadsBack) {
                    AccessNextGina(platform, GinaAccess::Write, walk.lastExisting, nullptr, next,
                                   nullptr, nullptr);
                }
            }
            if (!leadsBack) walk.lastExisting = next;
        }
        if (leadsBack) return walk;

        walk.last = next;
    }
}

}  // namespace veltra::gina
