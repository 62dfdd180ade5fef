// Every operation fails as --fail makes it, in the real call's failure form and
// in the trace; every port method is one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "platform/sim/faults.h"
#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

using platform::Dword;
using platform::Platform;

constexpr Dword kCode = 31;  // ERROR_GEN_FAILURE: also a valid ShellExecuteA failure

// What the caller sees of a failed call: the code it was handed, or kCode
// when the call's failure form (a -1, a missing dialog, ...) is all it has.
using Call = std::function<Dword(Platform&, Machine&)>;

struct Row {
    const char* operation;
    const char* method;  // "Port::Method" of the port interface
    Call call;
};

Dword LastErrorIf(Platform& p, bool failed) { return failed ? p.system.GetLastError() : 0; }
Dword CodeIf(bool failed) { return failed ? kCode : 0; }

const platform::SidBytes kSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

std::vector<Row> Rows() {
    using namespace platform;
    static char buffer[64];
    static Dword cch = 0;
    auto fresh = [] { cch = sizeof buffer; return &cch; };
    return {
        {"MsiGetPropertyA", "Installer::GetProperty", [=](Platform& p, Machine&) { return p.installer.GetProperty("P", buffer, fresh()); }},
        {"MsiSetPropertyA", "Installer::SetProperty", [](Platform& p, Machine&) { return p.installer.SetProperty("P", "v"); }},
        {"MsiGetSourcePathA", "Installer::GetSourcePath", [=](Platform& p, Machine&) { return p.installer.GetSourcePath("SourceDir", buffer, fresh()); }},
        {"MsiGetTargetPathA", "Installer::GetTargetPath", [=](Platform& p, Machine&) { return p.installer.GetTargetPath("INSTALLDIR", buffer, fresh()); }},
        {"MsiQueryFeatureStateA", "Installer::QueryFeatureState",
         [](Platform& p, Machine&) { return CodeIf(p.installer.QueryFeatureState("{P}", "F") == kInstallStateUnknown); }},
        {"MsiGetProductInfoA", "Installer::GetProductInfo", [=](Platform& p, Machine&) { return p.installer.GetProductInfo("{P}", "InstallLocation", buffer, fresh()); }},
        {"MsiProcessMessage", "Installer::ProcessMessage",
         [](Platform& p, Machine& m) { return CodeIf(p.installer.ProcessMessage(kInstallMessageActionStart, {{"", "A"}}) == -1 && m.session.messages.empty()); }},

        {"RegOpenKeyExA", "Registry::OpenKeyEx", [](Platform& p, Machine&) { HKey k; return p.registry.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE", kKeyRead, &k); }},
        {"RegCreateKeyExA", "Registry::CreateKeyEx", [](Platform& p, Machine&) { HKey k; return p.registry.CreateKeyEx(kHkeyLocalMachine, "X", kKeyAllAccess, &k, nullptr); }},
        {"RegCloseKey", "Registry::CloseKey", [](Platform& p, Machine&) { return p.registry.CloseKey(HKey{0x1000}); }},
        {"RegQueryValueExA", "Registry::QueryValueEx", [](Platform& p, Machine&) { return p.registry.QueryValueEx(kHkeyLocalMachine, "V", nullptr, nullptr, nullptr); }},
        {"RegSetValueExA", "Registry::SetValueEx", [](Platform& p, Machine&) { return p.registry.SetValueEx(kHkeyLocalMachine, "V", kRegSz, nullptr, 0); }},
        {"RegDeleteValueA", "Registry::DeleteValue", [](Platform& p, Machine&) { return p.registry.DeleteValue(kHkeyLocalMachine, "V"); }},
        {"RegDeleteKeyA", "Registry::DeleteKey", [](Platform& p, Machine&) { return p.registry.DeleteKey(kHkeyLocalMachine, "X"); }},
        {"SHDeleteKeyA", "Registry::DeleteTree", [](Platform& p, Machine&) { return p.registry.DeleteTree(kHkeyLocalMachine, "X"); }},
        {"RegEnumKeyExA", "Registry::EnumKeyEx", [=](Platform& p, Machine&) { return p.registry.EnumKeyEx(kHkeyLocalMachine, 0, buffer, fresh()); }},
        {"RegEnumValueA", "Registry::EnumValue",
         [=](Platform& p, Machine&) { return p.registry.EnumValue(kHkeyLocalMachine, 0, buffer, fresh(), nullptr, nullptr, nullptr); }},
        {"RegQueryInfoKeyA", "Registry::QueryInfoKey",
         [](Platform& p, Machine&) { Dword n = 0; return p.registry.QueryInfoKey(kHkeyLocalMachine, &n, nullptr, nullptr, nullptr, nullptr); }},

        {"GetFileAttributesA", "Files::GetFileAttributes", [](Platform& p, Machine&) { return LastErrorIf(p, p.files.GetFileAttributes("C:\\") == kInvalidFileAttributes); }},
        {"SetFileAttributesA", "Files::SetFileAttributes", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.SetFileAttributes("C:\\f", kFileAttributeNormal)); }},
        {"CopyFileA", "Files::CopyFile", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.CopyFile("C:\\f", "C:\\g", false)); }},
        {"DeleteFileA", "Files::DeleteFile", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.DeleteFile("C:\\f")); }},
        {"MoveFileExA", "Files::MoveFileEx", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.MoveFileEx("C:\\f", "C:\\g", 0)); }},
        {"CreateDirectoryA", "Files::CreateDirectory", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.CreateDirectory("C:\\d", nullptr)); }},
        {"RemoveDirectoryA", "Files::RemoveDirectory", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.RemoveDirectory("C:\\d")); }},
        {"SHFileOperationA", "Files::ShellDeleteTree", [](Platform& p, Machine&) { return static_cast<Dword>(p.files.ShellDeleteTree("C:\\d", 0)); }},
        {"FindFirstFileA", "Files::FindFiles", [](Platform& p, Machine&) { return LastErrorIf(p, p.files.FindFiles("C:\\*").empty()); }},
        {"fopen(r)", "Files::Open", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.Open("C:\\f", OpenMode::Read)); }},
        {"fopen(w)", "Files::Open", [](Platform& p, Machine&) { return LastErrorIf(p, !p.files.Open("C:\\f", OpenMode::Append)); }},
        {"SearchPathA", "Files::SearchPath", [](Platform& p, Machine&) { return LastErrorIf(p, p.files.SearchPath("C:\\", "f", nullptr, buffer, sizeof buffer) == 0); }},

        {"ExpandEnvironmentStringsA", "System::ExpandEnvironmentStrings",
         [](Platform& p, Machine&) { return LastErrorIf(p, p.system.ExpandEnvironmentStrings("%X%", buffer, sizeof buffer) == 0); }},
        {"GetEnvironmentVariableA", "System::GetEnvironmentVariable",
         [](Platform& p, Machine&) { return LastErrorIf(p, p.system.GetEnvironmentVariable("SystemRoot", buffer, sizeof buffer) == 0); }},
        {"_putenv", "System::PutEnv", [](Platform& p, Machine& m) { return CodeIf(p.system.PutEnv("A=1") == -1 && !m.environment.contains("A")); }},
        {"GetSystemDirectoryA", "System::GetSystemDirectory", [](Platform& p, Machine&) { return LastErrorIf(p, p.system.GetSystemDirectory(buffer, sizeof buffer) == 0); }},
        {"GetVersion", "System::GetWindowsMajorVersion", [](Platform& p, Machine&) { return CodeIf(p.system.GetWindowsMajorVersion() == 0); }},
        {"CreateMutexA", "System::CreateMutex", [](Platform& p, Machine&) { return LastErrorIf(p, !p.system.CreateMutex("M")); }},
        {"CloseHandle", "System::CloseMutex", [](Platform& p, Machine&) { return LastErrorIf(p, !p.system.CloseMutex(MutexHandle{0x100})); }},
        {"GetModuleHandleA", "System::IsModuleLoaded", [](Platform& p, Machine&) { return LastErrorIf(p, !p.system.IsModuleLoaded("C:\\m.dll")); }},
        {"LoadLibraryA", "System::LoadLibrary", [](Platform& p, Machine&) { return LastErrorIf(p, !p.system.LoadLibrary("C:\\m.dll")); }},
        {"FreeLibrary", "System::FreeLibrary", [](Platform& p, Machine&) { return LastErrorIf(p, !p.system.FreeLibrary(ModuleHandle{0x100})); }},
        {"GetProcAddress", "System::CallWindowExport",
         [](Platform& p, Machine&) { int r = 0; return LastErrorIf(p, !p.system.CallWindowExport(ModuleHandle{0x100}, "E", Hwnd{}, &r)); }},
        {"GetCPInfo", "System::GetCPInfo", [](Platform& p, Machine&) { CodePageInfo info; return LastErrorIf(p, !p.system.GetCPInfo(info)); }},
        {"CompareStringA", "System::CompareStringIgnoreCase", [](Platform& p, Machine&) { return LastErrorIf(p, p.system.CompareStringIgnoreCase("a", "A") == 0); }},
        {"fwrite(stdout)", "System::WriteStdout", [](Platform& p, Machine& m) { p.system.WriteStdout("x"); return CodeIf(m.standardOutput.empty()); }},

        {"MessageBoxA", "Windows::MessageBox", [](Platform& p, Machine&) { return LastErrorIf(p, p.windows.MessageBox(Hwnd{}, "t", "c", 0) == 0); }},
        {"CreateWindowExA", "Windows::CreateWindowEx",
         [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.CreateWindowEx(0, "#32770", "", kWsPopup, 0, 0, 0, 0, Hwnd{})); }},
        {"SetWindowPos", "Windows::SetWindowPos", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.SetWindowPos(Hwnd{1}, kHwndTopmost, 0, 0, 0, 0, 0)); }},
        {"DestroyWindow", "Windows::DestroyWindow", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.DestroyWindow(Hwnd{1})); }},
        {"GetOpenFileNameA", "Windows::GetOpenFileName",
         [](Platform& p, Machine& m) { std::string path; return CodeIf(!p.windows.GetOpenFileName({}, path) && m.dialogs.empty()); }},
        {"OpenWindowStationA", "Windows::OpenWindowStation", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.OpenWindowStation("WinSta0", kMaximumAllowed)); }},
        {"GetProcessWindowStation", "Windows::GetProcessWindowStation", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.GetProcessWindowStation()); }},
        {"SetProcessWindowStation", "Windows::SetProcessWindowStation",
         [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.SetProcessWindowStation(WinStaHandle{1})); }},
        {"CloseWindowStation", "Windows::CloseWindowStation", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.CloseWindowStation(WinStaHandle{1})); }},
        {"OpenInputDesktop", "Windows::OpenInputDesktop", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.OpenInputDesktop(kMaximumAllowed)); }},
        {"GetThreadDesktop", "Windows::GetThreadDesktop", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.GetThreadDesktop()); }},
        {"SetThreadDesktop", "Windows::SetThreadDesktop", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.SetThreadDesktop(DesktopHandle{2})); }},
        {"CloseDesktop", "Windows::CloseDesktop", [](Platform& p, Machine&) { return LastErrorIf(p, !p.windows.CloseDesktop(DesktopHandle{2})); }},

        {"OpenSCManagerA", "Services::OpenSCManager", [](Platform& p, Machine&) { return LastErrorIf(p, !p.services.OpenSCManager(kScManagerAllAccess)); }},
        {"CreateServiceA", "Services::CreateService", [](Platform& p, Machine&) { return LastErrorIf(p, !p.services.CreateService(ScHandle{0x500}, {})); }},
        {"ChangeServiceConfig2A", "Services::ChangeServiceDescription",
         [](Platform& p, Machine&) { return LastErrorIf(p, !p.services.ChangeServiceDescription(ScHandle{0x500}, "d")); }},
        {"CloseServiceHandle", "Services::CloseServiceHandle", [](Platform& p, Machine&) { return LastErrorIf(p, !p.services.CloseServiceHandle(ScHandle{0x500})); }},

        {"NetLocalGroupAdd", "Accounts::NetLocalGroupAdd", [](Platform& p, Machine&) { return p.accounts.NetLocalGroupAdd("G", "c"); }},
        {"NetLocalGroupAddMembers", "Accounts::NetLocalGroupAddMembers", [](Platform& p, Machine&) { return p.accounts.NetLocalGroupAddMembers("G", kSid); }},
        {"NetUserModalsGet", "Accounts::NetUserModalsGet2",
         [](Platform& p, Machine&) { NetBufferHandle buffer; SidBytes sid; return p.accounts.NetUserModalsGet2(&buffer, &sid); }},
        {"NetApiBufferFree", "Accounts::NetApiBufferFree",
         [](Platform& p, Machine&) { NetBufferHandle buffer; SidBytes sid; p.accounts.NetUserModalsGet2(&buffer, &sid); return p.accounts.NetApiBufferFree(buffer); }},
        {"IsValidSid", "Accounts::IsValidSid", [](Platform& p, Machine&) { return CodeIf(!p.accounts.IsValidSid(kSid)); }},

        {"GetFileVersionInfoSizeA", "Versions::GetFileVersionInfoSize", [](Platform& p, Machine&) { return LastErrorIf(p, p.versions.GetFileVersionInfoSize("C:\\g.dll") == 0); }},
        {"GetFileVersionInfoA", "Versions::GetFileVersionInfo",
         [](Platform& p, Machine&) { std::vector<std::uint8_t> block(64); return LastErrorIf(p, !p.versions.GetFileVersionInfo("C:\\g.dll", block)); }},
        {"VerQueryValueA", "Versions::VerQueryValue",
         [](Platform& p, Machine&) { const void* v = nullptr; unsigned n = 0; return CodeIf(!p.versions.VerQueryValue({}, "\\VarFileInfo\\Translation", &v, &n)); }},

        {"ShellExecuteA", "Shell::ShellExecute",
         [](Platform& p, Machine&) { return static_cast<Dword>(p.shell.ShellExecute(Hwnd{}, "open", "https://x", nullptr, nullptr, kSwShowMaximized)); }},
    };
}

TEST(FaultRules, ParseMatchIgnoringCaseAndCountCalls) {
    const auto rule = ParseFaultRule("CopyFileA:C:\\WINDOWS\\system32\\kvconf.rec#2=32", nullptr);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->operation + "|" + rule->subject + "|" + std::to_string(rule->nth) + "|" + std::to_string(rule->code),
              "CopyFileA|C:\\WINDOWS\\system32\\kvconf.rec|2|32");
    EXPECT_EQ(ParseFaultRule("RegSetValueExA", nullptr)->code, 5u);  // access denied unless given
    for (const char* bad : {"", "X=abc", "X#0"}) {
        std::string error;
        EXPECT_FALSE(ParseFaultRule(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    Faults faults;
    faults.Add(*ParseFaultRule("RegSetValueExA:HKEY_LOCAL_MACHINE\\X\\Name#2=5", nullptr));
    EXPECT_FALSE(faults.Check("RegSetValueExA", "hkey_local_machine\\x\\name"));
    EXPECT_EQ(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"), 5u);
    EXPECT_FALSE(faults.Check("RegSetValueExA", "HKEY_LOCAL_MACHINE\\X\\Name"));
}

TEST(Operations, EachFailsAsTheRealCallAndIsTraced) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.operation);
        Machine machine;
        SimPlatform sim(machine);
        machine.trace.enabled = true;
        machine.faults.Add(*ParseFaultRule(std::string(row.operation) + "=" + std::to_string(kCode), nullptr));

        EXPECT_EQ(row.call(sim.platform(), machine), kCode);
        const auto& lines = machine.trace.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TraceLine& line) {
            return line.operation == row.operation && line.result == kCode;
        }));
    }
}

TEST(Operations, FailureFormsThatAreNotTheCode) {
    Machine machine;
    SimPlatform sim(machine);
    machine.faults.Add(*ParseFaultRule("MsiQueryFeatureStateA=87", nullptr));
    machine.faults.Add(*ParseFaultRule("ShellExecuteA=1603", nullptr));
    EXPECT_EQ(sim.platform().installer.QueryFeatureState("{P}", "F"), platform::kInstallStateInvalidArg);
    EXPECT_EQ(sim.platform().shell.ShellExecute({}, "open", "https://x", nullptr, nullptr, 3), 0);
    EXPECT_TRUE(machine.shellOpens.empty());
}

// The port interfaces' pure virtual methods, as "Port::Method", read from the
// headers so that a method added later without a row fails here.
std::set<std::string> PortMethods() {
    const std::pair<const char*, const char*> ports[] = {
        {"installer.h", "Installer"}, {"registry.h", "Registry"}, {"files.h", "Files"},
        {"system.h", "System"},       {"ui.h", "Windows"},        {"services.h", "Services"},
        {"accounts.h", "Accounts"},   {"versions.h", "Versions"}, {"shell.h", "Shell"},
    };
    const std::regex method(R"(virtual\s+[^;~]*?(\w+)\s*\([^;]*\)\s*=\s*0\s*;)");
    std::set<std::string> methods;
    for (const auto& [header, port] : ports) {
        std::ifstream in(std::string(VELTRA_SOURCE_DIR) + "/src/platform/" + header);
        std::stringstream text;
        text << in.rdbuf();
        const std::string all = text.str();
        const auto begin = all.find(std::string("class ") + port + " {");
        EXPECT_NE(begin, std::string::npos) << port;
        if (begin == std::string::npos) continue;
        const std::string body = all.substr(begin, all.find("\n};", begin) - begin);
        for (std::sregex_iterator it(body.begin(), body.end(), method), end; it != end; ++it) {
            methods.insert(std::string(port) + "::" + (*it)[1].str());
        }
    }
    return methods;
}

TEST(Operations, EveryPortMethodAndEveryKnownOperationHasARow) {
    // The error channel itself is not a call that fails.
    std::set<std::string> covered = {"System::GetLastError", "System::SetLastError"};
    std::multiset<std::string> rowOperations;
    for (const Row& row : Rows()) {
        covered.insert(row.method);
        rowOperations.insert(row.operation);
    }
    EXPECT_EQ(covered, PortMethods());

    std::multiset<std::string> known;
    for (const Operation& operation : KnownOperations()) known.emplace(operation.name);
    EXPECT_EQ(rowOperations, known);
}

}  // namespace
}  // namespace veltra::sim
