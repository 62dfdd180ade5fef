// Reading and repairing the chain one link at a time: the building blocks of
// the chain routines in gina_chain.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::gina {

enum class GinaAccess {
    Read = 1,     // read the link to the next GINA
    Write = 2,    // point the link at a new next GINA
    Restore = 3,  // put the product's own default link back
};

// One step along a chaining GINA's link (AccessNextGina). next, known and
// chainEnd may be null. known: the GINA has a row in the chaining table (or
// is Winlogon); chainEnd: its link cannot be followed. Read and Write give
// the write status (0 when nothing failed); Restore gives the result of the
// last restoring write or delete, or 2 when nothing was restored.
platform::Dword AccessNextGina(platform::Registry& registry, platform::System& system, GinaAccess mode,
                               std::string_view gina,
                               std::string* next, std::string_view newNext, bool* known,
                               bool* chainEnd);

// Whether the file a link names is there: a bare name lives in the system
// folder, a path is taken as it is.
bool GinaFileExists(platform::Files& files, platform::System& system, std::string_view link);

// Where the walk from Winlogon ended (WalkGinaChain).
struct GinaChainWalk {
    platform::Dword status = 0;  // of the last link read
    std::string last;            // the GINA whose link could not be followed
    std::string lastExisting;    // the last link target whose file was found
    std::string insertionPoint;  // the GINA a new end of the chain is linked from
    bool exists = true;          // whether the last link target examined exists
    bool known = true;           // whether last carries the chain on (or is Winlogon)
};

// Walks the chain from Winlogon to its end, repairing it on the way.
GinaChainWalk WalkGinaChain(platform::Platform& platform);

}  // namespace veltra::gina
