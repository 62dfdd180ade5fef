#include "platform/sim/engine/package.h"

#include <algorithm>
#include <memory>
#include <set>

#include <dlfcn.h>
#include <libmsi.h>

namespace veltra::sim::engine {
namespace {

// msitools' library, loaded when a package is first read: it brings GLib,
// GIO and libgsf with it, whose loading would otherwise slow every command
// of the bench, most of which read no package.
struct Libmsi {
    decltype(&libmsi_database_new) databaseNew = nullptr;
    decltype(&libmsi_query_new) queryNew = nullptr;
    decltype(&libmsi_query_execute) queryExecute = nullptr;
    decltype(&libmsi_query_fetch) queryFetch = nullptr;
    decltype(&libmsi_query_close) queryClose = nullptr;
    decltype(&libmsi_record_is_null) recordIsNull = nullptr;
    decltype(&libmsi_record_get_string) recordGetString = nullptr;
    decltype(&libmsi_record_get_int) recordGetInt = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_free) free = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    bool loaded = false;
};

template <class Function>
bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const Libmsi& Msi() {
    static const Libmsi msi = [] {
        Libmsi l;
        void* library = dlopen("libmsi.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (library == nullptr) return l;
        l.loaded = Bind(library, "libmsi_database_new", l.databaseNew) &&
                   Bind(library, "libmsi_query_new", l.queryNew) &&
                   Bind(library, "libmsi_query_execute", l.queryExecute) &&
                   Bind(library, "libmsi_query_fetch", l.queryFetch) &&
                   Bind(library, "libmsi_query_close", l.queryClose) &&
                   Bind(library, "libmsi_record_is_null", l.recordIsNull) &&
                   Bind(library, "libmsi_record_get_string", l.recordGetString) &&
                   Bind(library, "libmsi_record_get_int", l.recordGetInt) &&
                   Bind(library, "g_object_unref", l.objectUnref) && Bind(library, "g_free", l.free) &&
                   Bind(library, "g_error_free", l.errorFree);
        return l;
    }();
    return msi;
}

// GLib objects and strings, released on every path.
struct GObjectRelease {
    void operator()(void* object) const { Msi().objectUnref(object); }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectRelease>;

struct GErrorRelease {
    void operator()(GError* error) const { Msi().errorFree(error); }
};

class Record {
public:
    explicit Record(LibmsiRecord* record) : record_(record) {}
    std::string Text(unsigned field) const {
        if (Msi().recordIsNull(record_.get(), field)) return {};
        gchar* text = Msi().recordGetString(record_.get(), field);
        std::string result = text != nullptr ? text : "";
        Msi().free(text);
        return result;
    }
    int Number(unsigned field, int absent) const {
        if (Msi().recordIsNull(record_.get(), field)) return absent;
        const int value = Msi().recordGetInt(record_.get(), field);
        return value == static_cast<int>(LIBMSI_NULL_INT) ? absent : value;
    }

private:
    GPtr<LibmsiRecord> record_;
};

// Every row of a SELECT; false with the reason when the query fails. A
// table the package does not have yields no rows.
template <class OnRow>
bool Select(LibmsiDatabase* database, const std::string& table, const std::string& columns, OnRow onRow,
            std::string& error) {
    GError* raw = nullptr;
    const std::string sql = "SELECT " + columns + " FROM `" + table + "`";
    GPtr<LibmsiQuery> query(Msi().queryNew(database, sql.c_str(), &raw));
    std::unique_ptr<GError, GErrorRelease> failure(raw);
    if (!query || failure) {
        error = "cannot query the " + table + " table" + (failure ? std::string(": ") + failure->message : "");
        return false;
    }
    if (!Msi().queryExecute(query.get(), nullptr, &raw)) {
        failure.reset(raw);
        error = "cannot read the " + table + " table" + (failure ? std::string(": ") + failure->message : "");
        return false;
    }
    while (LibmsiRecord* row = Msi().queryFetch(query.get(), nullptr)) onRow(Record(row));
    Msi().queryClose(query.get(), nullptr);
    return true;
}

// The tables the package has, from the catalogue every package carries.
std::set<std::string> TableNames(LibmsiDatabase* database, std::string& error) {
    std::set<std::string> names;
    Select(database, "_Tables", "`Name`", [&](const Record& r) { names.insert(r.Text(1)); }, error);
    return names;
}

void SortBySequence(std::vector<SequenceRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SequenceRow& a, const SequenceRow& b) { return a.sequence < b.sequence; });
}

}  // namespace

const CustomActionRow* Package::FindCustomAction(const std::string& action) const {
    for (const CustomActionRow& row : customActions) {
        if (row.action == action) return &row;
    }
    return nullptr;
}

std::string LongName(const std::string& name) {
    const auto bar = name.find('|');
    return bar == std::string::npos ? name : name.substr(bar + 1);
}

std::optional<Package> ReadPackage(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = file.string() + ": no such package";
        return std::nullopt;
    }
    if (auto tables = ReadPackageTables(file)) return tables;
    if (!Msi().loaded) {
        error = "cannot read " + file.string() + ": msitools' libmsi (libmsi.so.0) is not installed";
        return std::nullopt;
    }
    GError* raw = nullptr;
    GPtr<LibmsiDatabase> database(
        Msi().databaseNew(file.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &raw));
    std::unique_ptr<GError, GErrorRelease> failure(raw);
    if (!database || failure) {
        error = file.string() + ": not a Windows Installer package" +
                (failure ? std::string(" (") + failure->message + ")" : "");
        return std::nullopt;
    }
    LibmsiDatabase* db = database.get();
    const std::set<std::string> tables = TableNames(db, error);
    if (!error.empty()) {
        error = file.string() + ": " + error;
        return std::nullopt;
    }
    // A table the package lacks has no rows.
    auto ForEachRow = [&](const std::string& table, const std::string& columns, auto onRow, std::string& why) {
        return tables.count(table) == 0 || Select(db, table, columns, onRow, why);
    };
    Package package;
    package.path = file;
    bool ok = ForEachRow("Property", "`Property`, `Value`",
                         [&](const Record& r) { package.properties[r.Text(1)] = r.Text(2); }, error) &&
              ForEachRow("CustomAction", "`Action`, `Type`, `Source`, `Target`",
                         [&](const Record& r) {
                             package.customActions.push_back({r.Text(1), r.Number(2, 0), r.Text(3), r.Text(4)});
                         }, error) &&
              ForEachRow("InstallUISequence", "`Action`, `Condition`, `Sequence`",
                         [&](const Record& r) { package.uiSequence.push_back({r.Text(1), r.Text(2), r.Number(3, 0)}); },
                         error) &&
              ForEachRow("InstallExecuteSequence", "`Action`, `Condition`, `Sequence`",
                         [&](const Record& r) {
                             package.executeSequence.push_back({r.Text(1), r.Text(2), r.Number(3, 0)});
                         }, error) &&
              ForEachRow("Feature", "`Feature`, `Feature_Parent`, `Level`",
                         [&](const Record& r) { package.features.push_back({r.Text(1), r.Text(2), r.Number(3, 0)}); },
                         error) &&
              ForEachRow("FeatureComponents", "`Feature_`, `Component_`",
                         [&](const Record& r) { package.featureComponents.emplace_back(r.Text(1), r.Text(2)); }, error) &&
              ForEachRow("Component", "`Component`, `Directory_`, `Attributes`, `Condition`, `KeyPath`",
                         [&](const Record& r) {
                             package.components.push_back({r.Text(1), r.Text(2), r.Number(3, 0), r.Text(4), r.Text(5)});
                         }, error) &&
              ForEachRow("Directory", "`Directory`, `Directory_Parent`, `DefaultDir`",
                         [&](const Record& r) { package.directories.push_back({r.Text(1), r.Text(2), r.Text(3)}); },
                         error) &&
              ForEachRow("File", "`File`, `Component_`, `FileName`, `Sequence`",
                         [&](const Record& r) {
                             package.files.push_back({r.Text(1), r.Text(2), r.Text(3), r.Number(4, 0)});
                         }, error) &&
              ForEachRow("ServiceControl", "`Name`, `Event`, `Component_`",
                         [&](const Record& r) {
                             package.serviceControls.push_back({r.Text(1), r.Number(2, 0), r.Text(3)});
                         }, error) &&
              ForEachRow("Dialog", "`Dialog`", [&](const Record& r) { package.dialogs.push_back(r.Text(1)); },
                         error);
    if (!ok) {
        error = file.string() + ": " + error;
        return std::nullopt;
    }
    SortBySequence(package.uiSequence);
    SortBySequence(package.executeSequence);
    return package;
}

}  // namespace veltra::sim::engine
