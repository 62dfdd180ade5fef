#include "cli/rollback_traces.h"

namespace veltra::cli {

namespace {

const std::string kSystem = "C:\\WINDOWS\\system32\\";
const std::string kTemp = "C:\\WINDOWS\\Temp\\";
const std::string kWinlogonGina = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\GinaDLL";
const std::string kUserSettings = "HKEY_CURRENT_USER\\Software\\Veltra Security";
const std::string kUserAgentKey = "registry key added: " + kUserSettings;
const std::set<std::string> kPlain = {"plain", "plain with server files"};
const std::set<std::string> kPreviousAgents = {"prev-currentkey", "prev-legacykey"};

}  // namespace

std::span<const RollbackTrace> AllowedRollbackTraces() {
    static const std::vector<RollbackTrace> traces = {
        // RepositionDataForCopy (immediate, before the script) copies the
        // server files into the installer's temporary folder (the
        // predecessor samples have none).
        {kPlain, "", {"file added: " + kTemp + "kvconf.rec", "file added: " + kTemp + "kvroot.crt",
                      "file added: " + kTemp + "server.cer"}},
        // Without a saved copy, nothing takes a copied server file away again.
        {{"plain", "kesh55", "prev-currentkey", "prev-legacykey"}, "CopyKvconfRec", {"file added: " + kSystem + "kvconf.rec"}},
        {{"plain", "kesh55", "prev-currentkey", "prev-legacykey"}, "CopyKvrootCrt", {"file added: " + kSystem + "kvroot.crt"}},
        // A put-back copy is given normal attributes.
        {{"plain with server files"}, "", {"file attributes: " + kSystem + "kvconf.rec", "file attributes: " + kSystem + "kvroot.crt"}},
        {{"kesh55"}, "", {"file attributes: C:\\WINDOWS\\Help\\kvcontrl.hlp", "file attributes: " + kSystem + "keshclnt.dll",
                          "file attributes: " + kSystem + "kvagentrt.dll", "file attributes: " + kSystem + "kvbstop.exe",
                          "file attributes: " + kSystem + "kvcontrl.cpl", "file attributes: " + kSystem + "kvgina.dll",
                          "file attributes: " + kSystem + "kvmsg.dll", "file attributes: " + kSystem + "kvras.dll",
                          "file attributes: " + kSystem + "kvui.dll"}},
        // The loaded legacy GINA was moved aside by the capture and stays so.
        {{"kesh55"}, "", {"file added: " + kSystem + "kvgina.dll_moved"}},
        // With its file moved away, the chain walk of EnableGina forgets the
        // legacy GINA; the rollback takes the agent GINA out and leaves Winlogon's.
        {{"kesh55"}, "EnableGina", {"registry value deleted: " + kWinlogonGina}},
        // The rollback takes the agent GINA out even when a previous agent linked it.
        {kPreviousAgents, "", {"registry value deleted: " + kWinlogonGina}},
        // The previous agent is still installed in the same folder (its
        // marker), so the search-path list is brought in line with it.
        {{"prev-currentkey"}, "", {"registry value added: HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\LibrarySearchPaths"}},
        // The settings capture (immediate, before the script) saves
        // "AllowLocalAuth" under the network settings' key path, which
        // without captured network settings is the agent's own, under
        // HKEY_CURRENT_USER.
        {kPreviousAgents, "", {kUserAgentKey, kUserAgentKey + "\\Veltra Authentication Agent",
                               kUserAgentKey + "\\Veltra Authentication Agent\\CurrentVersion",
                               kUserAgentKey + "\\Veltra Authentication Agent\\CurrentVersion\\Settings",
                               kUserAgentKey + "\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVNETWORK",
                               "registry value added: " + kUserSettings +
                                   "\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVNETWORK\\AllowLocalAuth"}},
        // A removal: the feature validation (immediate, before the script)
        // marks the day files of the offline service for removal in the
        // user's volatile environment; the markers are left in place.
        {{"installed"}, "", {"registry value added: HKEY_CURRENT_USER\\Volatile Environment\\REMOVELACDAYFILES"
                             "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}"}},
        // A removal unlinks the agent GINA; nothing in the rollback script
        // links it again (the rollback action only ever takes it out).
        {{"installed"}, "DisableGina", {"registry value deleted: " + kWinlogonGina}},
        // The silent road: RepositionDataForCopy (immediate) also copies the
        // banner bitmap the options file names into the temporary folder.
        {{"road silent"}, "", {"file added: " + kTemp + "gina_banner.bmp"}},
        // CopyConfigFiles copies the root certificate into the agent's
        // folder; nothing in the rollback takes it away, and the folder,
        // not empty, stays.
        {{"road silent"}, "CopyConfigFiles",
         {"file added: C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\kvroot.crt"}},
        // Services registered by an action are the installer's to remove
        // only when they are its own rows.
        {{"*"}, "InstallLocalDAService", {"service added: OASVC_Local"}},
    };
    return traces;
}

std::set<std::string> MachineDifferences(const RunReport& report) {
    static const char* const kKinds[] = {"key added", "key deleted", "value added", "value changed", "value deleted"};
    std::set<std::string> found;
    for (const sim::RegChange& change : report.registry) {
        const bool key = change.kind == sim::RegChange::KeyAdded || change.kind == sim::RegChange::KeyDeleted;
        found.insert(std::string("registry ") + kKinds[change.kind] + ": " + change.key + (key ? "" : "\\" + change.name));
    }
    for (const FileChange& change : report.files) found.insert("file " + change.change + ": " + change.path);
    for (const ServiceChange& change : report.services) found.insert("service " + change.change + ": " + change.name);
    for (const GroupChange& change : report.groups) found.insert("group " + change.change + ": " + change.name);
    for (const OtherChange& change : report.others) {
        // An environment change's text is its new value, which may be long.
        found.insert(change.what + (change.what == "mutex" ? " " + change.change : " set") + ": " + change.name);
    }
    return found;
}

}  // namespace veltra::cli
