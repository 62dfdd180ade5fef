#include "cli/machine_json.h"

#include <array>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_services.h"

namespace veltra::cli {

using nlohmann::json;
using platform::Dword;

namespace {

constexpr std::array<std::pair<const char*, Dword>, 5> kAttributeNames = {{
    {"readonly", platform::kFileAttributeReadOnly},
    {"hidden", platform::kFileAttributeHidden},
    {"system", platform::kFileAttributeSystem},
    {"archive", platform::kFileAttributeArchive},
    {"normal", platform::kFileAttributeNormal},
}};

// Every reader reports the path of the key it was looking at.
struct Reader {
    std::string& error;

    bool Fail(const std::string& where, const std::string& what) {
        error = "machine.json: " + where + ": " + what;
        return false;
    }

    bool Object(const json& value, const std::string& where) {
        return value.is_object() || Fail(where, "must be an object");
    }

    bool StringMap(const json& value, const std::string& where, std::map<std::string, std::string, sim::LessIgnoreCase>& out) {
        if (!Object(value, where)) return false;
        for (const auto& [key, item] : value.items()) {
            if (!item.is_string()) return Fail(where + "." + key, "must be a string");
            out[key] = item.get<std::string>();
        }
        return true;
    }

    bool StringList(const json& value, const std::string& where, sim::NameSet& out) {
        if (!value.is_array()) return Fail(where, "must be a list of strings");
        for (const auto& item : value) {
            if (!item.is_string()) return Fail(where, "must be a list of strings");
            out.insert(item.get<std::string>());
        }
        return true;
    }

    bool Path(const std::string& text, const std::string& where, std::string& normal) {
        const auto path = sim::NormalizeWindowsPath(text);
        if (!path) return Fail(where, "\"" + text + "\" is not a Windows path such as C:\\Dir\\file");
        normal = *path;
        return true;
    }
};

bool ReadSession(Reader& r, const json& session, sim::SessionState& out) {
    if (!r.Object(session, "session")) return false;
    for (const auto& [key, value] : session.items()) {
        const std::string where = "session." + key;
        if (key == "properties") {
            if (!r.Object(value, where)) return false;
            for (const auto& [name, item] : value.items()) {
                if (!item.is_string()) return r.Fail(where + "." + name, "must be a string");
                out.properties[name] = item.get<std::string>();
            }
        } else if (key == "source_paths") {
            if (!r.StringMap(value, where, out.sourcePaths)) return false;
        } else if (key == "target_paths") {
            if (!r.StringMap(value, where, out.targetPaths)) return false;
        } else if (key == "features") {
            if (!r.Object(value, where)) return false;
            for (const auto& [product, features] : value.items()) {
                if (!r.Object(features, where + "." + product)) return false;
                for (const auto& [feature, state] : features.items()) {
                    if (!state.is_number_integer()) {
                        return r.Fail(where + "." + product + "." + feature, "must be an INSTALLSTATE number (3 is installed locally)");
                    }
                    out.featureStates[product][feature] = state.get<int>();
                }
            }
        } else if (key == "products") {
            if (!r.Object(value, where)) return false;
            for (const auto& [product, info] : value.items()) {
                if (!r.Object(info, where + "." + product)) return false;
                for (const auto& [name, item] : info.items()) {
                    if (!item.is_string()) return r.Fail(where + "." + product + "." + name, "must be a string");
                    out.products[product][name] = item.get<std::string>();
                }
            }
        } else {
            return r.Fail(where, "unknown key (expected properties, source_paths, target_paths, features, products)");
        }
    }
    return true;
}

// A registered service: every field optional, each of its own type.
bool ReadService(Reader& r, const json& service, const std::string& where, const std::string& name,
                 sim::ServiceRecord& record) {
    if (!r.Object(service, where)) return false;
    record.config.name = name;
    const std::pair<const char*, std::string*> texts[] = {
        {"display_name", &record.config.displayName}, {"binary_path", &record.config.binaryPath},
        {"account", &record.config.account}, {"description", &record.description}};
    const std::pair<const char*, Dword*> numbers[] = {{"service_type", &record.config.serviceType},
                                                      {"start_type", &record.config.startType},
                                                      {"error_control", &record.config.errorControl}};
    for (const auto& [field, item] : service.items()) {
        bool known = false;
        for (const auto& [text, out] : texts) {
            if (field != text) continue;
            if (!item.is_string()) return r.Fail(where + "." + field, "must be a string");
            *out = item.get<std::string>();
            known = true;
        }
        for (const auto& [number, out] : numbers) {
            if (field != number) continue;
            if (!item.is_number_unsigned()) return r.Fail(where + "." + field, "must be a number such as 2");
            *out = item.get<Dword>();
            known = true;
        }
        if (!known) {
            return r.Fail(where + "." + field, "unknown key (expected display_name, binary_path, service_type, "
                                               "start_type, error_control, account, description)");
        }
    }
    return true;
}

}  // namespace

std::string AttributeNames(Dword attributes) {
    std::string names;
    for (const auto& [name, bit] : kAttributeNames) {
        if ((attributes & bit) != 0) names += (names.empty() ? "" : ",") + std::string(name);
    }
    return names.empty() ? "none" : names;
}

bool MachineFromJson(const json& document, sim::Machine& machine, std::string& error) {
    Reader r{error};
    if (!r.Object(document, "the document")) return false;
    for (const auto& [key, value] : document.items()) {
        if (key == "environment") {
            if (!r.StringMap(value, key, machine.environment)) return false;
        } else if (key == "computer_name") {
            if (!value.is_string()) return r.Fail(key, "must be a string");
            machine.computerName = value.get<std::string>();
        } else if (key == "windows_major_version") {
            if (!value.is_number_unsigned()) return r.Fail(key, "must be a number such as 5");
            machine.windowsMajorVersion = value.get<Dword>();
        } else if (key == "code_page") {
            if (!value.is_number_unsigned()) return r.Fail(key, "must be a number such as 1252 or 932");
            machine.codePage = value.get<unsigned>();
        } else if (key == "session") {
            if (!ReadSession(r, value, machine.session)) return false;
        } else if (key == "mutexes") {
            if (!r.StringList(value, key, machine.mutexes)) return false;
        } else if (key == "files_in_use") {
            sim::NameSet paths;
            if (!r.StringList(value, key, paths)) return false;
            for (const std::string& path : paths) {
                std::string normal;
                if (!r.Path(path, key, normal)) return false;
                machine.filesInUse.insert(normal);
            }
        } else if (key == "loaded_modules") {
            if (!r.StringList(value, key, machine.loadedModules)) return false;
        } else if (key == "attributes") {
            if (!r.Object(value, key)) return false;
            for (const auto& [path, names] : value.items()) {
                std::string normal;
                if (!r.Path(path, key, normal)) return false;
                if (!names.is_array()) return r.Fail(key + "." + path, "must be a list such as [\"system\", \"hidden\"]");
                Dword bits = 0;
                for (const auto& name : names) {
                    bool known = false;
                    for (const auto& [text, bit] : kAttributeNames) {
                        if (name.is_string() && name.get<std::string>() == text) {
                            bits |= bit;
                            known = true;
                        }
                    }
                    if (!known) return r.Fail(key + "." + path, "unknown attribute (readonly, hidden, system, archive, normal)");
                }
                machine.attributes[normal] = bits;
            }
        } else if (key == "versions") {
            if (!r.Object(value, key)) return false;
            for (const auto& [path, strings] : value.items()) {
                std::string normal;
                if (!r.Path(path, key, normal)) return false;
                if (!r.Object(strings, key + "." + path)) return false;
                sim::VersionInfo info;
                for (const auto& [name, text] : strings.items()) {
                    if (!text.is_string()) return r.Fail(key + "." + path + "." + name, "must be a string");
                    const std::string s = text.get<std::string>();
                    if (name == "language" || name == "code_page") {
                        unsigned long number = 0;
                        try {
                            number = std::stoul(s, nullptr, 16);
                        } catch (...) {
                            return r.Fail(key + "." + path + "." + name, "must be four hex digits such as 0409");
                        }
                        (name == "language" ? info.language : info.codePage) = static_cast<std::uint16_t>(number);
                    } else {
                        info.strings[name] = s;
                    }
                }
                machine.versions[normal] = std::move(info);
            }
        } else if (key == "services") {
            if (!r.Object(value, key)) return false;
            for (const auto& [name, service] : value.items()) {
                if (!ReadService(r, service, key + "." + name, name, machine.services[name])) return false;
            }
        } else if (key == "groups") {
            if (!r.Object(value, key)) return false;
            for (const auto& [name, group] : value.items()) {
                if (!r.Object(group, key + "." + name)) return false;
                sim::GroupRecord record;
                record.comment = group.value("comment", "");
                for (const auto& member : group.value("members", json::array())) {
                    const auto sid = member.is_string() ? sim::SidFromString(member.get<std::string>()) : std::nullopt;
                    if (!sid) return r.Fail(key + "." + name + ".members", "must be identifiers such as S-1-5-21-1-2-3-500");
                    record.members.push_back(*sid);
                }
                machine.groups[name] = std::move(record);
            }
        } else if (key == "account_domain_sid") {
            const auto sid = value.is_string() ? sim::SidFromString(value.get<std::string>()) : std::nullopt;
            if (!sid) return r.Fail(key, "must be an identifier such as S-1-5-21-1-2-3");
            machine.accountDomainSid = *sid;
        } else if (key == "applets") {
            if (!r.Object(value, key)) return false;
            for (const auto& [path, results] : value.items()) {
                if (!results.is_array()) return r.Fail(key + "." + path, "must be a list of results, such as [1, 0]");
                std::deque<int> script;
                for (const auto& result : results) {
                    if (!result.is_number_integer()) return r.Fail(key + "." + path, "must be a list of numbers");
                    script.push_back(result.get<int>());
                }
                machine.applets[path] = std::move(script);
            }
        } else if (key == "folder_security") {
            if (!r.StringMap(value, key, machine.folderSecurity)) return false;
        } else {
            return r.Fail(key, "unknown key");
        }
    }
    return true;
}

json MachineToJson(const sim::Machine& machine) {
    json document;
    document["environment"] = json::object();
    for (const auto& [name, value] : machine.environment) document["environment"][name] = value;
    document["computer_name"] = machine.computerName;
    document["windows_major_version"] = machine.windowsMajorVersion;
    if (machine.codePage != 1252) document["code_page"] = machine.codePage;  // 1252 unless said
    json session;
    session["properties"] = json::object();
    for (const auto& [name, value] : machine.session.properties) session["properties"][name] = value;
    session["source_paths"] = json::object();
    for (const auto& [name, value] : machine.session.sourcePaths) session["source_paths"][name] = value;
    session["target_paths"] = json::object();
    for (const auto& [name, value] : machine.session.targetPaths) session["target_paths"][name] = value;
    session["features"] = json::object();
    for (const auto& [product, features] : machine.session.featureStates) {
        for (const auto& [feature, state] : features) session["features"][product][feature] = state;
    }
    session["products"] = json::object();
    for (const auto& [product, info] : machine.session.products) {
        for (const auto& [name, value] : info) session["products"][product][name] = value;
    }
    document["session"] = session;
    document["mutexes"] = json(std::vector<std::string>(machine.mutexes.begin(), machine.mutexes.end()));
    document["files_in_use"] = json(std::vector<std::string>(machine.filesInUse.begin(), machine.filesInUse.end()));
    document["loaded_modules"] = json(std::vector<std::string>(machine.loadedModules.begin(), machine.loadedModules.end()));
    document["attributes"] = json::object();
    for (const auto& [path, bits] : machine.attributes) {
        json names = json::array();
        for (const auto& [text, bit] : kAttributeNames) {
            if ((bits & bit) != 0) names.push_back(text);
        }
        document["attributes"][path] = names;
    }
    document["versions"] = json::object();
    for (const auto& [path, info] : machine.versions) {
        json strings = json::object();
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", info.language);
        strings["language"] = hex;
        std::snprintf(hex, sizeof hex, "%04x", info.codePage);
        strings["code_page"] = hex;
        for (const auto& [name, text] : info.strings) strings[name] = text;
        document["versions"][path] = strings;
    }
    document["services"] = json::object();
    for (const auto& [name, record] : machine.services) {
        document["services"][name] = {{"display_name", record.config.displayName},
                                      {"binary_path", record.config.binaryPath},
                                      {"start_type", record.config.startType},
                                      {"service_type", record.config.serviceType},
                                      {"error_control", record.config.errorControl},
                                      {"account", record.config.account},
                                      {"description", record.description}};
    }
    document["groups"] = json::object();
    for (const auto& [name, record] : machine.groups) {
        json members = json::array();
        for (const auto& sid : record.members) members.push_back(sim::SidToString(sid));
        document["groups"][name] = {{"comment", record.comment}, {"members", members}};
    }
    document["account_domain_sid"] = sim::SidToString(machine.accountDomainSid);
    document["applets"] = json::object();
    for (const auto& [path, results] : machine.applets) {
        document["applets"][path] = json(std::vector<int>(results.begin(), results.end()));
    }
    document["folder_security"] = json::object();
    for (const auto& [path, sddl] : machine.folderSecurity) document["folder_security"][path] = sddl;
    return document;
}

}  // namespace veltra::cli
