#include "platform/sim/engine/costing.h"

#include <functional>
#include <set>
#include <vector>

#include "platform/sim/engine/session_view.h"

namespace veltra::sim::engine {
namespace {

std::string WithBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

// "target:source" or one name; each may be "short|long". "." is the parent.
std::pair<std::string, std::string> DirectoryNames(const std::string& defaultDir) {
    const auto colon = defaultDir.find(':');
    const std::string target = LongName(defaultDir.substr(0, colon));
    const std::string source = colon == std::string::npos ? target : LongName(defaultDir.substr(colon + 1));
    return {target, source};
}

std::vector<std::string> SplitList(const std::string& value) {
    std::vector<std::string> items;
    std::string current;
    for (char c : value + ",") {
        if (c != ',') {
            current += c;
            continue;
        }
        const auto first = current.find_first_not_of(' ');
        const auto last = current.find_last_not_of(' ');
        if (first != std::string::npos) items.push_back(current.substr(first, last - first + 1));
        current.clear();
    }
    return items;
}

std::string PropertyOr(const std::map<std::string, std::string>& properties, const std::string& name) {
    const auto it = properties.find(name);
    return it != properties.end() ? it->second : std::string();
}

}  // namespace

int Costing::FeatureAfter(const std::string& feature) const {
    const auto action = featureAction.find(feature);
    if (action != featureAction.end() && action->second != kStateUnknown) return action->second;
    const auto installed = featureInstalled.find(feature);
    return installed != featureInstalled.end() ? installed->second : kStateAbsent;
}

int Costing::ComponentAfter(const std::string& component) const {
    const auto action = componentAction.find(component);
    if (action != componentAction.end() && action->second != kStateUnknown) return action->second;
    const auto installed = componentInstalled.find(component);
    return installed != componentInstalled.end() ? installed->second : kStateAbsent;
}

void ResolveFolders(const Package& package, std::map<std::string, std::string>& properties, Costing& costing) {
    std::map<std::string, const DirectoryRow*> rows;
    for (const DirectoryRow& row : package.directories) rows[row.directory] = &row;
    const std::string sourceDir = WithBackslash(PropertyOr(properties, "SourceDir"));
    std::set<std::string> resolving;  // a parent loop must not recurse forever
    std::function<void(const std::string&)> resolve = [&](const std::string& id) {
        if (costing.targetFolders.count(id) != 0 || resolving.count(id) != 0) return;
        const auto it = rows.find(id);
        if (it == rows.end()) return;
        resolving.insert(id);
        const DirectoryRow& row = *it->second;
        const auto [targetName, sourceName] = DirectoryNames(row.defaultDir);
        std::string target, source;
        if (row.parent.empty() || row.parent == row.directory) {
            // A root: TARGETDIR, or the drive the installer picks.
            target = PropertyOr(properties, row.directory);
            if (target.empty()) target = PropertyOr(properties, "ROOTDRIVE");
            if (target.empty()) target = "C:\\";
            source = sourceDir;
        } else {
            resolve(row.parent);
            const std::string parentTarget = costing.targetFolders[row.parent];
            const std::string parentSource = costing.sourceFolders[row.parent];
            target = PropertyOr(properties, row.directory);
            if (target.empty()) target = targetName == "." ? parentTarget : parentTarget + targetName;
            source = sourceName == "." ? parentSource : parentSource + sourceName;
        }
        costing.targetFolders[id] = WithBackslash(target);
        costing.sourceFolders[id] = WithBackslash(source);
        properties[id] = costing.targetFolders[id];
        resolving.erase(id);
    };
    for (const DirectoryRow& row : package.directories) resolve(row.directory);
}

void ChooseStates(const Package& package, const std::map<std::string, std::string>& properties,
                  const std::map<std::string, int>& registered, bool productInstalled,
                  bool allOnlyAsWholeValue, Costing& costing) {
    for (const FeatureRow& feature : package.features) {
        const auto it = registered.find(feature.feature);
        costing.featureInstalled[feature.feature] =
            productInstalled && it != registered.end() ? it->second : kStateAbsent;
    }
    std::map<std::string, int> requested;
    auto request = [&](const std::string& property, int state) {
        const std::string value = PropertyOr(properties, property);
        const std::vector<std::string> items = SplitList(value);
        for (const std::string& item : items) {
            const bool all = allOnlyAsWholeValue ? value == "ALL" : item == "ALL";
            for (const FeatureRow& feature : package.features) {
                if (all || feature.feature == item) requested[feature.feature] = state;
            }
        }
    };
    const bool listed = !PropertyOr(properties, "ADDLOCAL").empty() || !PropertyOr(properties, "REMOVE").empty() ||
                        !PropertyOr(properties, "ADDSOURCE").empty() || !PropertyOr(properties, "ADDDEFAULT").empty() ||
                        !PropertyOr(properties, "REINSTALL").empty();
    if (listed) {
        request("ADDLOCAL", kStateLocal);
        request("ADDDEFAULT", kStateLocal);
        request("ADDSOURCE", kStateLocal);
        request("REMOVE", kStateAbsent);
    } else if (!productInstalled) {
        int installLevel = 1;
        try {
            const std::string level = PropertyOr(properties, "INSTALLLEVEL");
            if (!level.empty()) installLevel = std::stoi(level);
        } catch (...) {
            installLevel = 1;
        }
        for (const FeatureRow& feature : package.features) {
            if (feature.level > 0 && feature.level <= installLevel) requested[feature.feature] = kStateLocal;
        }
    }
    // A feature installed locally brings its parent with it.
    for (bool changed = true; changed;) {
        changed = false;
        for (const FeatureRow& feature : package.features) {
            if (feature.parent.empty() || requested[feature.feature] != kStateLocal) continue;
            if (requested[feature.parent] != kStateLocal) {
                requested[feature.parent] = kStateLocal;
                changed = true;
            }
        }
    }
    for (const FeatureRow& feature : package.features) {
        const int installed = costing.featureInstalled[feature.feature];
        const auto it = requested.find(feature.feature);
        const int wanted = it != requested.end() ? it->second : kStateUnknown;
        costing.featureAction[feature.feature] =
            wanted == kStateUnknown || wanted == installed ? kStateUnknown : wanted;
    }
    for (const ComponentRow& component : package.components) {
        bool installedBefore = false, installedAfter = false;
        for (const auto& [feature, member] : package.featureComponents) {
            if (member != component.component) continue;
            installedBefore = installedBefore || costing.featureInstalled[feature] == kStateLocal;
            installedAfter = installedAfter || costing.FeatureAfter(feature) == kStateLocal;
        }
        const int before = installedBefore ? kStateLocal : kStateAbsent;
        const int after = installedAfter ? kStateLocal : kStateAbsent;
        costing.componentInstalled[component.component] = before;
        costing.componentAction[component.component] = before == after ? kStateUnknown : after;
    }
}

}  // namespace veltra::sim::engine
