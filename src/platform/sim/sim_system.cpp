#include "platform/sim/sim_system.h"

#include <cstring>

#include "platform/sim/sim_files.h"

namespace veltra::sim {

using platform::Dword;

namespace {

// Copies text with its terminator when it fits; returns the GetXxxA-style
// count: characters copied, or the size needed including the terminator.
Dword CopyOutCounted(const std::string& text, char* buffer, Dword cch) {
    if (text.size() + 1 > cch || buffer == nullptr) return static_cast<Dword>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<Dword>(text.size());
}

// The code pages whose lead bytes the simulated machine knows.
platform::CodePageInfo InfoOf(unsigned codePage) {
    platform::CodePageInfo info;
    info.codePage = codePage;
    switch (codePage) {
        case 932: info.leadByteRanges = {{0x81, 0x9F}, {0xE0, 0xFC}}; break;
        case 936:
        case 949:
        case 950: info.leadByteRanges = {{0x81, 0xFE}}; break;
        default: break;
    }
    if (!info.leadByteRanges.empty()) info.maxCharSize = 2;
    return info;
}

bool IsLeadByte(const platform::CodePageInfo& info, unsigned char byte) {
    for (const auto& [first, last] : info.leadByteRanges) {
        if (byte >= first && byte <= last) return true;
    }
    return false;
}

// Folds case as the code page does: ASCII letters always; in 1252 also the
// accented letters (à..þ but ÷, and š, œ, ž, ÿ) onto their capitals; the bytes
// of a two-byte character are left alone.
std::string FoldForCodePage(const platform::CodePageInfo& info, std::string_view text) {
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        auto byte = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(info, byte) && i + 1 < folded.size()) {
            ++i;
            continue;
        }
        if (byte >= 'a' && byte <= 'z') {
            byte = static_cast<unsigned char>(byte - 0x20);
        } else if (info.codePage == 1252) {
            if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) byte = static_cast<unsigned char>(byte - 0x20);
            if (byte == 0x9A || byte == 0x9C || byte == 0x9E) byte = static_cast<unsigned char>(byte - 0x10);
            if (byte == 0xFF) byte = 0x9F;
        }
        folded[i] = static_cast<char>(byte);
    }
    return folded;
}

}  // namespace

std::string SimSystem::Expand(const Machine& machine, std::string_view text) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string_view::npos) {
            result += text.substr(i);
            break;
        }
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            result += text.substr(i);
            break;
        }
        result += text.substr(i, open - i);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const auto it = machine.environment.find(name);
        if (it != machine.environment.end() && !name.empty()) {
            result += it->second;
            i = close + 1;
        } else {
            // Not a variable: keep the first '%' and look again from the second.
            result += text.substr(open, close - open);
            i = close;
        }
    }
    return result;
}

Dword SimSystem::ExpandEnvironmentStrings(const char* source, char* buffer, Dword cch) {
    const std::string subject = source != nullptr ? source : "";
    if (gate_.Injected("ExpandEnvironmentStringsA", subject)) return 0;
    const std::string expanded = Expand(machine_, subject);
    const Dword needed = static_cast<Dword>(expanded.size() + 1);
    if (buffer != nullptr && needed <= cch) std::memcpy(buffer, expanded.c_str(), needed);
    gate_.Succeed("ExpandEnvironmentStringsA", subject);
    return needed;
}

Dword SimSystem::GetEnvironmentVariable(const char* name, char* buffer, Dword cch) {
    const std::string subject = name != nullptr ? name : "";
    if (gate_.Injected("GetEnvironmentVariableA", subject)) return 0;
    const auto it = machine_.environment.find(subject);
    if (it == machine_.environment.end()) {
        gate_.Fail("GetEnvironmentVariableA", subject, 203);  // ERROR_ENVVAR_NOT_FOUND
        return 0;
    }
    gate_.Succeed("GetEnvironmentVariableA", subject);
    return CopyOutCounted(it->second, buffer, cch);
}

int SimSystem::PutEnv(const char* assignment) {
    const std::string text = assignment != nullptr ? assignment : "";
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    if (gate_.Injected("_putenv", name)) return -1;
    if (eq == std::string::npos || eq == 0) {
        gate_.Fail("_putenv", name, platform::kErrorInvalidParameter);
        return -1;
    }
    const std::string value = text.substr(eq + 1);
    if (value.empty()) {
        machine_.environment.erase(name);
    } else {
        machine_.environment[name] = value;
    }
    gate_.Succeed("_putenv", name);
    return 0;
}

Dword SimSystem::GetSystemDirectory(char* buffer, Dword cch) {
    if (gate_.Injected("GetSystemDirectoryA", "")) return 0;
    const auto root = machine_.environment.find("SystemRoot");
    const std::string folder = (root != machine_.environment.end() ? root->second : std::string("C:\\WINDOWS")) + "\\system32";
    gate_.Succeed("GetSystemDirectoryA", folder);
    return CopyOutCounted(folder, buffer, cch);
}

Dword SimSystem::GetWindowsMajorVersion() {
    if (gate_.Injected("GetVersion", "")) return 0;
    return gate_.Finish("GetVersion", "", machine_.windowsMajorVersion);
}

platform::MutexHandle SimSystem::CreateMutex(const char* name) {
    const std::string subject = name != nullptr ? name : "";
    if (gate_.Injected("CreateMutexA", subject)) return {};
    const bool existed = !subject.empty() && machine_.mutexes.contains(subject);
    if (!existed && !subject.empty()) machine_.mutexes.insert(subject);
    const std::uintptr_t handle = nextHandle_++;
    mutexes_[handle] = {subject, !existed};
    machine_.lastError = existed ? platform::kErrorAlreadyExists : platform::kErrorSuccess;
    gate_.Finish("CreateMutexA", subject, machine_.lastError);
    return platform::MutexHandle{handle};
}

bool SimSystem::CloseMutex(platform::MutexHandle mutex) {
    const auto it = mutexes_.find(mutex.value);
    const std::string subject = it != mutexes_.end() ? it->second.name : "(invalid handle)";
    if (gate_.Injected("CloseHandle", subject)) return false;
    if (it == mutexes_.end()) return gate_.Fail("CloseHandle", subject, platform::kErrorInvalidHandle);
    // A mutex this process created goes away with its last handle.
    if (it->second.created) {
        bool otherHandle = false;
        for (const auto& [handle, open] : mutexes_) {
            if (handle != it->first && FoldCase(open.name) == FoldCase(it->second.name)) otherHandle = true;
        }
        if (!otherHandle) machine_.mutexes.erase(it->second.name);
    }
    mutexes_.erase(it);
    return gate_.Succeed("CloseHandle", subject);
}

bool SimSystem::IsModuleLoaded(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (gate_.Injected("GetModuleHandleA", subject)) return false;
    if (!machine_.loadedModules.contains(subject)) return gate_.Fail("GetModuleHandleA", subject, platform::kErrorModNotFound);
    return gate_.Succeed("GetModuleHandleA", subject);
}

platform::ModuleHandle SimSystem::LoadLibrary(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (gate_.Injected("LoadLibraryA", subject)) return {};
    if (!DriveFileExists(machine_, subject)) {
        gate_.Fail("LoadLibraryA", subject, platform::kErrorModNotFound);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    modules_[handle] = subject;
    machine_.lastError = 0;
    gate_.Succeed("LoadLibraryA", subject);
    return platform::ModuleHandle{handle};
}

bool SimSystem::FreeLibrary(platform::ModuleHandle module) {
    const auto it = modules_.find(module.value);
    const std::string subject = it != modules_.end() ? it->second : "(invalid handle)";
    if (gate_.Injected("FreeLibrary", subject)) return false;
    if (it == modules_.end()) return gate_.Fail("FreeLibrary", subject, platform::kErrorInvalidHandle);
    modules_.erase(it);
    return gate_.Succeed("FreeLibrary", subject);
}

bool SimSystem::CallWindowExport(platform::ModuleHandle module, const char* exportName, platform::Hwnd /*owner*/,
                                 int* result) {
    const auto it = modules_.find(module.value);
    const std::string name = exportName != nullptr ? exportName : "";
    const std::string subject = (it != modules_.end() ? it->second : std::string("(invalid handle)")) + "|" + name;
    if (gate_.Injected("GetProcAddress", subject)) return false;
    if (it == modules_.end()) return gate_.Fail("GetProcAddress", subject, platform::kErrorInvalidHandle);
    // Only modules the machine describes as applets have the export; each
    // call takes the next scripted result, and an exhausted script answers 0.
    const auto applet = machine_.applets.find(it->second);
    if (applet == machine_.applets.end() || name != "ConfigureNAPServer") {
        return gate_.Fail("GetProcAddress", subject, platform::kErrorProcNotFound);
    }
    gate_.Succeed("GetProcAddress", subject);
    int value = 0;
    if (!applet->second.empty()) {
        value = applet->second.front();
        applet->second.pop_front();
    }
    if (result != nullptr) *result = value;
    machine_.appletCalls.push_back({it->second, name, value});
    // The export's own answer, shown in the trace as the call it is.
    machine_.trace.Record(name, it->second, static_cast<Dword>(value));
    return true;
}

bool SimSystem::GetCPInfo(platform::CodePageInfo& info) {
    const std::string subject = std::to_string(machine_.codePage);
    if (gate_.Injected("GetCPInfo", subject)) return false;
    info = InfoOf(machine_.codePage);
    return gate_.Succeed("GetCPInfo", subject);
}

// The order is that of the folded bytes; the library only asks for equality,
// so the linguistic order Windows gives is not modelled.
int SimSystem::CompareStringIgnoreCase(std::string_view a, std::string_view b) {
    const std::string subject = std::string(a) + "|" + std::string(b);
    if (gate_.Injected("CompareStringA", subject)) return 0;
    const platform::CodePageInfo info = InfoOf(machine_.codePage);
    const int order = FoldForCodePage(info, a).compare(FoldForCodePage(info, b));
    const int result = order < 0 ? platform::kCstrLessThan : order == 0 ? platform::kCstrEqual : platform::kCstrGreaterThan;
    gate_.Finish("CompareStringA", subject, static_cast<Dword>(result));
    return result;
}

void SimSystem::WriteStdout(std::string_view text) {
    if (gate_.Injected("fwrite(stdout)", "")) return;
    machine_.standardOutput += text;
    gate_.Succeed("fwrite(stdout)", "");
}

}  // namespace veltra::sim
