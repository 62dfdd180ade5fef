#include "platform/sim/registry_tree.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
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

namespace {

constexpr std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) {
        table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return table;
}();

}  // namespace

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const unsigned char x = kFolded[static_cast<unsigned char>(a[i])];
        const unsigned char y = kFolded[static_cast<unsigned char>(b[i])];
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

FoldedBuffer::FoldedBuffer(std::string_view text) {
    char* out = small_.data();
    if (text.size() > small_.size()) {
        large_.resize(text.size());
        out = large_.data();
    }
    // Eight bytes at a time: a byte from 'a' to 'z' loses its 0x20 bit.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, text.data() + i, 8);
        const std::uint64_t low7 = bytes & ~kHigh;
        const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
        const std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
        const std::uint64_t lower = atLeastA & ~aboveZ & ~bytes & kHigh;
        bytes ^= lower >> 2;
        std::memcpy(out + i, &bytes, 8);
    }
    for (; i < text.size(); ++i) out[i] = static_cast<char>(kFolded[static_cast<unsigned char>(text[i])]);
    view_ = std::string_view(out, text.size());
}

// --- RegNode ----------------------------------------------------------------

namespace {

// Up to this many values a key is searched by a scan, with no index.
constexpr std::size_t kScanLimit = 8;
constexpr std::uint32_t kNoSlot = 0xFFFFFFFF;

bool EqualFolded(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareFolded(a, b) == 0; }

// FNV-1a over the folded bytes.
std::size_t FoldedHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

}  // namespace

std::optional<std::size_t> RegNode::PositionOf(std::string_view name) const {
    if (valueSlots_.empty()) {
        for (std::size_t i = 0; i < values_.size(); ++i) {
            if (EqualFolded(values_[i].name, name)) return i;
        }
        return std::nullopt;
    }
    const std::size_t mask = valueSlots_.size() - 1;
    for (std::size_t slot = FoldedHash(name) & mask; valueSlots_[slot] != kNoSlot; slot = (slot + 1) & mask) {
        if (EqualFolded(values_[valueSlots_[slot]].name, name)) return valueSlots_[slot];
    }
    return std::nullopt;
}

// Keeps the index right after values_ grew by one or changed places: none for
// a few values, otherwise at most half full.
void RegNode::IndexValues() {
    if (values_.size() <= kScanLimit) {
        valueSlots_.clear();
        return;
    }
    const bool rebuild = valueSlots_.empty() || values_.size() * 2 > valueSlots_.size();
    if (rebuild) {
        std::size_t size = 32;
        while (size < values_.size() * 4) size *= 2;
        valueSlots_.assign(size, kNoSlot);
    }
    const std::size_t mask = valueSlots_.size() - 1;
    const std::size_t first = rebuild ? 0 : values_.size() - 1;
    for (std::size_t position = first; position < values_.size(); ++position) {
        std::size_t slot = FoldedHash(values_[position].name) & mask;
        while (valueSlots_[slot] != kNoSlot) slot = (slot + 1) & mask;
        valueSlots_[slot] = static_cast<std::uint32_t>(position);
    }
}

const RegValue* RegNode::FindValue(std::string_view name) const {
    const auto position = PositionOf(name);
    return position ? &values_[*position] : nullptr;
}

namespace {

// Baselines are numbered in the order they begin; a key remembers the number
// of the last one begun before it was made.
std::atomic<std::uint64_t> lastBaseline{0};

}  // namespace

void RegNode::BeforeChange(bool values) {
    const RegNode* root = this;
    while (root->parent_ != nullptr) root = root->parent_;
    for (RegistryBaseline* baseline : root->baselines_) {
        if (born_ < baseline->id_) baseline->Record(*this, values);
    }
}

void RegNode::SetValue(std::string_view name, Dword type, std::vector<std::uint8_t> data) {
    BeforeChange(true);
    if (const auto position = PositionOf(name)) {
        // Replacing keeps the value's place and the spelling it was created with.
        RegValue& value = values_[*position];
        value.type = type;
        value.data = std::move(data);
        return;
    }
    values_.push_back(RegValue{std::string(name), type, std::move(data)});
    IndexValues();
}

bool RegNode::DeleteValue(std::string_view name) {
    const auto position = PositionOf(name);
    if (!position) return false;
    BeforeChange(true);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(*position));
    valueSlots_.clear();  // positions after it moved: index again
    IndexValues();
    return true;
}

std::shared_ptr<RegNode> RegNode::FindSubkey(std::string_view name) const {
    const FoldedBuffer folded(name);
    const auto found = subkeys_.find(folded.name());
    return found == subkeys_.end() ? nullptr : found->second;
}

std::shared_ptr<RegNode> RegNode::CreateSubkey(std::string_view name) {
    auto where = subkeys_.lower_bound(name);
    if (where == subkeys_.end() || CompareFolded(where->first, name) != 0) {
        BeforeChange(false);
        auto child = std::make_shared<RegNode>(std::string(name));
        child->parent_ = this;
        child->born_ = lastBaseline.load(std::memory_order_relaxed);
        where = subkeys_.emplace_hint(where, FoldCase(name), std::move(child));
        ++subkeyGeneration_;
    }
    return where->second;
}

bool RegNode::RemoveSubkey(std::string_view name) {
    const auto found = subkeys_.find(name);
    if (found == subkeys_.end()) return false;
    BeforeChange(false);
    found->second->MarkDeleted();
    found->second->parent_ = nullptr;
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
    copy->valueSlots_ = valueSlots_;
    for (const auto& [folded, child] : subkeys_) {
        auto childCopy = child->Clone();
        childCopy->parent_ = copy.get();
        copy->subkeys_.emplace_hint(copy->subkeys_.end(), folded, std::move(childCopy));
    }
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

namespace {

std::optional<std::size_t> RootIndex(std::string_view name) {
    for (std::size_t i = 0; i < kRoots.size(); ++i) {
        if (EqualFolded(name, kRoots[i].full) || EqualFolded(name, kRoots[i].alias)) return i;
    }
    return std::nullopt;
}

}  // namespace

RegistryTree::RegistryTree() {
    for (std::size_t i = 0; i < kRoots.size(); ++i) roots_[i] = std::make_shared<RegNode>(std::string(kRoots[i].full));
}

RegistryTree::RegistryTree(const RegistryTree& other) {
    for (std::size_t i = 0; i < kRoots.size(); ++i) roots_[i] = other.roots_[i]->Clone();
}

RegistryTree& RegistryTree::operator=(const RegistryTree& other) {
    if (this != &other) {
        RegistryTree copy(other);
        roots_ = std::move(copy.roots_);
    }
    return *this;
}

std::optional<std::string_view> RegistryTree::CanonicalRootView(std::string_view name) {
    const auto index = RootIndex(name);
    if (!index) return std::nullopt;
    return kRoots[*index].full;
}

std::optional<std::string> RegistryTree::CanonicalRoot(std::string_view name) {
    const auto root = CanonicalRootView(name);
    if (!root) return std::nullopt;
    return std::string(*root);
}

std::vector<std::string> RegistryTree::RootNames() {
    std::vector<std::string> names;
    for (const RootName& root : kRoots) names.emplace_back(root.full);
    return names;
}

std::shared_ptr<RegNode> RegistryTree::Root(std::string_view name) const {
    const auto index = RootIndex(name);
    return index ? roots_[*index] : nullptr;
}

std::shared_ptr<RegNode> RegistryTree::FindKey(std::string_view fullPath) const {
    const auto [rootName, rest] = SplitRoot(fullPath);
    const auto index = RootIndex(rootName);
    if (!index) return nullptr;
    const RegNode* node = roots_[*index].get();
    const RegNode* parent = nullptr;
    std::string_view last;
    const bool found = ForEachPart(rest, [&](std::string_view part) {
        const auto& subkeys = node->subkeys();
        const auto child = subkeys.find(part);
        if (child == subkeys.end()) return false;
        parent = node;
        last = part;
        node = child->second.get();
        return true;
    });
    if (!found) return nullptr;
    return parent == nullptr ? roots_[*index] : parent->subkeys().find(last)->second;
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

std::unique_ptr<RegistryBaseline> RegistryTree::StartBaseline() {
    std::unique_ptr<RegistryBaseline> baseline(new RegistryBaseline(roots_));
    for (const auto& root : roots_) root->baselines_.push_back(baseline.get());
    return baseline;
}

// --- RegistryBaseline ---------------------------------------------------------

RegistryBaseline::RegistryBaseline(const std::array<std::shared_ptr<RegNode>, 5>& roots)
    : id_(++lastBaseline), roots_(roots) {}

RegistryBaseline::~RegistryBaseline() {
    for (const auto& root : roots_) std::erase(root->baselines_, this);
}

void RegistryBaseline::Record(RegNode& key, bool values) {
    Before& before = before_[&key];
    if (values && !before.values) before.values = key.values_;
    if (!values && !before.subkeys) before.subkeys = key.subkeys_;
    for (const RegNode* node = &key; node != nullptr && touched_.insert(node).second; node = node->parent_) {
    }
}

const std::vector<RegValue>& RegistryBaseline::ValuesBefore(const RegNode& key) const {
    const auto found = before_.find(&key);
    return found != before_.end() && found->second.values ? *found->second.values : key.values();
}

const SubkeyMap& RegistryBaseline::SubkeysBefore(const RegNode& key) const {
    const auto found = before_.find(&key);
    return found != before_.end() && found->second.subkeys ? *found->second.subkeys : key.subkeys();
}

bool RegistryBaseline::ValuesChanged(const RegNode& key) const {
    const auto found = before_.find(&key);
    return found != before_.end() && found->second.values.has_value();
}

bool operator==(const RegistryTree& a, const RegistryTree& b) {
    for (std::size_t i = 0; i < a.roots_.size(); ++i) {
        if (!(*a.roots_[i] == *b.roots_[i])) return false;
    }
    return true;
}

}  // namespace veltra::sim
