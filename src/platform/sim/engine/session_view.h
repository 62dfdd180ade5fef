// What the installer engine's condition evaluator and text formatter may ask
// of the running installation: properties, the environment, and the states of
// features, components and files. The engine implements it over its session;
// tests implement it over a table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltra::sim::engine {

// INSTALLSTATE numbers as conditions compare them (-1 unknown / no action,
// 1 advertised, 2 absent, 3 local, 4 source).
inline constexpr int kStateUnknown = -1;
inline constexpr int kStateAdvertised = 1;
inline constexpr int kStateAbsent = 2;
inline constexpr int kStateLocal = 3;
inline constexpr int kStateSource = 4;

class SessionView {
public:
    virtual ~SessionView() = default;
    // A property's value; nullopt when it is not set (conditions tell an
    // unset property from nothing else, since unset and "" are the same).
    virtual std::optional<std::string> Property(std::string_view name) const = 0;
    // %NAME in conditions and [%NAME] in formatted text.
    virtual std::optional<std::string> Environment(std::string_view name) const = 0;
    // !Feature and &Feature: installed state and the action state chosen by
    // costing; kStateUnknown for a name the package does not have.
    virtual int FeatureInstalled(std::string_view feature) const = 0;
    virtual int FeatureAction(std::string_view feature) const = 0;
    // ?Component and $Component.
    virtual int ComponentInstalled(std::string_view component) const = 0;
    virtual int ComponentAction(std::string_view component) const = 0;
    // [#File]: the full target path of a file key; [$Component]: the target
    // folder of a component (with its trailing backslash). nullopt when the
    // key is unknown or nothing is resolved yet.
    virtual std::optional<std::string> FilePath(std::string_view fileKey) const = 0;
    virtual std::optional<std::string> ComponentFolder(std::string_view component) const = 0;
};

}  // namespace veltra::sim::engine
