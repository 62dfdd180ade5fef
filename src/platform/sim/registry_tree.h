// The simulated machine's registry: a tree of keys with typed values, as
// Windows keeps it. Key and value names are case-insensitive but keep the
// case they were created with; values keep their creation order; subkeys
// enumerate sorted case-insensitively by upper-case comparison (so "_x" sorts
// after "Z"), as Windows does.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/types.h"

namespace veltra::sim {

using platform::Dword;

struct RegValue {
    std::string name;  // "" is the default value
    Dword type = 0;
    std::vector<std::uint8_t> data;
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// Upper-cases ASCII letters: the key for case-insensitive lookups and order.
std::string FoldCase(std::string_view text);
// FoldCase(a) compared with FoldCase(b) (<0, 0, >0), without building either.
int CompareFolded(std::string_view a, std::string_view b);

class RegNode {
public:
    explicit RegNode(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    // Set when the key is deleted while a handle still refers to it; every
    // call through such a handle then fails as on Windows (1018).
    bool deleted() const { return deleted_; }

    const std::vector<RegValue>& values() const { return values_; }
    const RegValue* FindValue(std::string_view name) const;
    // Creates the value at the end, or replaces type and data in place.
    void SetValue(std::string_view name, Dword type, std::vector<std::uint8_t> data);
    bool DeleteValue(std::string_view name);

    // Subkeys in Windows enumeration order.
    const std::map<std::string, std::shared_ptr<RegNode>>& subkeys() const { return subkeys_; }
    std::shared_ptr<RegNode> FindSubkey(std::string_view name) const;
    // The existing subkey of that name, or a new one with that spelling.
    std::shared_ptr<RegNode> CreateSubkey(std::string_view name);
    // Removes the subkey and marks its whole tree deleted.
    bool RemoveSubkey(std::string_view name);

    // A deep copy (for snapshots); deleted flags are not copied.
    std::shared_ptr<RegNode> Clone() const;

    // Changes whenever a subkey is added or removed, so that an enumeration
    // in progress can tell whether its place in the subkey map still holds.
    std::uint64_t subkeyGeneration() const { return subkeyGeneration_; }

    friend bool operator==(const RegNode& a, const RegNode& b);

private:
    void MarkDeleted();

    std::string name_;
    bool deleted_ = false;
    std::vector<RegValue> values_;
    // FoldCase(value name) -> position in values_, so that keys with many
    // values are filled and read in linear time.
    std::unordered_map<std::string, std::size_t> valueIndex_;
    std::map<std::string, std::shared_ptr<RegNode>> subkeys_;  // by FoldCase(name)
    std::uint64_t subkeyGeneration_ = 0;
};

// The five roots, by their full names.
class RegistryTree {
public:
    RegistryTree();
    RegistryTree(const RegistryTree& other);
    RegistryTree& operator=(const RegistryTree& other);
    RegistryTree(RegistryTree&&) noexcept = default;
    RegistryTree& operator=(RegistryTree&&) noexcept = default;

    // The full root name for a root name or its alias ("HKLM",
    // "HKEY_LOCAL_MACHINE", any case); nullopt for an unknown root.
    static std::optional<std::string> CanonicalRoot(std::string_view name);
    static std::vector<std::string> RootNames();  // in the order .reg files list them

    std::shared_ptr<RegNode> Root(std::string_view name) const;
    // Full path "HKEY_LOCAL_MACHINE\SOFTWARE\X" (alias roots accepted).
    std::shared_ptr<RegNode> FindKey(std::string_view fullPath) const;
    std::shared_ptr<RegNode> CreateKey(std::string_view fullPath);  // null for an unknown root
    bool DeleteKeyTree(std::string_view fullPath);

    friend bool operator==(const RegistryTree& a, const RegistryTree& b);

private:
    std::map<std::string, std::shared_ptr<RegNode>> roots_;  // by full root name
};

}  // namespace veltra::sim
