// A SessionView over plain tables, for the engine's tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/engine/session_view.h"

namespace veltra::sim::engine::testing {

struct MapSession final : SessionView {
    std::map<std::string, std::string, std::less<>> properties, environment, files, folders;
    std::map<std::string, int, std::less<>> featureInstalled, featureAction, componentInstalled, componentAction;

    std::optional<std::string> Property(std::string_view name) const override { return Find(properties, name); }
    std::optional<std::string> Environment(std::string_view name) const override { return Find(environment, name); }
    int FeatureInstalled(std::string_view name) const override { return State(featureInstalled, name); }
    int FeatureAction(std::string_view name) const override { return State(featureAction, name); }
    int ComponentInstalled(std::string_view name) const override { return State(componentInstalled, name); }
    int ComponentAction(std::string_view name) const override { return State(componentAction, name); }
    std::optional<std::string> FilePath(std::string_view key) const override { return Find(files, key); }
    std::optional<std::string> ComponentFolder(std::string_view name) const override { return Find(folders, name); }

private:
    template <typename Map>
    static std::optional<typename Map::mapped_type> Find(const Map& map, std::string_view key) {
        const auto it = map.find(key);
        if (it == map.end()) return std::nullopt;
        return it->second;
    }
    static int State(const std::map<std::string, int, std::less<>>& map, std::string_view key) {
        return Find(map, key).value_or(kStateUnknown);
    }
};

}  // namespace veltra::sim::engine::testing
