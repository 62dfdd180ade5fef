#include "platform/sim/drive_tree.h"

#include <algorithm>
#include <utility>

#include "platform/sim/registry_tree.h"

namespace veltra::sim {

namespace {

using Children = std::vector<std::unique_ptr<DriveEntry>>;

// The first entry whose key is not below the folded name: keys compare as
// bytes, so a look-up folds its name once and never the entries' names.
Children::const_iterator LowerBound(const Children& children, FoldedName name) {
    return std::lower_bound(children.begin(), children.end(), name.text,
                            [](const std::unique_ptr<DriveEntry>& entry, std::string_view wanted) {
                                return BytesLess(entry->key, wanted);
                            });
}

std::unique_ptr<DriveEntry> Clone(const DriveEntry& entry) {
    auto copy = std::make_unique<DriveEntry>();
    copy->name = entry.name;
    copy->key = entry.key;
    copy->folder = entry.folder;
    copy->bytes = entry.bytes;
    copy->children.reserve(entry.children.size());
    for (const auto& child : entry.children) copy->children.push_back(Clone(*child));
    return copy;
}

// Calls visit(part) for each name of a normal path, the drive letter first:
// "C:\a\b" gives "C", "a", "b"; "C:\" gives "C".
template <class Visit>
bool ForEachPart(std::string_view normal, Visit visit) {
    if (normal.size() < 2) return false;
    if (!visit(normal.substr(0, 1))) return false;
    std::string_view rest = normal.substr(normal.size() > 2 ? 3 : 2);
    while (!rest.empty()) {
        const auto slash = rest.find('\\');
        if (!visit(rest.substr(0, slash))) return false;
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return true;
}

}  // namespace

void DriveEntry::SetName(std::string_view newName) {
    name = std::string(newName);
    key = FoldCase(newName);
}

const DriveEntry* DriveEntry::Child(std::string_view childName) const {
    const FoldedBuffer folded(childName);
    const auto it = LowerBound(children, folded.name());
    return it != children.end() && (*it)->key == folded.name().text ? it->get() : nullptr;
}

DriveEntry* DriveEntry::Child(std::string_view childName) {
    return const_cast<DriveEntry*>(std::as_const(*this).Child(childName));
}

DriveEntry& DriveEntry::AddChild(std::string_view childName, bool isFolder) {
    auto child = std::make_unique<DriveEntry>();
    child->SetName(childName);
    child->folder = isFolder;
    if (!isFolder) child->bytes = std::make_shared<const std::string>();
    return AdoptChild(std::move(child));
}

DriveEntry& DriveEntry::AdoptChild(std::unique_ptr<DriveEntry> child) {
    const auto at = LowerBound(children, FoldedName{child->key});
    return **children.insert(at, std::move(child));
}

std::unique_ptr<DriveEntry> DriveEntry::RemoveChild(std::string_view childName) {
    const FoldedBuffer folded(childName);
    const auto it = LowerBound(children, folded.name());
    if (it == children.end() || (*it)->key != folded.name().text) return nullptr;
    auto& slot = children[static_cast<std::size_t>(it - children.begin())];
    std::unique_ptr<DriveEntry> taken = std::move(slot);
    children.erase(it);
    return taken;
}

DriveTree::DriveTree() { root_.AddChild("C", true); }

DriveTree::DriveTree(const DriveTree& other) {
    for (const auto& drive : other.root_.children) root_.children.push_back(Clone(*drive));
}

DriveTree& DriveTree::operator=(const DriveTree& other) {
    if (this != &other) {
        DriveTree copy(other);
        root_.children = std::move(copy.root_.children);
    }
    return *this;
}

const DriveEntry* DriveTree::Find(std::string_view normal) const {
    const DriveEntry* entry = &root_;
    const bool found = ForEachPart(normal, [&](std::string_view part) {
        entry = entry->folder ? entry->Child(part) : nullptr;
        return entry != nullptr;
    });
    return found ? entry : nullptr;
}

DriveEntry* DriveTree::Find(std::string_view normal) {
    return const_cast<DriveEntry*>(std::as_const(*this).Find(normal));
}

DriveEntry* DriveTree::ParentFolder(std::string_view normal, std::string_view& name) {
    std::string_view parent;
    if (!SplitParent(normal, parent, name)) return nullptr;
    DriveEntry* folder = Find(parent);
    return folder != nullptr && folder->folder ? folder : nullptr;
}

DriveEntry* DriveTree::MakeFolders(std::string_view normal) {
    DriveEntry* entry = &root_;
    const bool made = ForEachPart(normal, [&](std::string_view part) {
        DriveEntry* next = entry->Child(part);
        if (next == nullptr) next = &entry->AddChild(part, true);
        entry = next;
        return entry->folder;
    });
    return made ? entry : nullptr;
}

bool SplitParent(std::string_view normal, std::string_view& parent, std::string_view& name) {
    if (normal.size() <= 3) return false;  // "C:\" or not a path
    const auto slash = normal.rfind('\\');
    parent = normal.substr(0, slash == 2 ? 3 : slash);
    name = normal.substr(slash + 1);
    return true;
}

}  // namespace veltra::sim
