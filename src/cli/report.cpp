#include "cli/report.h"

#include <cstdio>
#include <sstream>
#include <utility>

#include "cli/machine_json.h"
#include "platform/registry.h"
#include "cli/secrets.h"
#include "platform/sim/sddl.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_services.h"

namespace veltra::cli {

using nlohmann::json;
using platform::Dword;

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", bytes[i]);
        text += byte;
    }
    return text;
}

std::string StringOf(const std::vector<std::uint8_t>& data) {
    std::string text(data.begin(), data.end());
    if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

std::vector<std::string> MultiStringOf(const std::vector<std::uint8_t>& data) {
    std::vector<std::string> items;
    std::string current;
    for (std::uint8_t byte : data) {
        if (byte == 0) {
            if (current.empty()) break;
            items.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(byte);
        }
    }
    if (!current.empty()) items.push_back(current);
    return items;
}

std::string ResultMeaning(Dword result) {
    switch (result) {
        case 0: return "success";
        case 1602: return "user exit";
        case 1603: return "fatal error: the installer rolls back";
        default: return "failure";
    }
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string Indented(const std::string& text, const std::string& prefix) {
    std::string result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) result += prefix + line + "\n";
    if (text.empty()) result += prefix + "\n";
    return result;
}

// A service's fields as machine.json names them, in the order the report shows them.
std::vector<std::pair<std::string, json>> ServiceFields(const sim::ServiceRecord& service) {
    return {{"display_name", service.config.displayName}, {"binary_path", service.config.binaryPath},
            {"service_type", service.config.serviceType}, {"start_type", service.config.startType},
            {"error_control", service.config.errorControl}, {"account", service.config.account},
            {"description", service.description}};
}

json ServiceToJson(const std::optional<sim::ServiceRecord>& service) {
    if (!service) return nullptr;
    json fields = json::object();
    for (const auto& [name, value] : ServiceFields(*service)) fields[name] = value;
    return fields;
}

// A field as a reader of the text report wants it: names for the numbers the
// Service Control Manager defines, LocalSystem for the account left empty.
std::string ServiceFieldText(const std::string& field, const json& value) {
    if (field == "account") return value.get<std::string>().empty() ? "LocalSystem" : value.get<std::string>();
    if (value.is_string()) return value.get<std::string>();
    const Dword number = value.get<Dword>();
    const char* meaning = "";
    if (field == "service_type") {
        meaning = number == 0x10 ? "own process" : number == 0x20 ? "shared process" : "";
    } else if (field == "start_type") {
        const char* const starts[] = {"boot", "system", "automatic", "on demand", "disabled"};
        meaning = number < 5 ? starts[number] : "";
    } else if (field == "error_control") {
        const char* const controls[] = {"ignore", "normal", "severe", "critical"};
        meaning = number < 4 ? controls[number] : "";
    }
    char text[48];
    std::snprintf(text, sizeof text, field == "service_type" ? "0x%02x" : "%u", number);
    return *meaning != 0 ? std::string(text) + " (" + meaning + ")" : std::string(text);
}

std::string ServiceFieldLabel(std::string label) {
    for (char& c : label) c = c == '_' ? ' ' : c;
    return label;
}

// A folder's security as lines to read; a text the machine file carries but
// Windows would refuse is shown as it is.
std::vector<std::string> SecurityLines(const std::string& sddl) {
    const auto descriptor = sim::ParseSddl(sddl, nullptr);
    if (!descriptor) return {"(unreadable) " + sddl};
    return sim::DescribeSecurity(*descriptor);
}

json SecurityToJson(const std::string& sddl) {
    json entry = {{"sddl", sddl}};
    const auto descriptor = sim::ParseSddl(sddl, nullptr);
    if (!descriptor) return entry;
    entry["owner"] = descriptor->owner;
    entry["group"] = descriptor->group;
    json access = json::array();
    for (const sim::AccessEntry& ace : descriptor->dacl) {
        access.push_back({{"type", ace.type}, {"flags", ace.flags}, {"rights", ace.rights}, {"trustee", ace.trustee}});
    }
    entry["access"] = access;
    entry["description"] = sim::DescribeSecurity(*descriptor);
    return entry;
}

// Every folder and file below `entry` (whose Windows path is `path`). The
// content is shared with the machine, not copied.
void SnapshotFiles(const sim::Machine& machine, const sim::DriveEntry& entry, std::string& path,
                   MachineSnapshot& snapshot) {
    FileState state;
    state.folder = entry.folder;
    if (!entry.folder) {
        state.size = entry.bytes->size();
        state.content = entry.bytes;
    }
    if (const auto a = machine.attributes.find(path); a != machine.attributes.end()) state.attributes = a->second;
    if (const auto s = machine.folderSecurity.find(path); s != machine.folderSecurity.end()) state.security = s->second;
    snapshot.files.emplace(path, std::move(state));
    const std::size_t length = path.size();
    for (const auto& child : entry.children) {
        if (path.back() != '\\') path += '\\';
        path += child->name;
        SnapshotFiles(machine, *child, path, snapshot);
        path.resize(length);
    }
}

}  // namespace

std::string TypeName(Dword type) {
    switch (type) {
        case platform::kRegNone: return "REG_NONE";
        case platform::kRegSz: return "REG_SZ";
        case platform::kRegExpandSz: return "REG_EXPAND_SZ";
        case platform::kRegBinary: return "REG_BINARY";
        case platform::kRegDword: return "REG_DWORD";
        case platform::kRegMultiSz: return "REG_MULTI_SZ";
        case platform::kRegQword: return "REG_QWORD";
        default: return "REG_TYPE_" + std::to_string(type);
    }
}

json ValueToJson(const std::string& valueName, const sim::RegValue& value) {
    if (IsSecretValueName(valueName)) return std::string(kMasked);
    switch (value.type) {
        case platform::kRegSz:
        case platform::kRegExpandSz: return StringOf(value.data);
        case platform::kRegMultiSz: return MultiStringOf(value.data);
        case platform::kRegDword:
            if (value.data.size() == 4) {
                return static_cast<Dword>(value.data[0]) | (static_cast<Dword>(value.data[1]) << 8) |
                       (static_cast<Dword>(value.data[2]) << 16) | (static_cast<Dword>(value.data[3]) << 24);
            }
            return Hex(value.data);
        default: return Hex(value.data);
    }
}

std::string ValueToText(const std::string& valueName, const sim::RegValue& value) {
    const json shown = ValueToJson(valueName, value);
    if (shown.is_string()) {
        const bool isText = value.type == platform::kRegSz || value.type == platform::kRegExpandSz;
        return isText && !IsSecretValueName(valueName) ? Quote(shown.get<std::string>()) : shown.get<std::string>();
    }
    if (shown.is_number()) {
        char text[32];
        std::snprintf(text, sizeof text, "%u (0x%08x)", shown.get<Dword>(), shown.get<Dword>());
        return text;
    }
    std::string items;
    for (const auto& item : shown) items += (items.empty() ? "" : ", ") + Quote(item.get<std::string>());
    return "[" + items + "]";
}

namespace {

// Everything but the registry, which the caller copies when it needs to.
MachineSnapshot SnapshotWithoutRegistry(const sim::Machine& machine) {
    MachineSnapshot snapshot;
    snapshot.properties = machine.session.properties;
    snapshot.services = machine.services;
    snapshot.groups = machine.groups;
    snapshot.environment = machine.environment;
    snapshot.mutexes = machine.mutexes;
    for (const auto& drive : machine.drives.drives()) {
        std::string path = drive->name + ":\\";
        SnapshotFiles(machine, *drive, path, snapshot);
    }
    return snapshot;
}

void Compare(const MachineSnapshot& before, const MachineSnapshot& after, const sim::RegistryTree& afterRegistry,
             RunReport& report);

}  // namespace

MachineSnapshot TakeSnapshot(sim::Machine& machine) {
    MachineSnapshot snapshot = SnapshotWithoutRegistry(machine);
    snapshot.registry = machine.registry.StartBaseline();
    return snapshot;
}

void CompareWithMachine(const MachineSnapshot& before, const sim::Machine& machine, RunReport& report) {
    Compare(before, SnapshotWithoutRegistry(machine), machine.registry, report);
}

void CompareRoadWithMachine(const sim::engine::InstallOutcome& outcome, MachineSnapshot before,
                            sim::Machine& machine, RunReport& report) {
    report.steps = outcome.steps;
    report.result = outcome.result;
    before.properties = outcome.startProperties;
    std::map<std::string, std::string> kept = std::exchange(machine.session.properties, outcome.properties);
    CompareWithMachine(before, machine, report);
    machine.session.properties = std::move(kept);
}

namespace {

void Compare(const MachineSnapshot& before, const MachineSnapshot& after, const sim::RegistryTree& afterRegistry,
             RunReport& report) {
    std::set<std::string> names;
    for (const auto& [name, value] : before.properties) names.insert(name);
    for (const auto& [name, value] : after.properties) names.insert(name);
    for (const std::string& name : names) {
        const auto b = before.properties.find(name);
        const auto a = after.properties.find(name);
        std::optional<std::string> was = b != before.properties.end() ? std::optional(b->second) : std::nullopt;
        std::optional<std::string> now = a != after.properties.end() ? std::optional(a->second) : std::nullopt;
        if (was != now) report.properties.push_back({name, was, now});
    }

    report.registry = sim::DiffSince(*before.registry, afterRegistry);

    for (const auto& [path, state] : after.files) {
        const auto b = before.files.find(path);
        if (b == before.files.end()) {
            report.files.push_back({path, "added", state.folder ? "folder" : std::to_string(state.size) + " bytes", state.security});
        } else if (state.folder && b->second.security != state.security) {
            report.files.push_back({path, "security", "folder", state.security});
        } else if (!state.folder && b->second.content != state.content &&
                   (b->second.content == nullptr || *b->second.content != *state.content)) {
            report.files.push_back({path, "changed", std::to_string(b->second.size) + " -> " + std::to_string(state.size) + " bytes", {}});
        } else if (b->second.attributes != state.attributes) {
            report.files.push_back({path, "attributes", AttributeNames(b->second.attributes) + " -> " + AttributeNames(state.attributes), {}});
        }
    }
    for (const auto& [path, state] : before.files) {
        if (!after.files.contains(path)) report.files.push_back({path, "deleted", state.folder ? "folder" : std::to_string(state.size) + " bytes", {}});
    }

    for (const auto& [name, service] : after.services) {
        const auto b = before.services.find(name);
        if (b == before.services.end()) {
            report.services.push_back({name, "added", std::nullopt, service});
        } else if (ServiceFields(b->second) != ServiceFields(service)) {
            report.services.push_back({name, "changed", b->second, service});
        }
    }
    for (const auto& [name, service] : before.services) {
        if (!after.services.contains(name)) report.services.push_back({name, "deleted", service, std::nullopt});
    }
    for (const auto& [name, group] : after.groups) {
        const auto b = before.groups.find(name);
        GroupChange change{name, b == before.groups.end() ? "added" : "changed", group.comment, {}, {}};
        for (const auto& member : group.members) {
            change.members.push_back(sim::SidToString(member));
            const bool had = b != before.groups.end() &&
                             std::find(b->second.members.begin(), b->second.members.end(), member) != b->second.members.end();
            if (!had) change.addedMembers.push_back(change.members.back());
        }
        const bool changed = b == before.groups.end() || b->second.comment != group.comment || !change.addedMembers.empty() ||
                             b->second.members.size() != group.members.size();
        if (changed) report.groups.push_back(std::move(change));
    }
    for (const auto& [name, value] : after.environment) {
        const auto b = before.environment.find(name);
        if (b == before.environment.end() || b->second != value) report.others.push_back({"environment", name, "= " + value});
    }
    for (const auto& name : after.mutexes) {
        if (!before.mutexes.contains(name)) report.others.push_back({"mutex", name, "left existing"});
    }
}

}  // namespace

void TakeRecords(sim::Machine& machine, RunReport& report) {
    report.dialogs = std::move(machine.dialogs);
    report.messages = std::move(machine.session.messages);
    report.log = std::move(machine.session.log);
    report.shellOpens = std::move(machine.shellOpens);
    report.appletCalls = std::move(machine.appletCalls);
    report.standardOutput = std::move(machine.standardOutput);
    report.unfit = std::move(machine.unfitEntries);
    report.trace = machine.trace.lines();
    report.unansweredDialog = machine.unansweredDialog;
    machine.dialogs.clear();
    machine.session.messages.clear();
    machine.session.log.clear();
    machine.shellOpens.clear();
    machine.appletCalls.clear();
    machine.standardOutput.clear();
    machine.unfitEntries.clear();
}

std::string RenderText(const RunReport& report) {
    std::ostringstream out;
    out << report.title;
    if (report.result) out << " returned " << *report.result << " (" << ResultMeaning(*report.result) << ")";
    out << "\n";
    if (report.unansweredDialog) out << "STOPPED: " << *report.unansweredDialog << "\n";

    if (!report.steps.empty()) {
        out << "\nSteps\n";
        for (const StepResult& step : report.steps) {
            out << "  " << step.action << " (" << step.kind << ")";
            if (step.result) out << " -> " << *step.result;
            if (!step.note.empty()) out << "  [" << step.note << "]";
            out << "\n";
        }
    }

    out << "\nProperties\n";
    if (report.properties.empty()) out << "  (no change)\n";
    for (const PropertyChange& change : report.properties) {
        auto shown = [&](const std::optional<std::string>& value) {
            if (!value) return std::string("(absent)");
            return IsSecretProperty(change.name, *value) ? std::string(kMasked) : Quote(*value);
        };
        out << "  " << change.name << ": " << shown(change.before) << " -> " << shown(change.after) << "\n";
    }

    out << "\nRegistry\n";
    if (report.registry.empty()) out << "  (no change)\n";
    std::string lastKey;
    for (const sim::RegChange& change : report.registry) {
        if (change.key != lastKey) {
            out << "  [" << change.key << "]";
            if (change.kind == sim::RegChange::KeyAdded) out << "  key added";
            if (change.kind == sim::RegChange::KeyDeleted) out << "  key deleted";
            out << "\n";
            lastKey = change.key;
            if (change.kind == sim::RegChange::KeyAdded || change.kind == sim::RegChange::KeyDeleted) continue;
        }
        if (change.kind == sim::RegChange::KeyAdded || change.kind == sim::RegChange::KeyDeleted) continue;
        const std::string name = change.name.empty() ? "@" : change.name;
        const sim::RegValue& typed = change.after ? *change.after : *change.before;
        out << "    " << name << " " << TypeName(typed.type) << ": "
            << (change.before ? ValueToText(change.name, *change.before) : "(absent)") << " -> "
            << (change.after ? ValueToText(change.name, *change.after) : "(absent)") << "\n";
    }

    out << "\nFiles\n";
    if (report.files.empty()) out << "  (no change)\n";
    for (const FileChange& change : report.files) {
        out << "  " << change.change << ": " << change.path << " (" << change.detail << ")\n";
        if (!change.security.empty()) {
            for (const std::string& line : SecurityLines(change.security)) out << "    security: " << line << "\n";
        }
    }

    if (!report.services.empty()) {
        out << "\nServices\n";
        for (const ServiceChange& change : report.services) {
            out << "  " << change.change << ": " << change.name << "\n";
            if (change.change == "deleted") continue;
            const auto after = ServiceFields(*change.after);
            const auto before = change.before ? ServiceFields(*change.before) : after;
            for (std::size_t i = 0; i < after.size(); ++i) {
                const auto& [field, value] = after[i];
                if (change.before && before[i].second == value) continue;
                out << "    " << ServiceFieldLabel(field) << ": ";
                if (change.before) out << ServiceFieldText(field, before[i].second) << " -> ";
                out << ServiceFieldText(field, value) << "\n";
            }
        }
    }

    if (!report.groups.empty()) {
        out << "\nGroups\n";
        for (const GroupChange& change : report.groups) {
            out << "  " << change.change << ": " << change.name << "\n";
            out << "    comment: " << Quote(change.comment) << "\n";
            for (const std::string& member : change.members) {
                const bool added = std::find(change.addedMembers.begin(), change.addedMembers.end(), member) !=
                                   change.addedMembers.end();
                out << "    member: " << member << (added && change.change != "added" ? " (added)" : "") << "\n";
            }
        }
    }

    if (!report.others.empty()) {
        out << "\nEnvironment and mutexes\n";
        for (const OtherChange& change : report.others) out << "  " << change.what << " " << change.name << ": " << change.change << "\n";
    }

    out << "\nDialogs\n";
    if (report.dialogs.empty()) out << "  (none)\n";
    int number = 1;
    for (const sim::DialogRecord& dialog : report.dialogs) {
        char style[16];
        std::snprintf(style, sizeof style, "0x%08x", dialog.style);
        out << "  " << number++ << ". " << dialog.kind << ", owner: " << dialog.owner << ", "
            << (dialog.kind == "MessageBox" ? "style " : "flags ") << style << "\n";
        out << "     " << (dialog.kind == "MessageBox" ? "caption: " : "title: ") << dialog.caption << "\n";
        if (dialog.kind == "MessageBox") {
            out << Indented(dialog.text, "     | ");
        } else {
            out << "     initial file: " << dialog.text << "\n";
            for (const auto& [description, pattern] : dialog.filter) out << "     filter: " << description << " / " << pattern << "\n";
        }
        out << "     answer: " << (dialog.answer.empty() ? "(none scripted)" : dialog.answer) << "\n";
    }

    if (!report.messages.empty()) {
        out << "\nInstaller messages\n";
        for (const auto& [type, record] : report.messages) {
            char kind[16];
            std::snprintf(kind, sizeof kind, "0x%08x", type);
            out << "  " << kind << ":";
            for (std::size_t i = 1; i < record.fields.size(); ++i) out << " [" << i << "] " << Quote(record.fields[i]);
            out << "\n";
        }
    }
    if (!report.appletCalls.empty()) {
        out << "\nApplet calls\n";
        int call = 1;
        for (const sim::AppletCallRecord& applet : report.appletCalls) {
            out << "  " << call++ << ". " << applet.module << " " << applet.exportName << " returned " << applet.result << "\n";
        }
    }
    for (const sim::ShellOpenRecord& open : report.shellOpens) {
        out << "\nShell: " << open.verb << " " << open.file << " (show " << open.show << ")\n";
    }

    out << "\nStandard output\n";
    out << (report.standardOutput.empty() ? "  (none)\n" : Indented(report.standardOutput, "  "));

    if (!report.unfit.empty()) {
        out << "\nDid not fit a buffer (skipped or read as absent)\n";
        for (const sim::UnfitEntry& entry : report.unfit) {
            out << "  " << entry.operation << " [" << entry.key << "] "
                << (entry.name.empty() ? std::string("@") : Quote(entry.name)) << ": " << entry.part << " needs "
                << entry.needed << " bytes, buffer " << entry.given << "\n";
        }
    }

    out << "\nLog\n";
    if (report.log.empty()) out << "  (none)\n";
    for (const std::string& line : report.log) out << "  " << line << "\n";

    if (!report.trace.empty()) {
        out << "\nTrace\n";
        for (const sim::TraceLine& line : report.trace) {
            out << "  " << line.operation << "(" << line.subject << ") = " << line.result << "\n";
        }
    }
    return out.str();
}

json RenderJson(const RunReport& report) {
    json document;
    document["action"] = report.title;
    document["result"] = report.result ? json(*report.result) : json(nullptr);
    if (!report.steps.empty()) {
        json steps = json::array();
        for (const StepResult& step : report.steps) {
            steps.push_back({{"action", step.action}, {"kind", step.kind},
                             {"result", step.result ? json(*step.result) : json(nullptr)}, {"note", step.note}});
        }
        document["steps"] = steps;
    }
    json properties = json::array();
    for (const PropertyChange& change : report.properties) {
        auto shown = [&](const std::optional<std::string>& value) -> json {
            if (!value) return nullptr;
            return IsSecretProperty(change.name, *value) ? std::string(kMasked) : *value;
        };
        properties.push_back({{"name", change.name}, {"before", shown(change.before)}, {"after", shown(change.after)}});
    }
    document["properties"] = properties;
    json registry = json::array();
    for (const sim::RegChange& change : report.registry) {
        json entry = {{"key", change.key}};
        switch (change.kind) {
            case sim::RegChange::KeyAdded: entry["change"] = "key added"; break;
            case sim::RegChange::KeyDeleted: entry["change"] = "key deleted"; break;
            case sim::RegChange::ValueAdded: entry["change"] = "value added"; break;
            case sim::RegChange::ValueChanged: entry["change"] = "value changed"; break;
            case sim::RegChange::ValueDeleted: entry["change"] = "value deleted"; break;
        }
        if (change.kind != sim::RegChange::KeyAdded && change.kind != sim::RegChange::KeyDeleted) {
            const sim::RegValue& typed = change.after ? *change.after : *change.before;
            entry["name"] = change.name;
            entry["type"] = TypeName(typed.type);
            entry["before"] = change.before ? ValueToJson(change.name, *change.before) : json(nullptr);
            entry["after"] = change.after ? ValueToJson(change.name, *change.after) : json(nullptr);
        }
        registry.push_back(entry);
    }
    document["registry"] = registry;
    json files = json::array();
    for (const FileChange& change : report.files) {
        json entry = {{"path", change.path}, {"change", change.change}, {"detail", change.detail}};
        if (!change.security.empty()) entry["security"] = SecurityToJson(change.security);
        files.push_back(entry);
    }
    document["files"] = files;
    json others = json::array();
    for (const OtherChange& change : report.others) {
        others.push_back({{"what", change.what}, {"name", change.name}, {"change", change.change}});
    }
    document["others"] = others;
    json groups = json::array();
    for (const GroupChange& change : report.groups) {
        groups.push_back({{"name", change.name}, {"change", change.change}, {"comment", change.comment},
                          {"members", change.members}, {"added_members", change.addedMembers}});
    }
    document["groups"] = groups;
    json services = json::array();
    for (const ServiceChange& change : report.services) {
        services.push_back({{"name", change.name}, {"change", change.change},
                            {"before", ServiceToJson(change.before)}, {"after", ServiceToJson(change.after)}});
    }
    document["services"] = services;
    json opens = json::array();
    for (const sim::ShellOpenRecord& open : report.shellOpens) {
        opens.push_back({{"verb", open.verb}, {"file", open.file},
                         {"parameters", open.parameters ? json(*open.parameters) : json(nullptr)},
                         {"directory", open.directory ? json(*open.directory) : json(nullptr)},
                         {"show", open.show}});
    }
    document["shell_opens"] = opens;
    json applets = json::array();
    for (const sim::AppletCallRecord& applet : report.appletCalls) {
        applets.push_back({{"module", applet.module}, {"export", applet.exportName}, {"result", applet.result}});
    }
    document["applet_calls"] = applets;
    json dialogs = json::array();
    for (const sim::DialogRecord& dialog : report.dialogs) {
        json entry = {{"kind", dialog.kind}, {"owner", dialog.owner}, {"caption", dialog.caption},
                      {"text", dialog.text}, {"style", dialog.style},
                      {"answer", dialog.answer.empty() ? json(nullptr) : json(dialog.answer)}};
        if (dialog.kind != "MessageBox") {
            json filter = json::array();
            for (const auto& [description, pattern] : dialog.filter) filter.push_back({description, pattern});
            entry["filter"] = filter;
        }
        dialogs.push_back(entry);
    }
    document["dialogs"] = dialogs;
    json messages = json::array();
    for (const auto& [type, record] : report.messages) messages.push_back({{"type", type}, {"fields", record.fields}});
    document["messages"] = messages;
    document["stdout"] = report.standardOutput;
    document["log"] = report.log;
    if (!report.unfit.empty()) {
        json unfit = json::array();
        for (const sim::UnfitEntry& entry : report.unfit) {
            unfit.push_back({{"operation", entry.operation}, {"key", entry.key}, {"name", entry.name},
                             {"part", entry.part}, {"needed", entry.needed}, {"given", entry.given}});
        }
        document["unfit"] = unfit;
    }
    if (report.unansweredDialog) document["stopped"] = *report.unansweredDialog;
    if (!report.trace.empty()) {
        json trace = json::array();
        for (const sim::TraceLine& line : report.trace) {
            trace.push_back({{"operation", line.operation}, {"subject", line.subject}, {"result", line.result}});
        }
        document["trace"] = trace;
    }
    return document;
}

}  // namespace veltra::cli
