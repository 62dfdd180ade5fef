#include "platform/sim/registry_tree.h"

#include <array>
#include <utility>

namespace veltra::sim {

namespace {

struct RootName {
    std::string_view full;
    std::string_view alias;
};

// The order regedit lists the roots in, which is also the order of an export.
constexpr std::array<RootName, 5> kRoots = {{
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
}};

// Splits "ROOT\a\b" at the first backslash. Empty parts of the rest (a doubled
// or trailing backslash) name no key and are skipped by the walkers below.
std::pair<std::string_view, std::string_view> SplitRoot(std::string_view fullPath) {
    const auto slash = fullPath.find('\\');
    if (slash == std::string_view::npos) return {fullPath, {}};
    return {fullPath.substr(0, slash), fullPath.substr(slash + 1)};
}

// Calls visit(part) for each non-empty backslash-separated part; stops early
// when visit returns false.
template <class Visit>
bool ForEachPart(std::string_view path, Visit visit) {
    while (!path.empty()) {
        const auto slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty() && !visit(part)) return false;
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return true;
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// --- RegNode ----------------------------------------------------------------

const RegValue* RegNode::FindValue(std::string_view name) const {
    const auto found = valueIndex_.find(FoldCase(name));
    return found == valueIndex_.end() ? nullptr : &values_[found->second];
}

void RegNode::SetValue(std::string_view name, Dword type, std::vector<std::uint8_t> data) {
    std::string folded = FoldCase(name);
    if (const auto found = valueIndex_.find(folded); found != valueIndex_.end()) {
        // Replacing keeps the value's place and the spelling it was created with.
        RegValue& value = values_[found->second];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    valueIndex_.emplace(std::move(folded), values_.size());
    values_.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RegNode::DeleteValue(std::string_view name) {
    const auto found = valueIndex_.find(FoldCase(name));
    if (found == valueIndex_.end()) return false;
    const std::size_t position = found->second;
    valueIndex_.erase(found);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
    for (std::size_t i = position; i < values_.size(); ++i) valueIndex_[FoldCase(values_[i].name)] = i;
    return true;
}

std::shared_ptr<RegNode> RegNode::FindSubkey(std::string_view name) const {
    const auto found = subkeys_.find(FoldCase(name));
    return found == subkeys_.end() ? nullptr : found->second;
}

std::shared_ptr<RegNode> RegNode::CreateSubkey(std::string_view name) {
    auto [where, inserted] = subkeys_.try_emplace(FoldCase(name));
    if (inserted) {
        where->second = std::make_shared<RegNode>(std::string(name));
        ++subkeyGeneration_;
    }
    return where->second;
}

bool RegNode::RemoveSubkey(std::string_view name) {
    const auto found = subkeys_.find(FoldCase(name));
    if (found == subkeys_.end()) return false;
    found->second->MarkDeleted();
    subkeys_.erase(found);
    ++subkeyGeneration_;
    return true;
}

void RegNode::MarkDeleted() {
    deleted_ = true;
    for (auto& [folded, child] : subkeys_) child->MarkDeleted();
}

std::shared_ptr<RegNode> RegNode::Clone() const {
    auto copy = std::make_shared<RegNode>(name_);
    copy->values_ = values_;
    copy->valueIndex_ = valueIndex_;
    for (const auto& [folded, child] : subkeys_) copy->subkeys_.emplace_hint(copy->subkeys_.end(), folded, child->Clone());
    return copy;
}

bool operator==(const RegNode& a, const RegNode& b) {
    if (a.name_ != b.name_ || a.values_ != b.values_ || a.subkeys_.size() != b.subkeys_.size()) {
        return false;
    }
    auto other = b.subkeys_.begin();
    for (const auto& [folded, child] : a.subkeys_) {
        if (folded != other->first || !(*child == *other->second)) return false;
        ++other;
    }
    return true;
}

// --- RegistryTree -------------------------------------------------------------

RegistryTree::RegistryTree() {
    for (const RootName& root : kRoots) {
        roots_.emplace(std::string(root.full), std::make_shared<RegNode>(std::string(root.full)));
    }
}

RegistryTree::RegistryTree(const RegistryTree& other) {
    for (const auto& [name, node] : other.roots_) roots_.emplace(name, node->Clone());
}

RegistryTree& RegistryTree::operator=(const RegistryTree& other) {
    if (this != &other) {
        RegistryTree copy(other);
        roots_ = std::move(copy.roots_);
    }
    return *this;
}

std::optional<std::string> RegistryTree::CanonicalRoot(std::string_view name) {
    const std::string folded = FoldCase(name);
    for (const RootName& root : kRoots) {
        if (folded == root.full || folded == root.alias) return std::string(root.full);
    }
    return std::nullopt;
}

std::vector<std::string> RegistryTree::RootNames() {
    std::vector<std::string> names;
    for (const RootName& root : kRoots) names.emplace_back(root.full);
    return names;
}

std::shared_ptr<RegNode> RegistryTree::Root(std::string_view name) const {
    const auto canonical = CanonicalRoot(name);
    if (!canonical) return nullptr;
    return roots_.at(*canonical);
}

std::shared_ptr<RegNode> RegistryTree::FindKey(std::string_view fullPath) const {
    const auto [rootName, rest] = SplitRoot(fullPath);
    std::shared_ptr<RegNode> node = Root(rootName);
    if (!node) return nullptr;
    ForEachPart(rest, [&](std::string_view part) {
        node = node->FindSubkey(part);
        return node != nullptr;
    });
    return node;
}

std::shared_ptr<RegNode> RegistryTree::CreateKey(std::string_view fullPath) {
    const auto [rootName, rest] = SplitRoot(fullPath);
    std::shared_ptr<RegNode> node = Root(rootName);
    if (!node) return nullptr;
    ForEachPart(rest, [&](std::string_view part) {
        node = node->CreateSubkey(part);
        return true;
    });
    return node;
}

bool RegistryTree::DeleteKeyTree(std::string_view fullPath) {
    const auto [rootName, rest] = SplitRoot(fullPath);
    std::shared_ptr<RegNode> parent = Root(rootName);
    if (!parent) return false;
    std::string_view last;
    std::shared_ptr<RegNode> node = parent;
    const bool found = ForEachPart(rest, [&](std::string_view part) {
        parent = node;
        last = part;
        node = node->FindSubkey(part);
        return node != nullptr;
    });
    if (!found || last.empty()) return false;  // absent, or a root, which stays
    return parent->RemoveSubkey(last);
}

bool operator==(const RegistryTree& a, const RegistryTree& b) {
    for (const auto& [name, node] : a.roots_) {
        if (!(*node == *b.roots_.at(name))) return false;
    }
    return true;
}

}  // namespace veltra::sim
