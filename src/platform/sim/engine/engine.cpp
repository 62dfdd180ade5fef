#include "platform/sim/engine/engine.h"

#include <algorithm>
#include <set>

#include "platform/sim/engine/condition.h"
#include "platform/sim/engine/costing.h"
#include "platform/sim/engine/format.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace veltra::sim::engine {
namespace {

using platform::Dword;

constexpr Dword kSuccess = 0;
constexpr Dword kUserExit = 1602;
constexpr Dword kFailure = 1603;
constexpr Dword kNoMoreItems = 259;  // an action asks to skip the rest of its sequence

// msidbCustomActionType bits.
constexpr int kTypeMask = 0x3F;
constexpr int kTypeDll = 1;
constexpr int kTypeError = 19;
constexpr int kTypeSetDirectory = 35;
constexpr int kTypeSetProperty = 51;
constexpr int kContinue = 0x40;
constexpr int kRollback = 0x100;
constexpr int kCommit = 0x200;
constexpr int kInScript = 0x400;

// Standard actions whose work the simulated machine has nothing to show for
// (registration bookkeeping, searches the test packages do not use).
const std::set<std::string> kQuietStandardActions = {
    "ExecuteAction", "AppSearch", "LaunchConditions", "FindRelatedProducts", "MigrateFeatureStates", "ValidateProductID",
    "FileCost", "CostInitialize", "InstallValidate", "ProcessComponents", "RegisterUser", "RegisterProduct",
    "PublishFeatures", "PublishProduct", "UnpublishFeatures", "CreateFolders", "RemoveFolders",
    "WriteRegistryValues", "RemoveRegistryValues", "CreateShortcuts", "RemoveShortcuts", "RemoveExistingProducts",
    "InstallAdminPackage", "ScheduleReboot", "ForceReboot", "RegisterComPlus", "SelfRegModules",
    "SelfUnregModules", "AllocateRegistrySpace", "DuplicateFiles", "RemoveDuplicateFiles", "InstallODBC",
    "RemoveODBC", "WriteIniValues", "RemoveIniValues", "MoveFiles", "PatchFiles", "BindImage", "CCPSearch",
    "RMCCPSearch", "IsolateComponents", "ResolveSource", "SetODBCFolders", "StartServices", "StopServices",
    "InstallServices", "RegisterTypeLibraries", "UnregisterTypeLibraries", "MsiPublishAssemblies",
    "MsiUnpublishAssemblies", "RegisterClassInfo", "UnregisterClassInfo", "RegisterExtensionInfo",
    "UnregisterExtensionInfo", "RegisterMIMEInfo", "UnregisterMIMEInfo", "RegisterProgIdInfo",
    "UnregisterProgIdInfo", "PublishComponents", "UnpublishComponents", "WriteEnvironmentStrings",
    "RemoveEnvironmentStrings", "InstallSFPCatalogFile", "DisableRollback", "MsiConfigureServices"};

std::string Trailing(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

// One entry of the installation script.
struct ScriptOp {
    enum class Kind { Deferred, Rollback, Commit, InstallFile, RemoveFile, DeleteService };
    Kind kind = Kind::Deferred;
    std::string action;  // custom action row, the file key, or the ServiceControl's component
    std::string entry;   // DLL entry point
    std::string data;    // CustomActionData, the file's path, or the service name
    int type = 0;
};

// What to undo if the script fails: a rollback action, a file to take away
// again or to put back, or a deleted service to register again.
struct Undo {
    enum class Kind { Action, DeleteFile, RestoreFile, RestoreService } kind = Kind::Action;
    ScriptOp op;
    std::string path;
    std::string bytes;
    std::optional<ServiceRecord> service;
};

class Installation final : public SessionView {
public:
    Installation(const Package& package, Machine& machine, const EngineOptions& options)
        : package_(package), machine_(machine), options_(options) {}

    InstallOutcome Run();

    // SessionView
    std::optional<std::string> Property(std::string_view name) const override {
        const auto it = properties().find(std::string(name));
        if (it == properties().end() || it->second.empty()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> Environment(std::string_view name) const override {
        const auto it = machine_.environment.find(std::string(name));
        if (it == machine_.environment.end()) return std::nullopt;
        return it->second;
    }
    int FeatureInstalled(std::string_view feature) const override {
        return Lookup(costing_.featureInstalled, feature);
    }
    int FeatureAction(std::string_view feature) const override { return Lookup(costing_.featureAction, feature); }
    int ComponentInstalled(std::string_view component) const override {
        return Lookup(costing_.componentInstalled, component);
    }
    int ComponentAction(std::string_view component) const override {
        return Lookup(costing_.componentAction, component);
    }
    std::optional<std::string> FilePath(std::string_view fileKey) const override {
        for (const FileRow& file : package_.files) {
            if (file.file != fileKey) continue;
            const auto folder = ComponentFolder(file.component);
            if (!folder) return std::nullopt;
            return *folder + LongName(file.fileName);
        }
        return std::nullopt;
    }
    std::optional<std::string> ComponentFolder(std::string_view component) const override {
        for (const ComponentRow& row : package_.components) {
            if (row.component != component) continue;
            const auto it = costing_.targetFolders.find(row.directory);
            if (it == costing_.targetFolders.end()) return std::nullopt;
            return it->second;
        }
        return std::nullopt;
    }

private:
    static int Lookup(const std::map<std::string, int>& states, std::string_view name) {
        const auto it = states.find(std::string(name));
        return it != states.end() ? it->second : kStateUnknown;
    }
    std::map<std::string, std::string>& properties() { return machine_.session.properties; }
    const std::map<std::string, std::string>& properties() const { return machine_.session.properties; }
    std::string PropertyValue(const std::string& name) const { return Property(name).value_or(""); }
    void SetProperty(const std::string& name, const std::string& value) {
        if (value.empty()) {
            properties().erase(name);
        } else {
            properties()[name] = value;
        }
    }

    void StartSession(const std::map<std::string, std::string>& given);
    std::string ProgramMenuFolder(bool allUsers);
    unsigned VersionNT() const;
    // Runs one sequence table; ExecuteAction in the user-interface sequence
    // runs the execution sequence. Returns the installation's result so far.
    Dword RunSequence(const std::vector<SequenceRow>& rows, bool uiSequence);
    Dword RunRow(const std::string& action);
    Dword RunStandard(const std::string& action, Step& step);
    Dword RunCustom(const CustomActionRow& row, Step& step);
    Dword CallAction(const std::string& entry, bool deferred, const std::string& data, Step& step);
    Dword RunScript();
    void RollBack();
    void Costing();
    void Publish();
    bool ProductInstalled() const { return machine_.session.products.count(productCode_) != 0; }

    const Package& package_;
    Machine& machine_;
    const EngineOptions& options_;
    std::string productCode_;
    engine::Costing costing_;
    bool costed_ = false;
    bool executed_ = false;
    std::vector<ScriptOp> script_;
    std::vector<Undo> undo_;
    InstallOutcome outcome_;
};

// VersionNT: major * 100 + minor (501 for XP). The minor number is the one
// Windows records beside its version in the registry, 0 when that record is
// missing or belongs to another major version.
unsigned Installation::VersionNT() const {
    const unsigned major = machine_.windowsMajorVersion;
    unsigned minor = 0;
    if (const auto key = machine_.registry.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")) {
        if (const RegValue* value = key->FindValue("CurrentVersion")) {
            const std::string text(value->data.begin(), std::find(value->data.begin(), value->data.end(), 0));
            const std::string prefix = std::to_string(major) + ".";
            if (text.starts_with(prefix) && text.size() > prefix.size() &&
                text.find_first_not_of("0123456789", prefix.size()) == std::string::npos && text.size() - prefix.size() <= 2) {
                minor = static_cast<unsigned>(std::stoul(text.substr(prefix.size())));
            }
        }
    }
    return major * 100 + minor;
}

// The Start menu's programs: the installing user's, unless the package is
// installed for all users ("ALLUSERS"). Vista and later keep them below the
// roaming profile and ProgramData, NT 5 in the profiles themselves.
std::string Installation::ProgramMenuFolder(bool allUsers) {
    auto env = [&](const char* name) { return Environment(name).value_or(""); };
    const bool vista = !env("ProgramData").empty();
    if (allUsers) {
        if (vista) return Trailing(env("ProgramData")) + "Microsoft\\Windows\\Start Menu\\Programs\\";
        return env("ALLUSERSPROFILE").empty() ? "" : Trailing(env("ALLUSERSPROFILE")) + "Start Menu\\Programs\\";
    }
    if (vista) return env("APPDATA").empty() ? "" : Trailing(env("APPDATA")) + "Microsoft\\Windows\\Start Menu\\Programs\\";
    return env("USERPROFILE").empty() ? "" : Trailing(env("USERPROFILE")) + "Start Menu\\Programs\\";
}

void Installation::StartSession(const std::map<std::string, std::string>& given) {
    std::map<std::string, std::string>& props = properties();
    props = package_.properties;
    // The folders and facts the installer takes from the system.
    auto env = [&](const char* name) { return Environment(name).value_or(""); };
    const std::string windows = Trailing(env("windir").empty() ? env("SystemRoot") : env("windir"));
    std::map<std::string, std::string> system = {
        {"WindowsFolder", windows},
        {"SystemFolder", windows.empty() ? "" : windows + "system32\\"},
        {"System64Folder", windows.empty() ? "" : windows + "system32\\"},
        {"ProgramFilesFolder", Trailing(env("ProgramFiles"))},
        {"ProgramFiles64Folder", Trailing(env("ProgramFiles"))},
        {"CommonFilesFolder", Trailing(env("CommonProgramFiles"))},
        {"TempFolder", Trailing(env("TEMP"))},
        // Vista and later name it in the environment; NT 5 keeps it in the
        // All Users profile.
        {"CommonAppDataFolder", !env("ProgramData").empty() ? Trailing(env("ProgramData"))
                                : env("ALLUSERSPROFILE").empty() ? std::string()
                                                                 : Trailing(env("ALLUSERSPROFILE")) + "Application Data\\"},
        {"ComputerName", machine_.computerName},
        {"ROOTDRIVE", "C:\\"},
    };
    for (const auto& [name, value] : system) {
        if (!value.empty()) props[name] = value;
    }
    props["VersionNT"] = std::to_string(VersionNT());
    // The machine's own record of the session (its folders, the wizard's
    // choices a bench user gave it) and then the command line.
    for (const auto& [name, value] : given) props[name] = value;
    for (const auto& [name, value] : options_.folders) props[name] = value;
    for (const auto& [name, value] : options_.commandLine) SetProperty(name, value);
    if (props.count("ProgramMenuFolder") == 0) {
        const std::string menu = ProgramMenuFolder(!PropertyValue("ALLUSERS").empty());
        if (!menu.empty()) props["ProgramMenuFolder"] = menu;
    }
    productCode_ = PropertyValue("ProductCode");
    props["UILevel"] = std::to_string(options_.uiLevel);
    if (ProductInstalled()) {
        props["Installed"] = "1";
    } else {
        props.erase("Installed");
    }
    machine_.session.deferred = false;
    props.erase("CustomActionData");
}

void Installation::Costing() {
    costing_ = engine::Costing{};
    ResolveFolders(package_, properties(), costing_);
    for (const auto& [directory, path] : costing_.targetFolders) machine_.session.targetPaths[directory] = path;
    for (const auto& [directory, path] : costing_.sourceFolders) machine_.session.sourcePaths[directory] = path;

    std::map<std::string, int> registered;
    if (const auto it = machine_.session.featureStates.find(productCode_); it != machine_.session.featureStates.end()) {
        registered = it->second;
    }
    ChooseStates(package_, properties(), registered, ProductInstalled(), options_.allOnlyAsWholeValue, costing_);
    costed_ = true;
}

Dword Installation::RunSequence(const std::vector<SequenceRow>& rows, bool uiSequence) {
    for (const SequenceRow& row : rows) {
        if (row.sequence < 0) continue;  // exit dialogs and the like
        const ConditionResult condition = EvaluateCondition(row.condition, *this);
        if (!condition.ok()) {
            outcome_.error = "the condition of " + row.action + " is malformed: " + condition.error;
            outcome_.steps.push_back({row.action, "-", outcome_.error, kFailure});
            return kFailure;
        }
        if (!condition.value) continue;
        if (uiSequence && row.action == "ExecuteAction") {
            outcome_.steps.push_back({row.action, "standard", "the execution sequence", std::nullopt});
            const Dword result = RunSequence(package_.executeSequence, false);
            executed_ = true;
            if (result != kSuccess) return result;
            continue;
        }
        const Dword result = RunRow(row.action);
        if (result == kNoMoreItems) break;
        if (result != kSuccess) return result;
    }
    return kSuccess;
}

Dword Installation::RunRow(const std::string& action) {
    Step step{action, "", "", std::nullopt};
    Dword result = kSuccess;
    if (const CustomActionRow* row = package_.FindCustomAction(action)) {
        result = RunCustom(*row, step);
    } else if (std::find(package_.dialogs.begin(), package_.dialogs.end(), action) != package_.dialogs.end()) {
        step.kind = "dialog";
        step.note = "a dialog of the package: not shown by the simulated installer";
    } else {
        result = RunStandard(action, step);
    }
    if (!step.kind.empty()) outcome_.steps.push_back(std::move(step));
    return result;
}

Dword Installation::RunStandard(const std::string& action, Step& step) {
    step.kind = "standard";
    if (action == "CostInitialize") {
        // The package's own folder is known from here on (MsiGetSourcePath of
        // "SourceDir"); the folders of the Directory table wait for CostFinalize.
        if (const auto source = Property("SourceDir")) machine_.session.sourcePaths["SourceDir"] = Trailing(*source);
        step.kind.clear();
        return kSuccess;
    }
    if (action == "CostFinalize") {
        Costing();
        std::string local;
        for (const FeatureRow& feature : package_.features) {
            if (costing_.FeatureAfter(feature.feature) == kStateLocal) local += (local.empty() ? "" : ",") + feature.feature;
        }
        step.note = "features installed afterwards: " + (local.empty() ? std::string("none") : local);
        return kSuccess;
    }
    if (action == "InstallInitialize") {
        script_.clear();
        step.note = "the installation script begins";
        return kSuccess;
    }
    if (action == "InstallFiles" || action == "RemoveFiles") {
        if (!costed_) Costing();
        const bool install = action == "InstallFiles";
        int count = 0;
        for (const FileRow& file : package_.files) {
            const auto it = costing_.componentAction.find(file.component);
            if (it == costing_.componentAction.end() || it->second != (install ? kStateLocal : kStateAbsent)) continue;
            const auto path = FilePath(file.file);
            if (!path) continue;
            script_.push_back({install ? ScriptOp::Kind::InstallFile : ScriptOp::Kind::RemoveFile, file.file, "",
                               *path, 0});
            ++count;
        }
        step.note = std::to_string(count) + (install ? " files to lay down" : " files to remove");
        return kSuccess;
    }
    if (action == "DeleteServices") {
        // The ServiceControl rows that delete a service when their component
        // is installed (msidbServiceControlEventDelete) or removed
        // (msidbServiceControlEventUninstallDelete).
        constexpr int kDeleteOnInstall = 0x08;
        constexpr int kDeleteOnRemoval = 0x80;
        if (!costed_) Costing();
        int count = 0;
        for (const ServiceControlRow& control : package_.serviceControls) {
            const auto it = costing_.componentAction.find(control.component);
            if (it == costing_.componentAction.end()) continue;
            const bool deletes = (it->second == kStateLocal && (control.event & kDeleteOnInstall) != 0) ||
                                 (it->second == kStateAbsent && (control.event & kDeleteOnRemoval) != 0);
            if (!deletes) continue;
            script_.push_back({ScriptOp::Kind::DeleteService, control.component, "", FormatText(control.name, *this), 0});
            ++count;
        }
        step.note = std::to_string(count) + " services to delete";
        return kSuccess;
    }
    if (action == "InstallFinalize") {
        // The script's steps come first in the report, then this line.
        const Dword result = RunScript();
        step.note = result == kSuccess ? "the installation script ran" : "the installation script failed and was rolled back";
        step.result = result;
        return result;
    }
    if (kQuietStandardActions.count(action) != 0) {
        step.kind.clear();  // nothing to report
        return kSuccess;
    }
    outcome_.error = "the sequence names " + action + ", which is neither a custom action of the package nor a "
                     "standard action the simulated installer knows";
    step.kind = "-";
    step.note = outcome_.error;
    step.result = kFailure;
    return kFailure;
}

Dword Installation::RunCustom(const CustomActionRow& row, Step& step) {
    const int base = row.type & kTypeMask;
    const bool inScript = (row.type & kInScript) != 0;
    if (base == kTypeSetProperty || base == kTypeSetDirectory) {
        step.kind = "property";
        const std::string value = FormatText(row.target, *this);
        SetProperty(row.source, value);
        if (base == kTypeSetDirectory) machine_.session.targetPaths[row.source] = Trailing(value);
        step.note = row.source + (value.empty() ? " removed" : " set");
        return kSuccess;
    }
    if (base == kTypeError) {
        step.kind = "immediate";
        step.note = "error: " + FormatText(row.target, *this);
        step.result = kFailure;
        return kFailure;
    }
    if (base != kTypeDll) {
        outcome_.error = "custom action " + row.action + " has type " + std::to_string(row.type) +
                         ", which the simulated installer does not run";
        step.kind = "-";
        step.note = outcome_.error;
        step.result = kFailure;
        return kFailure;
    }
    if (inScript) {
        ScriptOp op;
        op.kind = (row.type & kRollback) != 0 ? ScriptOp::Kind::Rollback
                  : (row.type & kCommit) != 0 ? ScriptOp::Kind::Commit
                                              : ScriptOp::Kind::Deferred;
        op.action = row.action;
        op.entry = row.target;
        op.type = row.type;
        // The data is what the property named after the action holds now.
        op.data = PropertyValue(row.action);
        script_.push_back(op);
        step.kind = op.kind == ScriptOp::Kind::Rollback ? "rollback"
                    : op.kind == ScriptOp::Kind::Commit ? "commit"
                                                        : "deferred";
        step.note = "scheduled";
        return kSuccess;
    }
    step.kind = "immediate";
    const Dword result = CallAction(row.target, false, "", step);
    if (machine_.unansweredDialog) return kFailure;
    if (result != kSuccess && result != kNoMoreItems && (row.type & kContinue) != 0) {
        step.note = "failed; the package ignores the result";
        return kSuccess;
    }
    if (result == kUserExit) return kUserExit;
    if (result != kSuccess && result != kNoMoreItems) {
        step.note = "failed: the installation ends";
        return kFailure;
    }
    return result;
}

Dword Installation::CallAction(const std::string& entry, bool deferred, const std::string& data, Step& step) {
    if (options_.actions) {
        step.result = options_.actions(entry, deferred ? std::optional<std::string>(data) : std::nullopt);
        return *step.result;
    }
    const runtime::ActionEntry* action = runtime::FindAction(entry);
    if (action == nullptr) {
        step.note = "the library exports no " + entry;
        step.result = kFailure;
        return kFailure;
    }
    if (action->function == nullptr && options_.skipActionsNotBuilt) {
        step.note = "not built yet: skipped";
        return kSuccess;
    }
    const Dword result = RunLibraryAction(*action, machine_, deferred ? std::optional<std::string>(data) : std::nullopt);
    step.result = result;
    if (machine_.unansweredDialog) {
        step.note = "stopped: a dialog had no scripted answer";
        return kFailure;
    }
    return result;
}

Dword Installation::RunScript() {
    undo_.clear();
    std::vector<ScriptOp> commits;
    for (const ScriptOp& op : script_) {
        Step step{op.action, "", "", std::nullopt};
        switch (op.kind) {
            case ScriptOp::Kind::Rollback:
                undo_.push_back({Undo::Kind::Action, op, "", "", std::nullopt});
                continue;  // runs only if the installation rolls back
            case ScriptOp::Kind::Commit:
                commits.push_back(op);
                continue;
            case ScriptOp::Kind::InstallFile: {
                if (!DriveFileExists(machine_, op.data)) {
                    PutDriveFile(machine_, op.data, "laid down by the package: " + op.action + "\n");
                    undo_.push_back({Undo::Kind::DeleteFile, op, op.data, "", std::nullopt});
                }
                continue;
            }
            case ScriptOp::Kind::RemoveFile: {
                if (auto bytes = ReadDriveFile(machine_, op.data)) {
                    RemoveDriveFile(machine_, op.data);
                    undo_.push_back({Undo::Kind::RestoreFile, op, op.data, std::move(*bytes), std::nullopt});
                }
                continue;
            }
            case ScriptOp::Kind::DeleteService: {
                // A service that is not there is no failure: there is nothing to delete.
                if (const auto it = machine_.services.find(op.data); it != machine_.services.end()) {
                    undo_.push_back({Undo::Kind::RestoreService, op, "", "", it->second});
                    machine_.services.erase(it);
                }
                continue;
            }
            case ScriptOp::Kind::Deferred:
                break;
        }
        step.kind = "deferred";
        const Dword result = CallAction(op.entry, true, op.data, step);
        if (machine_.unansweredDialog) {
            outcome_.steps.push_back(std::move(step));
            return kFailure;  // the bench does not guess the answer; nothing is rolled back
        }
        if (result != kSuccess && (op.type & kContinue) != 0) {
            step.note = "failed; the package ignores the result";
        } else if (result != kSuccess) {
            step.note = "failed: the installer rolls back";
            outcome_.steps.push_back(std::move(step));
            RollBack();
            return kFailure;
        }
        outcome_.steps.push_back(std::move(step));
    }
    for (const ScriptOp& op : commits) {
        Step step{op.action, "commit", "", std::nullopt};
        CallAction(op.entry, true, op.data, step);  // a commit action's failure changes nothing
        outcome_.steps.push_back(std::move(step));
    }
    Publish();
    return kSuccess;
}

void Installation::RollBack() {
    outcome_.rolledBack = true;
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
        switch (it->kind) {
            case Undo::Kind::Action: {
                Step step{it->op.action, "rollback", "", std::nullopt};
                CallAction(it->op.entry, true, it->op.data, step);
                outcome_.steps.push_back(std::move(step));
                break;
            }
            case Undo::Kind::DeleteFile:
                RemoveDriveFile(machine_, it->path);
                break;
            case Undo::Kind::RestoreFile:
                PutDriveFile(machine_, it->path, it->bytes);
                break;
            case Undo::Kind::RestoreService:
                machine_.services[it->op.data] = *it->service;
                break;
        }
    }
    undo_.clear();
}

// The product's registration once the script succeeded: the feature states
// MsiQueryFeatureState reports from now on, and whether the product is
// installed at all.
void Installation::Publish() {
    auto& states = machine_.session.featureStates[productCode_];
    bool any = false;
    for (const FeatureRow& feature : package_.features) {
        const int after = costing_.FeatureAfter(feature.feature);
        states[feature.feature] = after == kStateLocal ? kStateLocal : kStateAbsent;
        any = any || after == kStateLocal;
    }
    if (any) {
        auto& product = machine_.session.products[productCode_];
        if (product.count("InstallLocation") == 0) product["InstallLocation"] = PropertyValue("INSTALLDIR");
    } else {
        machine_.session.products.erase(productCode_);
    }
}

InstallOutcome Installation::Run() {
    // The machine's own properties come back when the installation ends.
    std::map<std::string, std::string> given = std::move(machine_.session.properties);
    StartSession(given);
    outcome_.startProperties = machine_.session.properties;
    outcome_.steps.reserve(package_.uiSequence.size() + package_.executeSequence.size());
    Dword result = kSuccess;
    if (options_.uiLevel >= 4) result = RunSequence(package_.uiSequence, true);
    if (result == kSuccess && !executed_) result = RunSequence(package_.executeSequence, false);
    outcome_.result = result;
    outcome_.properties = std::move(machine_.session.properties);
    machine_.session.properties = std::move(given);
    machine_.session.deferred = false;
    return std::move(outcome_);
}

}  // namespace

Dword RunLibraryAction(const runtime::ActionEntry& action, Machine& machine,
                       const std::optional<std::string>& deferredData) {
    machine.session.deferred = deferredData.has_value();
    if (deferredData) {
        machine.session.properties["CustomActionData"] = *deferredData;
    } else {
        machine.session.properties.erase("CustomActionData");
    }
    Dword result;
    {
        SimPlatform platform(machine);
        result = runtime::RunAction(action, platform.platform());
    }
    machine.session.deferred = false;
    machine.session.properties.erase("CustomActionData");
    return result;
}

InstallOutcome RunInstallation(const Package& package, Machine& machine, const EngineOptions& options) {
    Installation installation(package, machine, options);
    return installation.Run();
}

}  // namespace veltra::sim::engine
