#include "registry_compare.h"

#include <algorithm>
#include <sstream>

namespace veltra::e2e {
namespace {

// By sim::RegChange::Kind.
const char* const kKindNames[] = {"key added", "key deleted", "value added", "value changed", "value deleted"};

std::string Data(const std::optional<sim::RegValue>& value) {
    return value ? sim::FormatRegValueData(*value, sim::RegFormat::Regedit4) : "-";
}

bool IsSameOrBelow(const std::string& key, const std::string& ancestor) {
    const std::string folded = sim::FoldCase(key);
    const std::string root = sim::FoldCase(ancestor);
    return folded == root ||
           (folded.size() > root.size() && folded.compare(0, root.size(), root) == 0 &&
            folded[root.size()] == '\\');
}

void PrintSide(std::ostringstream& out, const char* title,
               const std::vector<ComparableChange>& changes) {
    out << title << " (" << changes.size() << " changes):\n";
    for (const auto& change : changes) out << "    " << change.text << "\n";
}

}  // namespace

bool IsWatched(const std::string& key, const std::vector<std::string>& watched) {
    return std::any_of(watched.begin(), watched.end(),
                       [&](const std::string& root) { return IsSameOrBelow(key, root); });
}

std::vector<ComparableChange> Comparable(const std::vector<sim::RegChange>& changes,
                                         const std::vector<std::string>& watched) {
    std::vector<ComparableChange> result;
    for (const sim::RegChange& change : changes) {
        if (!IsWatched(change.key, watched)) continue;
        const bool isValue =
            change.kind != sim::RegChange::KeyAdded && change.kind != sim::RegChange::KeyDeleted;
        std::string text = std::string(kKindNames[change.kind]) + ": [" + change.key + "]";
        std::string key =
            std::string(kKindNames[change.kind]) + " [" + sim::FoldCase(change.key) + "]";
        if (isValue) {
            const std::string name = change.name.empty() ? "@" : "\"" + change.name + "\"";
            const std::string data = Data(change.before) + " -> " + Data(change.after);
            text += " " + name + " " + data;
            key += " " + sim::FoldCase(name) + " " + data;
        }
        result.push_back({std::move(text), std::move(key)});
    }
    std::stable_sort(result.begin(), result.end());
    return result;
}

std::string CompareChanges(const std::vector<ComparableChange>& wine,
                           const std::vector<ComparableChange>& simulated) {
    std::vector<ComparableChange> onlyWine;
    std::vector<ComparableChange> onlySim;
    std::set_difference(wine.begin(), wine.end(), simulated.begin(), simulated.end(),
                        std::back_inserter(onlyWine));
    std::set_difference(simulated.begin(), simulated.end(), wine.begin(), wine.end(),
                        std::back_inserter(onlySim));
    if (onlyWine.empty() && onlySim.empty()) return {};
    std::ostringstream out;
    PrintSide(out, "only in Wine", onlyWine);
    PrintSide(out, "only in the simulated machine", onlySim);
    return out.str();
}

std::vector<std::string> OutermostKeys(std::vector<std::string> keys) {
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return sim::FoldCase(a) < sim::FoldCase(b);
    });
    std::vector<std::string> outermost;
    for (const std::string& key : keys) {
        if (!IsWatched(key, outermost)) outermost.push_back(key);
    }
    return outermost;
}

}  // namespace veltra::e2e
