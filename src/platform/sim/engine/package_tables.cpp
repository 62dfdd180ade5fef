// A package's tables as JSON beside it: one object per table, each row an
// array of its columns in the order of the Package structure.
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "platform/sim/engine/package.h"

namespace veltra::sim::engine {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

json ToJson(const Package& p) {
    json tables;
    tables["properties"] = p.properties;
    for (const auto& r : p.customActions) tables["customActions"].push_back({r.action, r.type, r.source, r.target});
    for (const auto& r : p.uiSequence) tables["uiSequence"].push_back({r.action, r.condition, r.sequence});
    for (const auto& r : p.executeSequence) tables["executeSequence"].push_back({r.action, r.condition, r.sequence});
    for (const auto& r : p.features) tables["features"].push_back({r.feature, r.parent, r.level});
    tables["featureComponents"] = p.featureComponents;
    for (const auto& r : p.components) {
        tables["components"].push_back({r.component, r.directory, r.attributes, r.condition, r.keyPath});
    }
    for (const auto& r : p.directories) tables["directories"].push_back({r.directory, r.parent, r.defaultDir});
    for (const auto& r : p.files) tables["files"].push_back({r.file, r.component, r.fileName, r.sequence});
    for (const auto& r : p.serviceControls) {
        tables["serviceControls"].push_back({r.name, r.event, r.component});
    }
    tables["dialogs"] = p.dialogs;
    return tables;
}

// Rows of one table, each read by `read` from its array of columns.
template <class Row, class Read>
void Rows(const json& tables, const char* name, std::vector<Row>& rows, Read read) {
    if (!tables.contains(name)) return;
    for (const json& r : tables.at(name)) rows.push_back(read(r));
}

Package FromJson(const json& t) {
    Package p;
    p.properties = t.at("properties").get<std::map<std::string, std::string>>();
    Rows(t, "customActions", p.customActions, [](const json& r) {
        return CustomActionRow{r[0], r[1], r[2], r[3]};
    });
    Rows(t, "uiSequence", p.uiSequence, [](const json& r) { return SequenceRow{r[0], r[1], r[2]}; });
    Rows(t, "executeSequence", p.executeSequence, [](const json& r) { return SequenceRow{r[0], r[1], r[2]}; });
    Rows(t, "features", p.features, [](const json& r) { return FeatureRow{r[0], r[1], r[2]}; });
    p.featureComponents = t.value("featureComponents", json::array()).get<std::vector<std::pair<std::string, std::string>>>();
    Rows(t, "components", p.components, [](const json& r) { return ComponentRow{r[0], r[1], r[2], r[3], r[4]}; });
    Rows(t, "directories", p.directories, [](const json& r) { return DirectoryRow{r[0], r[1], r[2]}; });
    Rows(t, "files", p.files, [](const json& r) { return FileRow{r[0], r[1], r[2], r[3]}; });
    Rows(t, "serviceControls", p.serviceControls, [](const json& r) {
        return ServiceControlRow{r[0], r[1], r[2]};
    });
    p.dialogs = t.value("dialogs", json::array()).get<std::vector<std::string>>();
    return p;
}

}  // namespace

fs::path PackageTablesPath(const fs::path& file) { return fs::path(file.string() + ".tables"); }

bool WritePackageTables(const Package& package, std::string& error) {
    const fs::path path = PackageTablesPath(package.path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ToJson(package).dump();
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

std::optional<Package> ReadPackageTables(const fs::path& file) {
    const fs::path path = PackageTablesPath(file);
    std::error_code ec;
    const auto tablesTime = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const auto packageTime = fs::last_write_time(file, ec);
    if (ec || tablesTime < packageTime) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    const json tables = json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (tables.is_discarded() || !tables.is_object() || !tables.contains("properties")) return std::nullopt;
    try {
        Package package = FromJson(tables);
        package.path = file;
        return package;
    } catch (const json::exception&) {
        return std::nullopt;  // tables of another shape: read the package itself
    }
}

}  // namespace veltra::sim::engine
