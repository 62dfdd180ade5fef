#include "platform/sim/faults.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/sim/registry_tree.h"

namespace veltra::sim {

namespace {

using enum ErrorChannel;

// The codes each call usually fails with, which the sweep injects one by one
// and the docs list: not found (2; 3 for a path, and a call's own "not
// found" where it has one), access denied (5), in use (32, for calls that
// can meet a file someone has open), out of memory (8, or 14 where the call
// reports that one). Calls that only close or cannot fail have none; calls
// without an error code fail one way whatever the code.
constexpr Dword kNone[1] = {};
constexpr std::span<const Dword> kNoCodes(kNone, 0);
constexpr Dword kResultOnly[] = {2};
constexpr Dword kOutOfMemory8[] = {8};
constexpr Dword kOutOfMemory14[] = {14};
constexpr Dword kFolderOrMemory[] = {267, 14};  // ERROR_DIRECTORY: no such folder in the session
constexpr Dword kProductInfo[] = {1605, 1608};  // unknown product, unknown property
constexpr Dword kFound[] = {2};
constexpr Dword kDenied[] = {5};
constexpr Dword kFoundDenied[] = {2, 5};
constexpr Dword kDeniedMemory[] = {5, 8};
constexpr Dword kFoundDeniedMemory[] = {2, 5, 8};
constexpr Dword kFoundDeniedInUse[] = {2, 5, 32};
constexpr Dword kFileCopy[] = {2, 5, 32, 8};
constexpr Dword kPathDenied[] = {3, 5};
constexpr Dword kPathDeniedInUse[] = {3, 5, 32};
constexpr Dword kVariable[] = {203};  // ERROR_ENVVAR_NOT_FOUND
constexpr Dword kModule[] = {126};    // ERROR_MOD_NOT_FOUND
constexpr Dword kLibrary[] = {126, 5, 8};
constexpr Dword kProcedure[] = {127};  // ERROR_PROC_NOT_FOUND

// What an injected fault looks like to the caller, call by call: the form of
// the real call's own failures.
constexpr Operation kOperations[] = {
    // Installer (msi.dll)
    {"MsiGetPropertyA", "Installer", Result, "the code; the buffer and its length are not touched", kOutOfMemory14},
    {"MsiSetPropertyA", "Installer", Result, "the code; the property is not changed", kOutOfMemory14},
    {"MsiGetSourcePathA", "Installer", Result, "the code; the buffer and its length are not touched", kFolderOrMemory},
    {"MsiGetTargetPathA", "Installer", Result, "the code; the buffer and its length are not touched", kFolderOrMemory},
    {"MsiQueryFeatureStateA", "Installer", Neither,
     "INSTALLSTATE_INVALIDARG (-2) for code 87, otherwise INSTALLSTATE_UNKNOWN (-1)", kResultOnly},
    {"MsiGetProductInfoA", "Installer", Result, "the code; the buffer and its length are not touched", kProductInfo},
    {"MsiProcessMessage", "Installer", Neither, "-1; the message is not recorded", kResultOnly},
    // Registry (advapi32, shlwapi)
    {"RegOpenKeyExA", "Registry", Result, "the code; no key is opened", kFoundDeniedMemory},
    {"RegCreateKeyExA", "Registry", Result, "the code; nothing is created", kDeniedMemory},
    {"RegCloseKey", "Registry", Result, "the code; the key stays open", kNoCodes},
    {"RegQueryValueExA", "Registry", Result, "the code; nothing is read", kFoundDeniedMemory},
    {"RegSetValueExA", "Registry", Result, "the code; the value is not written", kDeniedMemory},
    {"RegDeleteValueA", "Registry", Result, "the code; the value stays", kFoundDenied},
    {"RegDeleteKeyA", "Registry", Result, "the code; the key stays", kFoundDenied},
    {"SHDeleteKeyA", "Registry", Result, "the code; the tree stays", kFoundDenied},
    {"RegEnumKeyExA", "Registry", Result, "the code; nothing is read", kDeniedMemory},
    {"RegEnumValueA", "Registry", Result, "the code; nothing is read", kDeniedMemory},
    {"RegQueryInfoKeyA", "Registry", Result, "the code; nothing is read", kDeniedMemory},
    // Files (kernel32, shell32, the C runtime's fopen)
    {"GetFileAttributesA", "Files", LastError, "INVALID_FILE_ATTRIBUTES (0xFFFFFFFF)", kFoundDenied},
    {"SetFileAttributesA", "Files", LastError, "FALSE", kFoundDenied},
    {"CopyFileA", "Files", LastError, "FALSE; nothing is copied", kFileCopy},
    {"DeleteFileA", "Files", LastError, "FALSE; the file stays", kFoundDeniedInUse},
    {"MoveFileExA", "Files", LastError, "FALSE; nothing moves", kFoundDeniedInUse},
    {"CreateDirectoryA", "Files", LastError, "FALSE; no folder is made", kPathDenied},
    {"RemoveDirectoryA", "Files", LastError, "FALSE; the folder stays", kFoundDeniedInUse},
    {"SHFileOperationA", "Files", LastError, "the code as the result (non-zero); nothing is deleted", kFoundDeniedInUse},
    {"FindFirstFileA", "Files", LastError, "INVALID_HANDLE_VALUE: no entries", kFoundDenied},
    {"fopen(r)", "Files", LastError, "no stream", kFoundDeniedInUse},
    {"fopen(w)", "Files", LastError, "no stream (writing or appending)", kPathDeniedInUse},
    {"SearchPathA", "Files", LastError, "0; nothing is copied", kFound},
    // System (kernel32, the C runtime)
    {"ExpandEnvironmentStringsA", "System", LastError, "0", kOutOfMemory8},
    {"GetEnvironmentVariableA", "System", LastError, "0", kVariable},
    {"_putenv", "System", Neither, "-1; the environment is not changed", kResultOnly},
    {"GetSystemDirectoryA", "System", LastError, "0", kNoCodes},
    {"GetVersion", "System", Neither, "major version 0 (the real call cannot fail)", kNoCodes},
    {"CreateMutexA", "System", LastError, "NULL", kDeniedMemory},
    {"CloseHandle", "System", LastError, "FALSE; the mutex stays open", kNoCodes},
    {"GetModuleHandleA", "System", LastError, "NULL: the module counts as not loaded", kModule},
    {"LoadLibraryA", "System", LastError, "NULL", kLibrary},
    {"FreeLibrary", "System", LastError, "FALSE", kNoCodes},
    {"GetProcAddress", "System", LastError, "NULL: the export is not called", kProcedure},
    {"fwrite(stdout)", "System", Neither, "nothing is written", kResultOnly},
    {"GetCPInfo", "System", LastError, "FALSE: the caller takes a single-byte code page", kNoCodes},
    {"CompareStringA", "System", LastError, "0: the strings count as different", kNoCodes},
    // Windows (user32, comdlg32)
    {"MessageBoxA", "Windows", LastError, "0; the box is recorded but not answered", kOutOfMemory8},
    {"CreateWindowExA", "Windows", LastError, "NULL", kOutOfMemory8},
    {"SetWindowPos", "Windows", LastError, "FALSE", kNoCodes},
    {"DestroyWindow", "Windows", LastError, "FALSE; the window stays", kNoCodes},
    {"GetOpenFileNameA", "Windows", Neither, "FALSE, as Cancel; no dialog is shown", kResultOnly},
    {"OpenWindowStationA", "Windows", LastError, "NULL", kFoundDenied},
    {"GetProcessWindowStation", "Windows", LastError, "NULL", kNoCodes},
    {"SetProcessWindowStation", "Windows", LastError, "FALSE", kDenied},
    {"CloseWindowStation", "Windows", LastError, "FALSE", kNoCodes},
    {"OpenInputDesktop", "Windows", LastError, "NULL", kDenied},
    {"GetThreadDesktop", "Windows", LastError, "NULL", kNoCodes},
    {"SetThreadDesktop", "Windows", LastError, "FALSE", kDenied},
    {"CloseDesktop", "Windows", LastError, "FALSE", kNoCodes},
    // Services (advapi32)
    {"OpenSCManagerA", "Services", LastError, "NULL", kDenied},
    {"CreateServiceA", "Services", LastError, "NULL; no service is made", kDeniedMemory},
    {"ChangeServiceConfig2A", "Services", LastError, "FALSE", kDenied},
    {"CloseServiceHandle", "Services", LastError, "FALSE", kNoCodes},
    // Accounts (netapi32, advapi32)
    {"NetLocalGroupAdd", "Accounts", Result, "the code; no group is made", kDeniedMemory},
    {"NetLocalGroupAddMembers", "Accounts", Result, "the code; no member is added", kDeniedMemory},
    {"NetUserModalsGet", "Accounts", Result, "the code; nothing is read", kDeniedMemory},
    {"NetApiBufferFree", "Accounts", Result, "the code; the buffer stays allocated", kNoCodes},
    {"IsValidSid", "Accounts", Neither, "FALSE", kNoCodes},
    // Versions (version.dll)
    {"GetFileVersionInfoSizeA", "Versions", LastError, "0", kFoundDenied},
    {"GetFileVersionInfoA", "Versions", LastError, "FALSE", kFoundDeniedMemory},
    {"VerQueryValueA", "Versions", Neither, "FALSE", kResultOnly},
    // Shell (shell32)
    {"ShellExecuteA", "Shell", LastError, "the code as the result when it is 32 or less, else 0", kFoundDeniedMemory},
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

std::string_view RuleSubject(std::string_view operation, std::string_view tracedSubject) {
    constexpr std::string_view kArrow = " -> ";
    const auto arrow = tracedSubject.find(kArrow);
    if (arrow == std::string_view::npos) return tracedSubject;
    if (FoldCase(operation) == "COPYFILEA") return tracedSubject.substr(arrow + kArrow.size());
    if (FoldCase(operation) == "MOVEFILEEXA") return tracedSubject.substr(0, arrow);
    return tracedSubject;
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
    if (callLimit != 0 && ++calls_ > callLimit) return platform::kErrorNotEnoughMemory;
    for (FaultRule& rule : rules_) {
        if (FoldCase(rule.operation) != FoldCase(operation)) continue;
        if (!rule.subject.empty() && FoldCase(rule.subject) != FoldCase(subject)) continue;
        ++rule.seen;
        if (rule.nth == 0 || rule.nth == rule.seen) return rule.code;
    }
    return std::nullopt;
}

}  // namespace veltra::sim
