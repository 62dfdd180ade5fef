// The simulated machine's registry: a tree of keys with typed values, as
// Windows keeps it. Key and value names are case-insensitive but keep the
// case they were created with; values keep their creation order; subkeys
// enumerate sorted case-insensitively by upper-case comparison (so "_x" sorts
// after "Z"), as Windows does.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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

// a < b byte by byte (unsigned). Names mostly differ in their first byte, which
// is settled here without a call.
inline bool BytesLess(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
        return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    }
    return a < b;
}

// A name already folded by FoldCase.
struct FoldedName {
    std::string_view text;
};

// A name folded once into a buffer of its own, for look-ups that then compare
// bytes only. Names up to the longest key name need no allocation.
class FoldedBuffer {
public:
    explicit FoldedBuffer(std::string_view text);
    FoldedBuffer(const FoldedBuffer&) = delete;
    FoldedBuffer& operator=(const FoldedBuffer&) = delete;
    FoldedName name() const { return {view_}; }

private:
    std::array<char, 256> small_;
    std::string large_;
    std::string_view view_;
};

// The order of folded names. It takes names in any case, so that a look-up
// by a name as written builds no folded copy of it; a FoldedName against a
// stored (folded) name is a plain byte comparison.
struct FoldedLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareFolded(a, b) < 0; }
    bool operator()(const std::string& stored, FoldedName name) const { return BytesLess(stored, name.text); }
    bool operator()(FoldedName name, const std::string& stored) const { return BytesLess(name.text, stored); }
};

// A name or value that did not fit the fixed buffer a caller read it into:
// the call answered 234, and the caller then skipped the entry or counted it
// absent, as its own rules say. The machine lists every such entry, so that
// nothing a routine passed over goes unseen in a report.
struct UnfitEntry {
    std::string operation;  // "RegEnumValueA", "RegEnumKeyExA", "RegQueryValueExA"
    std::string key;        // full path of the key read
    std::string name;       // the value or subkey, as stored ("" is the default value)
    std::string part;       // "name" or "data": what did not fit
    Dword needed = 0;       // bytes the entry needs (a name: with its terminator)
    Dword given = 0;        // bytes the caller's buffer had
    friend bool operator==(const UnfitEntry&, const UnfitEntry&) = default;
};

class RegNode;
class RegistryBaseline;
// Subkeys by FoldCase(name), in Windows enumeration order.
using SubkeyMap = std::map<std::string, std::shared_ptr<RegNode>, FoldedLess>;

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
    const SubkeyMap& subkeys() const { return subkeys_; }
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
    friend class RegistryBaseline;
    friend class RegistryTree;
    // Hands the key's values or subkey list, as they are before a change, to
    // every baseline its root carries that began before the key was created
    // (to a later one all of the key is new, with nothing earlier to keep).
    void BeforeChange(bool values);
    void MarkDeleted();
    std::optional<std::size_t> PositionOf(std::string_view name) const;
    void IndexValues();

    std::string name_;
    bool deleted_ = false;
    std::vector<RegValue> values_;
    // Positions in values_ hashed by folded name (open addressing), so that
    // keys with many values are filled and read in linear time. Empty while
    // the key has few values: a scan finds those faster, and most keys have
    // few.
    std::vector<std::uint32_t> valueSlots_;
    SubkeyMap subkeys_;
    std::uint64_t subkeyGeneration_ = 0;
    RegNode* parent_ = nullptr;               // null for a root and for a removed key
    std::vector<RegistryBaseline*> baselines_;  // on a root: the baselines recording changes
    std::uint64_t born_ = 0;                    // the last baseline begun when the key was made
};

// The registry as it stood at one moment, kept without copying it: from then
// on each key hands over its values or its subkey list the first time either
// changes, and every key above it is marked. A comparison with the tree as it
// is now (DiffSince) then visits only the marked keys, so a run's report costs
// what the run changed, not the size of the hive. Several baselines may
// record one tree at once.
class RegistryBaseline {
public:
    ~RegistryBaseline();
    RegistryBaseline(const RegistryBaseline&) = delete;
    RegistryBaseline& operator=(const RegistryBaseline&) = delete;

    // The roots as they were (a tree whose roots were replaced since, by an
    // assignment, compares with these).
    const std::array<std::shared_ptr<RegNode>, 5>& roots() const { return roots_; }
    // A key of the baseline as it was.
    const std::vector<RegValue>& ValuesBefore(const RegNode& key) const;
    const SubkeyMap& SubkeysBefore(const RegNode& key) const;
    bool ValuesChanged(const RegNode& key) const;
    // False when nothing changed in the key or anywhere below it.
    bool Touched(const RegNode& key) const { return touched_.count(&key) != 0; }

private:
    friend class RegistryTree;
    friend class RegNode;
    explicit RegistryBaseline(const std::array<std::shared_ptr<RegNode>, 5>& roots);
    void Record(RegNode& key, bool values);

    struct Before {
        std::optional<std::vector<RegValue>> values;
        std::optional<SubkeyMap> subkeys;
    };
    std::uint64_t id_;
    std::array<std::shared_ptr<RegNode>, 5> roots_;
    std::unordered_map<const RegNode*, Before> before_;
    std::unordered_set<const RegNode*> touched_;
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
    // The same without a copy: a view of a static name.
    static std::optional<std::string_view> CanonicalRootView(std::string_view name);
    static std::vector<std::string> RootNames();  // in the order .reg files list them

    std::shared_ptr<RegNode> Root(std::string_view name) const;
    // Full path "HKEY_LOCAL_MACHINE\SOFTWARE\X" (alias roots accepted).
    std::shared_ptr<RegNode> FindKey(std::string_view fullPath) const;
    std::shared_ptr<RegNode> CreateKey(std::string_view fullPath);  // null for an unknown root
    bool DeleteKeyTree(std::string_view fullPath);

    // Starts recording changes against the tree as it stands now.
    std::unique_ptr<RegistryBaseline> StartBaseline();

    friend bool operator==(const RegistryTree& a, const RegistryTree& b);

private:
    std::array<std::shared_ptr<RegNode>, 5> roots_;  // in RootNames() order
};

}  // namespace veltra::sim
