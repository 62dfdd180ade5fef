#include "cli/sample_machine.h"

#include <fstream>
#include <vector>

#include "cli/machine_folder.h"
#include "cli/machine_json.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/regfile.h"
#include "platform/services.h"
#include "platform/sim/sim_files.h"

namespace veltra::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProductCode = "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}";
constexpr const char* kInstallDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";

void SetString(sim::Machine& machine, const std::string& key, const std::string& name, const std::string& value,
               platform::Dword type = platform::kRegSz) {
    std::vector<std::uint8_t> data(value.begin(), value.end());
    data.push_back(0);
    machine.registry.CreateKey(key)->SetValue(name, type, std::move(data));
}

void SetDword(sim::Machine& machine, const std::string& key, const std::string& name, platform::Dword value) {
    machine.registry.CreateKey(key)->SetValue(
        name, platform::kRegDword,
        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void SetMultiString(sim::Machine& machine, const std::string& key, const std::string& name,
                    const std::vector<std::string>& items) {
    std::vector<std::uint8_t> data;
    for (const std::string& item : items) {
        data.insert(data.end(), item.begin(), item.end());
        data.push_back(0);
    }
    data.push_back(0);
    machine.registry.CreateKey(key)->SetValue(name, platform::kRegMultiSz, std::move(data));
}

void PutFile(sim::Machine& machine, const std::string& windowsPath, const std::string& content) {
    sim::PutDriveFile(machine, windowsPath, content);
}

void PutFolder(sim::Machine& machine, const std::string& windowsPath) { sim::MakeDriveFolder(machine, windowsPath); }

void FillRegistry(sim::Machine& machine) {
    const std::string nt = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    SetString(machine, nt, "ProductName", "Microsoft Windows XP");
    SetString(machine, nt, "CurrentVersion", "5.1");
    SetString(machine, nt, "CurrentBuildNumber", "2600");
    SetString(machine, nt, "CSDVersion", "Service Pack 3");
    const std::string winlogon = nt + "\\Winlogon";
    SetString(machine, winlogon, "DefaultDomainName", "WS01");
    SetString(machine, winlogon, "DefaultUserName", "Administrator");
    SetString(machine, winlogon, "Shell", "Explorer.exe");
    SetString(machine, winlogon, "Userinit", "C:\\WINDOWS\\system32\\userinit.exe,");
    SetString(machine, winlogon, "System", "");
    const std::string windows = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    SetString(machine, windows, "ProgramFilesDir", "C:\\Program Files");
    SetString(machine, windows, "CommonFilesDir", "C:\\Program Files\\Common Files");
    machine.registry.CreateKey(windows + "\\SharedDLLs");
    SetMultiString(machine, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa", "Notification Packages",
                   {"scecli"});
    SetString(machine, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application", "File",
              "%SystemRoot%\\system32\\config\\AppEvent.Evt", platform::kRegExpandSz);
    const std::string volatileEnvironment = "HKEY_CURRENT_USER\\Volatile Environment";
    SetString(machine, volatileEnvironment, "LOGONSERVER", "\\\\WS01");
    SetString(machine, volatileEnvironment, "HOMEDRIVE", "C:");
    SetString(machine, volatileEnvironment, "HOMEPATH", "\\Documents and Settings\\Administrator");
    machine.registry.CreateKey("HKEY_CURRENT_USER\\Software\\Microsoft");
}

void FillFiles(sim::Machine& machine) {
    PutFile(machine, "C:\\WINDOWS\\system32\\msgina.dll", "MZ sample msgina.dll\n");
    PutFile(machine, "C:\\WINDOWS\\system32\\userinit.exe", "MZ sample userinit.exe\n");
    PutFolder(machine, "C:\\WINDOWS\\Temp");
    PutFolder(machine, "C:\\Program Files\\Common Files");
    PutFolder(machine, "C:\\Documents and Settings\\All Users\\Application Data");
    // The folder the package runs from, with the server files an
    // administrator gets from the authentication server.
    PutFile(machine, "C:\\Package\\Veltra Authentication Agent for Windows.msi", "sample package\n");
    // The options file a package creation for the local client leaves, so
    // that the folder also serves a silent installation.
    PutFile(machine, "C:\\Package\\packageOptionsFile.txt",
            "InstallSilentDAC=0\r\nInstallSilentLAC=1\r\nInstallSilentAUTOREG=0\r\nInstallSilentRAS=0\r\n"
            "InstallSilentEAP=0\r\nAUTH_CONFIG_DIALOG=1\r\nAUTHCONFIGSELECTED=1\r\nAGENT_ACTIVATION_STATE=False\r\n"
            "WINDOWS_PASSWORD_STATE=False\r\nIMPORT_CUSTOMBITMAP_STATE=False\r\nENABLE_NOVELL_PASSWORD_UPDATE=0\r\n"
            "PIN_UNLOCK_ENABLED_STATE=False\r\nPIN_UNLOCK_TIMEOUT=\r\nPIN_UNLOCK_ATTEMPTS=\r\n"
            "REGISTRY_CONFIG_STATE=False\r\nREGISTRY_CONFIG_GROUP=False\r\nREGISTRY_CONFIG_PASSWD=False\r\n");
    PutFile(machine, "C:\\Package\\kvconf.rec", "sample server configuration record\n");
    PutFile(machine, "C:\\Package\\kvroot.crt", "-----BEGIN CERTIFICATE-----\nsample root\n-----END CERTIFICATE-----\n");
    PutFile(machine, "C:\\Package\\server.cer", "sample server certificate\n");
    PutFile(machine, "C:\\Package\\gina_banner.bmp", "BM sample banner\n");
    // The agent's files as the installer lays them down.
    PutFile(machine, std::string(kInstallDir) + "KeshGina.dll", "MZ sample KeshGina.dll\n");
    machine.versions["C:\\WINDOWS\\system32\\msgina.dll"] =
        sim::VersionInfo{0x0409, 0x04b0,
                         {{"ProductName", "Microsoft(R) Windows(R) Operating System"},
                          {"FileDescription", "Windows NT Logon GINA DLL"},
                          {"CompanyName", "Microsoft Corporation"}}};
    machine.versions[std::string(kInstallDir) + "KeshGina.dll"] =
        sim::VersionInfo{0x0409, 0x04b0,
                         {{"ProductName", "Veltra Authentication Agent for Windows"},
                          {"FileDescription", "Veltra Authentication Agent GINA"},
                          {"CompanyName", "Veltra Security"}}};
}

void FillSession(sim::Machine& machine) {
    machine.environment = {{"SystemRoot", "C:\\WINDOWS"},         {"windir", "C:\\WINDOWS"},
                           {"ALLUSERSPROFILE", "C:\\Documents and Settings\\All Users"},
                           {"USERPROFILE", "C:\\Documents and Settings\\installer"},
                           {"SystemDrive", "C:"},                  {"ProgramFiles", "C:\\Program Files"},
                           {"TEMP", "C:\\WINDOWS\\Temp"},          {"TMP", "C:\\WINDOWS\\Temp"},
                           {"PATH", "C:\\WINDOWS\\system32;C:\\WINDOWS"}, {"COMPUTERNAME", "WS01"}};
    auto& session = machine.session;
    session.properties = {
        {"ProductCode", kProductCode},
        {"ProductName", "Veltra Authentication Agent for Windows"},
        {"ProductVersion", "6.0.0"},
        {"UILevel", "5"},
        {"ComputerName", "WS01"},
        {"UserSID", "S-1-5-21-1004336348-1177238915-682003330-500"},
        {"INSTALLDIR", kInstallDir},
        {"SystemFolder", "C:\\WINDOWS\\system32\\"},
        {"WindowsFolder", "C:\\WINDOWS\\"},
        {"TempFolder", "C:\\WINDOWS\\Temp\\"},
        {"CommonAppDataFolder", "C:\\Documents and Settings\\All Users\\Application Data\\"},
        {"SourceDir", "C:\\Package\\"},
        {"PATHTOFILE", "C:\\Package\\kvconf.rec"},
        {"PATHTOFILE_KVROOT", "C:\\Package\\kvroot.crt"},
        {"BITMAPFILE", "C:\\Package\\gina_banner.bmp"},
        {"CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58", "C:\\Package\\server.cer"},
        {"COPYKVCONFREC", "0"},
        {"COPYKVROOTCRT", "0"},
    };
    session.sourcePaths = {{"SourceDir", "C:\\Package\\"}};
    session.targetPaths = {{"INSTALLDIR", kInstallDir},
                           {"SystemFolder", "C:\\WINDOWS\\system32\\"},
                           {"WindowsFolder", "C:\\WINDOWS\\"},
                           {"TempFolder", "C:\\WINDOWS\\Temp\\"},
                           {"SourceDir", "C:\\Package\\"}};
    for (const char* feature : {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthClient",
                                "RemoteAuthServer", "Autoreg"}) {
        session.featureStates[kProductCode][feature] = platform::kInstallStateAbsent;
    }
    for (const char* feature : {"OASVC_Local", "OASVC_DomainClient", "OASVC_DomainHost"}) {
        session.featureStates[kProductCode][feature] = platform::kInstallStateAbsent;
    }
}

// What the package leaves on a machine where the local logon client and its
// offline service are installed.
void InstallAgent(sim::Machine& machine) {
    const std::string agent = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
    const std::string dayfiles = std::string(kInstallDir) + "DayFiles\\";
    SetString(machine, agent + "\\Common", "InstallPath", kInstallDir);
    SetString(machine, agent + "\\Local\\OASVC", "DayfileDirRoot", dayfiles);
    SetString(machine, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "GinaDLL",
              std::string(kInstallDir) + "KeshGina.dll");
    const std::string gina = agent + "\\Settings\\KVGINA";
    SetString(machine, gina, "InstallPath", kInstallDir);
    SetDword(machine, gina, "MajorVersion", 6);
    SetDword(machine, gina, "MinorVersion", 0);
    SetDword(machine, gina, "Enabled", 1);
    SetString(machine, gina, "ChallengeGroup", "");
    SetString(machine, gina, "ReserveOption", "1");
    SetString(machine, gina, "SendDomainName", "0");
    SetDword(machine, gina, "EnablePinUnlock", 1);
    SetDword(machine, gina, "PinAttempts", 3);
    SetDword(machine, gina, "PinLifetime", 15);
    // The digest of the reserve password an administrator set (a secret: reports mask it).
    machine.registry.CreateKey(gina)->SetValue(
        "ReservePassword", platform::kRegBinary,
        {0x5f, 0x4d, 0xcc, 0x3b, 0x5a, 0xa7, 0x65, 0xd6, 0x1d, 0x83, 0x27, 0xde, 0xb8, 0x82, 0xcf, 0x99});
    SetDword(machine, agent + "\\Settings\\KVNETWORK", "AllowLocalAuth", 1);
    const std::string repository = std::string(kInstallDir) + "VeltraKeshAgentRepository\\";
    PutFile(machine, repository + "VeltraKeshAgentInstalled.txt", "laid down by the package\n");
    PutFile(machine, repository + "LocalClientKEY.txt", "laid down by the package\n");
    PutFile(machine, std::string(kInstallDir) + "da_svc.exe", "MZ sample da_svc.exe\n");
    PutFolder(machine, dayfiles);
    PutFile(machine, "C:\\WINDOWS\\system32\\kvconf.rec", "sample server configuration record\n");
    PutFile(machine, "C:\\WINDOWS\\system32\\kvroot.crt", "-----BEGIN CERTIFICATE-----\nsample root\n-----END CERTIFICATE-----\n");
    platform::ServiceConfig service;
    service.name = "OASVC_Local";
    service.displayName = "Veltra Authentication Agent Offline Local";
    service.binaryPath = "\"" + std::string(kInstallDir) + "da_svc.exe\" -local";
    machine.services[service.name] = sim::ServiceRecord{service, "Enables Kesh offline authentication"};
    machine.session.properties["Installed"] = "1";
    machine.session.featureStates[kProductCode]["LocalAuthClient"] = platform::kInstallStateLocal;
    machine.session.featureStates[kProductCode]["OASVC_Local"] = platform::kInstallStateLocal;
    machine.session.products[kProductCode]["InstallLocation"] = kInstallDir;
}

}  // namespace

bool WriteSampleMachine(const fs::path& folder, SampleKind kind, std::string& error) {
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
        error = folder.string() + ": exists and is not empty";
        return false;
    }
    sim::Machine machine;
    FillRegistry(machine);
    FillFiles(machine);
    FillSession(machine);
    if (kind == SampleKind::Installed) InstallAgent(machine);
    if (!SaveDrives(machine.drives, folder / "drives", error)) return false;
    const std::vector<std::uint8_t> registry = sim::WriteRegFile(machine.registry, sim::RegFormat::Version5);
    std::ofstream reg(folder / "registry.reg", std::ios::binary);
    reg.write(reinterpret_cast<const char*>(registry.data()), static_cast<std::streamsize>(registry.size()));
    std::ofstream json(folder / "machine.json", std::ios::binary);
    json << MachineToJson(machine).dump(2) << "\n";
    if (!reg || !json) {
        error = folder.string() + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace veltra::cli
