// A Windows Installer package as the simulated engine reads it: the rows of
// the tables that decide what an installation does. Read from a real .msi,
// so that the bench runs exactly the sequence the installer would.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veltra::sim::engine {

struct CustomActionRow {
    std::string action;
    int type = 0;
    std::string source;
    std::string target;
    bool operator==(const CustomActionRow&) const = default;
};

struct SequenceRow {
    std::string action;
    std::string condition;
    int sequence = 0;
    bool operator==(const SequenceRow&) const = default;
};

struct FeatureRow {
    std::string feature;
    std::string parent;
    int level = 1;
    bool operator==(const FeatureRow&) const = default;
};

struct ComponentRow {
    std::string component;
    std::string directory;
    int attributes = 0;
    std::string condition;
    std::string keyPath;
    bool operator==(const ComponentRow&) const = default;
};

struct DirectoryRow {
    std::string directory;
    std::string parent;  // empty for a root
    std::string defaultDir;
    bool operator==(const DirectoryRow&) const = default;
};

struct FileRow {
    std::string file;
    std::string component;
    std::string fileName;  // "short|long" or one name
    int sequence = 0;
    bool operator==(const FileRow&) const = default;
};

// What the installer does to a service when its component is installed or
// removed (msidbServiceControlEvent... bits in event).
struct ServiceControlRow {
    std::string name;  // formatted text
    int event = 0;
    std::string component;
    bool operator==(const ServiceControlRow&) const = default;
};

struct Package {
    std::filesystem::path path;
    std::map<std::string, std::string> properties;
    std::vector<CustomActionRow> customActions;
    std::vector<SequenceRow> uiSequence;       // sorted by sequence number
    std::vector<SequenceRow> executeSequence;  // sorted by sequence number
    std::vector<FeatureRow> features;
    std::vector<std::pair<std::string, std::string>> featureComponents;  // feature, component
    std::vector<ComponentRow> components;
    std::vector<DirectoryRow> directories;
    std::vector<FileRow> files;
    std::vector<ServiceControlRow> serviceControls;
    std::vector<std::string> dialogs;

    const CustomActionRow* FindCustomAction(const std::string& action) const;
    bool operator==(const Package&) const = default;
};

// Reads the package's tables; nullopt with the reason when the file is not a
// package or a table cannot be read. A table the package lacks is empty.
// Tables written beside the package (below) are read instead while they are
// at least as new as the package.
std::optional<Package> ReadPackage(const std::filesystem::path& file, std::string& error);

// The tables of a package written beside it ("FILE.msi.tables", JSON): the
// build writes them for the bench's package, so that a road need not open the
// package with msitools at every run.
std::filesystem::path PackageTablesPath(const std::filesystem::path& file);
bool WritePackageTables(const Package& package, std::string& error);
// nullopt when there are no tables, they are older than the package, or they
// cannot be read (the package itself is then read).
std::optional<Package> ReadPackageTables(const std::filesystem::path& file);

// The long name of a File or Directory name column ("SHORT~1|Long Name").
std::string LongName(const std::string& name);

}  // namespace veltra::sim::engine
