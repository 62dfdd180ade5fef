// The simulated machine's drives, held in memory: folders and files by name,
// names compared ignoring case but kept as they were created, a folder's
// entries in the upper-case order NTFS lists them in. Nothing here touches the
// host's file system; the bench reads and writes machine folders itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::sim {

struct DriveEntry {
    std::string name;  // as created
    std::string key;   // the name folded: the order of a folder's entries and their look-up
    bool folder = false;
    // A file's bytes. Shared, so that a copied file or a snapshot costs no
    // copy of the content: published bytes are never changed again, except by
    // the one open write stream that made them.
    std::shared_ptr<const std::string> bytes;
    // A folder's entries, sorted by name ignoring case.
    std::vector<std::unique_ptr<DriveEntry>> children;

    void SetName(std::string_view newName);

    const DriveEntry* Child(std::string_view childName) const;
    DriveEntry* Child(std::string_view childName);
    // A new entry spelled as given; the name must not exist yet.
    DriveEntry& AddChild(std::string_view childName, bool isFolder);
    // Takes the entry out of the folder; null when absent.
    std::unique_ptr<DriveEntry> RemoveChild(std::string_view childName);
    // Takes an entry (a moved one) into the folder; the name must not exist yet.
    DriveEntry& AdoptChild(std::unique_ptr<DriveEntry> child);
};

// Every drive ("C", "D", ...) is an entry of one invisible root. All paths
// here are normal paths as NormalizeWindowsPath gives them ("C:\a\b", "C:\").
class DriveTree {
public:
    DriveTree();  // one empty drive, C:
    DriveTree(const DriveTree& other);
    DriveTree& operator=(const DriveTree& other);
    DriveTree(DriveTree&&) noexcept = default;
    DriveTree& operator=(DriveTree&&) noexcept = default;

    const DriveEntry* Find(std::string_view normal) const;
    DriveEntry* Find(std::string_view normal);
    // The folder that holds the entry of a normal path and the entry's name;
    // null when that folder does not exist or the path is a drive's root.
    DriveEntry* ParentFolder(std::string_view normal, std::string_view& name);
    // The folder and every missing parent (the drive too); null when a part
    // of the path is a file.
    DriveEntry* MakeFolders(std::string_view normal);

    // Drives in letter order; each entry's name is its letter.
    const std::vector<std::unique_ptr<DriveEntry>>& drives() const { return root_.children; }

private:
    DriveEntry root_{"", "", true, nullptr, {}};
};

// "C:\a\b" -> ("C:\a", "b"); "C:\a" -> ("C:\", "a"); a drive root has no parent.
bool SplitParent(std::string_view normal, std::string_view& parent, std::string_view& name);

}  // namespace veltra::sim
