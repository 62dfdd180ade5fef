#include "platform/sim/faults.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/sim/registry_tree.h"

namespace veltra::sim {

namespace {

using enum ErrorChannel;

// What an injected fault looks like to the caller, call by call: the form of
// the real call's own failures.
constexpr Operation kOperations[] = {
    // Installer (msi.dll)
    {"MsiGetPropertyA", "Installer", Result, "the code; the buffer and its length are not touched"},
    {"MsiSetPropertyA", "Installer", Result, "the code; the property is not changed"},
    {"MsiGetSourcePathA", "Installer", Result, "the code; the buffer and its length are not touched"},
    {"MsiGetTargetPathA", "Installer", Result, "the code; the buffer and its length are not touched"},
    {"MsiQueryFeatureStateA", "Installer", Neither,
     "INSTALLSTATE_INVALIDARG (-2) for code 87, otherwise INSTALLSTATE_UNKNOWN (-1)"},
    {"MsiGetProductInfoA", "Installer", Result, "the code; the buffer and its length are not touched"},
    {"MsiProcessMessage", "Installer", Neither, "-1; the message is not recorded"},
    // Registry (advapi32, shlwapi)
    {"RegOpenKeyExA", "Registry", Result, "the code; no key is opened"},
    {"RegCreateKeyExA", "Registry", Result, "the code; nothing is created"},
    {"RegCloseKey", "Registry", Result, "the code; the key stays open"},
    {"RegQueryValueExA", "Registry", Result, "the code; nothing is read"},
    {"RegSetValueExA", "Registry", Result, "the code; the value is not written"},
    {"RegDeleteValueA", "Registry", Result, "the code; the value stays"},
    {"RegDeleteKeyA", "Registry", Result, "the code; the key stays"},
    {"SHDeleteKeyA", "Registry", Result, "the code; the tree stays"},
    {"RegEnumKeyExA", "Registry", Result, "the code; nothing is read"},
    {"RegEnumValueA", "Registry", Result, "the code; nothing is read"},
    {"RegQueryInfoKeyA", "Registry", Result, "the code; nothing is read"},
    // Files (kernel32, shell32, the C runtime's fopen)
    {"GetFileAttributesA", "Files", LastError, "INVALID_FILE_ATTRIBUTES (0xFFFFFFFF)"},
    {"SetFileAttributesA", "Files", LastError, "FALSE"},
    {"CopyFileA", "Files", LastError, "FALSE; nothing is copied"},
    {"DeleteFileA", "Files", LastError, "FALSE; the file stays"},
    {"MoveFileExA", "Files", LastError, "FALSE; nothing moves"},
    {"CreateDirectoryA", "Files", LastError, "FALSE; no folder is made"},
    {"RemoveDirectoryA", "Files", LastError, "FALSE; the folder stays"},
    {"SHFileOperationA", "Files", LastError, "the code as the result (non-zero); nothing is deleted"},
    {"FindFirstFileA", "Files", LastError, "INVALID_HANDLE_VALUE: no entries"},
    {"fopen(r)", "Files", LastError, "no stream"},
    {"fopen(w)", "Files", LastError, "no stream (writing or appending)"},
    {"SearchPathA", "Files", LastError, "0; nothing is copied"},
    // System (kernel32, the C runtime)
    {"ExpandEnvironmentStringsA", "System", LastError, "0"},
    {"GetEnvironmentVariableA", "System", LastError, "0"},
    {"_putenv", "System", Neither, "-1; the environment is not changed"},
    {"GetSystemDirectoryA", "System", LastError, "0"},
    {"GetVersion", "System", Neither, "major version 0 (the real call cannot fail)"},
    {"CreateMutexA", "System", LastError, "NULL"},
    {"CloseHandle", "System", LastError, "FALSE; the mutex stays open"},
    {"GetModuleHandleA", "System", LastError, "NULL: the module counts as not loaded"},
    {"LoadLibraryA", "System", LastError, "NULL"},
    {"FreeLibrary", "System", LastError, "FALSE"},
    {"GetProcAddress", "System", LastError, "NULL: the export is not called"},
    {"fwrite(stdout)", "System", Neither, "nothing is written"},
    {"GetCPInfo", "System", LastError, "FALSE: the caller takes a single-byte code page"},
    {"CompareStringA", "System", LastError, "0: the strings count as different"},
    // Windows (user32, comdlg32)
    {"MessageBoxA", "Windows", LastError, "0; the box is recorded but not answered"},
    {"CreateWindowExA", "Windows", LastError, "NULL"},
    {"SetWindowPos", "Windows", LastError, "FALSE"},
    {"DestroyWindow", "Windows", LastError, "FALSE; the window stays"},
    {"GetOpenFileNameA", "Windows", Neither, "FALSE, as Cancel; no dialog is shown"},
    {"OpenWindowStationA", "Windows", LastError, "NULL"},
    {"GetProcessWindowStation", "Windows", LastError, "NULL"},
    {"SetProcessWindowStation", "Windows", LastError, "FALSE"},
    {"CloseWindowStation", "Windows", LastError, "FALSE"},
    {"OpenInputDesktop", "Windows", LastError, "NULL"},
    {"GetThreadDesktop", "Windows", LastError, "NULL"},
    {"SetThreadDesktop", "Windows", LastError, "FALSE"},
    {"CloseDesktop", "Windows", LastError, "FALSE"},
    // Services (advapi32)
    {"OpenSCManagerA", "Services", LastError, "NULL"},
    {"CreateServiceA", "Services", LastError, "NULL; no service is made"},
    {"ChangeServiceConfig2A", "Services", LastError, "FALSE"},
    {"CloseServiceHandle", "Services", LastError, "FALSE"},
    // Accounts (netapi32, advapi32)
    {"NetLocalGroupAdd", "Accounts", Result, "the code; no group is made"},
    {"NetLocalGroupAddMembers", "Accounts", Result, "the code; no member is added"},
    {"NetUserModalsGet", "Accounts", Result, "the code; nothing is read"},
    {"NetApiBufferFree", "Accounts", Result, "the code; the buffer stays allocated"},
    {"IsValidSid", "Accounts", Neither, "FALSE"},
    // Versions (version.dll)
    {"GetFileVersionInfoSizeA", "Versions", LastError, "0"},
    {"GetFileVersionInfoA", "Versions", LastError, "FALSE"},
    {"VerQueryValueA", "Versions", Neither, "FALSE"},
    // Shell (shell32)
    {"ShellExecuteA", "Shell", LastError, "the code as the result when it is 32 or less, else 0"},
};

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::span<const Operation> KnownOperations() { return kOperations; }

const Operation* FindOperation(std::string_view name) {
    const std::string folded = FoldCase(name);
    for (const Operation& operation : kOperations) {
        if (FoldCase(operation.name) == folded) return &operation;
    }
    return nullptr;
}

std::vector<std::string_view> NearestOperations(std::string_view name) {
    const std::string folded = FoldCase(name);
    std::vector<std::pair<std::size_t, std::string_view>> ranked;
    for (const Operation& operation : kOperations) {
        ranked.emplace_back(EditDistance(folded, FoldCase(operation.name)), operation.name);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> nearest;
    for (std::size_t i = 0; i < ranked.size() && i < 3; ++i) nearest.push_back(ranked[i].second);
    return nearest;
}

void Gate::SetLastError(std::string_view operation, Dword code) {
    const Operation* known = FindOperation(operation);
    if (lastError_ != nullptr && known != nullptr && known->channel == ErrorChannel::LastError) {
        *lastError_ = code;
    }
}

std::optional<Dword> Gate::Injected(std::string_view operation, std::string_view subject) {
    const auto code = faults_.Check(operation, subject);
    if (code) {
        SetLastError(operation, *code);
        trace_.Record(operation, subject, *code);
    }
    return code;
}

bool Gate::Fail(std::string_view operation, std::string_view subject, Dword code) {
    SetLastError(operation, code);
    trace_.Record(operation, subject, code);
    return false;
}

bool Gate::Succeed(std::string_view operation, std::string_view subject) {
    trace_.Record(operation, subject, 0);
    return true;
}

Dword Gate::Finish(std::string_view operation, std::string_view subject, Dword result) {
    trace_.Record(operation, subject, result);
    return result;
}

std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string* error) {
    FaultRule rule;
    auto fail = [&](const char* why) -> std::optional<FaultRule> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (const auto eq = text.rfind('='); eq != std::string_view::npos) {
        const std::string_view number = text.substr(eq + 1);
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || end != number.data() + number.size() || value > 0xFFFFFFFFul) {
            return fail("the code after '=' must be a decimal number");
        }
        rule.code = static_cast<Dword>(value);
        text = text.substr(0, eq);
    }
    if (const auto hash = text.rfind('#'); hash != std::string_view::npos) {
        const std::string_view number = text.substr(hash + 1);
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), rule.nth);
        if (ec != std::errc() || end != number.data() + number.size() || rule.nth == 0) {
            return fail("the count after '#' must be a number from 1");
        }
        text = text.substr(0, hash);
    }
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        rule.subject = std::string(text.substr(colon + 1));
        text = text.substr(0, colon);
    }
    if (text.empty()) return fail("an operation name is needed, such as RegSetValueExA");
    rule.operation = std::string(text);
    return rule;
}

std::optional<Dword> Faults::Check(std::string_view operation, std::string_view subject) {
    for (FaultRule& rule : rules_) {
        if (FoldCase(rule.operation) != FoldCase(operation)) continue;
        if (!rule.subject.empty() && FoldCase(rule.subject) != FoldCase(subject)) continue;
        ++rule.seen;
        if (rule.nth == 0 || rule.nth == rule.seen) return rule.code;
    }
    return std::nullopt;
}

}  // namespace veltra::sim
