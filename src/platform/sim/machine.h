// A simulated Windows machine: its state, the scripts that stand in for the
// administrator, and the records of what the library showed. The simulated
// ports (sim_platform.h) all work on one Machine.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/accounts.h"
#include "platform/installer.h"
#include "platform/services.h"
#include "platform/sim/drive_tree.h"
#include "platform/sim/faults.h"
#include "platform/sim/registry_tree.h"

namespace veltra::sim {

// Case-insensitive ordering for names Windows compares without case (paths,
// environment variables, service and group names).
struct LessIgnoreCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return CompareFolded(a, b) < 0;
    }
};

template <class T>
using NameMap = std::map<std::string, T, LessIgnoreCase>;
using NameSet = std::set<std::string, LessIgnoreCase>;

// The installer session as an action sees it.
struct SessionState {
    // Property names are case-sensitive in Windows Installer.
    std::map<std::string, std::string> properties;
    NameMap<std::string> sourcePaths;  // directory key -> path ending with '\'
    NameMap<std::string> targetPaths;
    // product code -> feature -> INSTALLSTATE
    std::map<std::string, std::map<std::string, int>> featureStates;
    // product code -> product property ("InstallLocation", ...) -> value
    std::map<std::string, std::map<std::string, std::string>> products;
    // A deferred action sees only these installer-defined properties.
    bool deferred = false;
    std::vector<std::pair<platform::Dword, platform::MessageRecord>> messages;
    // The installer log: informational lines as the installer writes them.
    std::vector<std::string> log;
};

// A file's version resource: the strings of one language and code page.
struct VersionInfo {
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 0x04b0;
    std::map<std::string, std::string> strings;  // "ProductName" -> text
};

struct ServiceRecord {
    platform::ServiceConfig config;
    std::string description;
};

struct GroupRecord {
    std::string comment;
    std::vector<platform::SidBytes> members;
};

// What the user interface showed, in order, with the answer it got.
struct DialogRecord {
    std::string kind;     // "MessageBox" or "GetOpenFileName"
    std::string owner;    // "none" or "owner window"
    std::string caption;  // the caption, or the file dialog's title
    std::string text;     // the message, or the dialog's initial file name
    platform::Dword style = 0;  // message box style, or OPENFILENAME flags
    std::string answer;   // "OK", "CANCEL", ... or the chosen path; "" if unanswered
    std::vector<std::pair<std::string, std::string>> filter;  // file dialog only
};

// One call of an applet's export, with what it answered.
struct AppletCallRecord {
    std::string module;      // the applet's path as loaded
    std::string exportName;  // "ConfigureNAPServer"
    int result = 0;
};

struct ShellOpenRecord {
    std::string verb;
    std::string file;
    int show = 0;
    std::optional<std::string> parameters;  // nullopt: passed as a null pointer
    std::optional<std::string> directory;
};

class Machine {
public:
    Machine();  // an empty registry and an empty drive C:

    // --- state -------------------------------------------------------------
    RegistryTree registry;
    DriveTree drives;                            // files and folders, in memory
    NameMap<std::string> environment;            // "SystemRoot" -> "C:\WINDOWS"
    NameMap<platform::Dword> attributes;         // explicit attributes by full path
    // Programs that a running process has loaded: they can be read and copied,
    // but writing or copying onto them fails (32), and deleting them or moving
    // onto them fails (5); they can be renamed on their drive, and stay in use
    // under the new name.
    NameSet filesInUse;
    NameMap<std::string> folderSecurity;         // folder path -> SDDL it was created with
    NameSet mutexes;                             // named mutexes that exist
    NameMap<VersionInfo> versions;               // file path -> version resource
    NameMap<ServiceRecord> services;
    NameMap<GroupRecord> groups;
    platform::SidBytes accountDomainSid;         // usrmod2_domain_id
    NameSet loadedModules;                       // modules loaded in the installer process
    // Applet path -> results its "ConfigureNAPServer" export returns, call by call.
    NameMap<std::deque<int>> applets;
    platform::Dword windowsMajorVersion = 5;
    // The ANSI code page (GetACP): 1252 and the double-byte 932, 936, 949 and
    // 950 are modelled; any other folds only ASCII letters.
    unsigned codePage = 1252;
    std::string computerName = "WS01";
    SessionState session;

    // --- the scripted administrator -----------------------------------------
    std::deque<int> messageBoxAnswers;                 // button ids, in order
    std::deque<std::optional<std::string>> fileChoices;  // a path, or nullopt for Cancel
    // An administrator who presses Enter at a box the script did not expect
    // (the bench's sweep, where injected faults bring up error boxes): a
    // message box with no scripted answer, or whose next scripted answer is
    // not one of its buttons, gets its default button and the scripted
    // answer waits for a later box; a file dialog with no choice is cancelled.
    bool defaultAnswers = false;

    // --- what the run showed and did ----------------------------------------
    std::vector<DialogRecord> dialogs;
    std::vector<ShellOpenRecord> shellOpens;
    std::vector<AppletCallRecord> appletCalls;
    std::string standardOutput;
    // Registry entries that did not fit a caller's fixed buffer, in call order.
    std::vector<UnfitEntry> unfitEntries;
    // Set when a dialog had no scripted answer: the run stops being trusted,
    // and the bench reports it (exit 3) instead of guessing a button.
    std::optional<std::string> unansweredDialog;

    Faults faults;
    Trace trace;
    platform::Dword lastError = 0;
};

// Button names as the bench takes them ("OK", "TRYAGAIN", ...).
std::optional<int> ButtonFromName(std::string_view name);
std::string ButtonName(int button);

}  // namespace veltra::sim
