// Comparing what two machines did to their registries: the changes of each
// (before -> after), reduced to the watched keys, put in a form where the
// known, harmless differences of Wine's registry (value order, sibling order,
// the spelling case of names) no longer count.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/registry_tree.h"

namespace veltra::e2e {

// One change as a line that reads like a .reg diff, plus the key it is
// compared by (names folded to upper case).
struct ComparableChange {
    std::string text;
    std::string key;
    friend bool operator<(const ComparableChange& a, const ComparableChange& b) {
        return a.key < b.key;
    }
};

// Whether a full key path lies at or below one of the watched keys.
bool IsWatched(const std::string& key, const std::vector<std::string>& watched);

// The watched changes, sorted by their comparison key.
std::vector<ComparableChange> Comparable(const std::vector<sim::RegChange>& changes,
                                         const std::vector<std::string>& watched);

// "" when both sides made the same changes; otherwise a report of what only
// one of them did.
std::string CompareChanges(const std::vector<ComparableChange>& wine,
                           const std::vector<ComparableChange>& simulated);

// The watched keys with every key that lies below another one dropped (an
// export of a key includes its subtree), in a stable order.
std::vector<std::string> OutermostKeys(std::vector<std::string> keys);

}  // namespace veltra::e2e
