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
    if (auto code = machine_.faults.Check("ExpandEnvironmentStringsA", subject)) {
        machine_.lastError = *code;
        machine_.trace.Record("ExpandEnvironmentStringsA", subject, *code);
        return 0;
    }
    const std::string expanded = Expand(machine_, subject);
    const Dword needed = static_cast<Dword>(expanded.size() + 1);
    if (buffer != nullptr && needed <= cch) std::memcpy(buffer, expanded.c_str(), needed);
    machine_.trace.Record("ExpandEnvironmentStringsA", subject, 0);
    return needed;
}

Dword SimSystem::GetEnvironmentVariable(const char* name, char* buffer, Dword cch) {
    const std::string subject = name != nullptr ? name : "";
    const auto it = machine_.environment.find(subject);
    if (it == machine_.environment.end()) {
        machine_.lastError = 203;  // ERROR_ENVVAR_NOT_FOUND
        machine_.trace.Record("GetEnvironmentVariableA", subject, 203);
        return 0;
    }
    machine_.trace.Record("GetEnvironmentVariableA", subject, 0);
    return CopyOutCounted(it->second, buffer, cch);
}

int SimSystem::PutEnv(const char* assignment) {
    const std::string text = assignment != nullptr ? assignment : "";
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return -1;
    const std::string name = text.substr(0, eq);
    const std::string value = text.substr(eq + 1);
    if (value.empty()) {
        machine_.environment.erase(name);
    } else {
        machine_.environment[name] = value;
    }
    machine_.trace.Record("_putenv", name, 0);
    return 0;
}

Dword SimSystem::GetSystemDirectory(char* buffer, Dword cch) {
    const auto root = machine_.environment.find("SystemRoot");
    const std::string folder = (root != machine_.environment.end() ? root->second : std::string("C:\\WINDOWS")) + "\\system32";
    return CopyOutCounted(folder, buffer, cch);
}

platform::MutexHandle SimSystem::CreateMutex(const char* name) {
    const std::string subject = name != nullptr ? name : "";
    if (auto code = machine_.faults.Check("CreateMutexA", subject)) {
        machine_.lastError = *code;
        machine_.trace.Record("CreateMutexA", subject, *code);
        return {};
    }
    const bool existed = !subject.empty() && machine_.mutexes.contains(subject);
    if (!existed && !subject.empty()) machine_.mutexes.insert(subject);
    const std::uintptr_t handle = nextHandle_++;
    mutexes_[handle] = {subject, !existed};
    machine_.lastError = existed ? platform::kErrorAlreadyExists : platform::kErrorSuccess;
    machine_.trace.Record("CreateMutexA", subject, machine_.lastError);
    return platform::MutexHandle{handle};
}

bool SimSystem::CloseMutex(platform::MutexHandle mutex) {
    const auto it = mutexes_.find(mutex.value);
    if (it == mutexes_.end()) {
        machine_.lastError = platform::kErrorInvalidHandle;
        return false;
    }
    // A mutex this process created goes away with its last handle.
    if (it->second.created) {
        bool otherHandle = false;
        for (const auto& [handle, open] : mutexes_) {
            if (handle != it->first && FoldCase(open.name) == FoldCase(it->second.name)) otherHandle = true;
        }
        if (!otherHandle) machine_.mutexes.erase(it->second.name);
    }
    mutexes_.erase(it);
    machine_.trace.Record("CloseHandle", "mutex", 0);
    return true;
}

bool SimSystem::IsModuleLoaded(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    const bool loaded = machine_.loadedModules.contains(subject);
    machine_.trace.Record("GetModuleHandleA", subject, loaded ? 0 : platform::kErrorModNotFound);
    return loaded;
}

platform::ModuleHandle SimSystem::LoadLibrary(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = machine_.faults.Check("LoadLibraryA", subject)) {
        machine_.lastError = *code;
        machine_.trace.Record("LoadLibraryA", subject, *code);
        return {};
    }
    if (!DriveFileExists(machine_, subject)) {
        machine_.lastError = platform::kErrorModNotFound;
        machine_.trace.Record("LoadLibraryA", subject, machine_.lastError);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    modules_[handle] = subject;
    machine_.lastError = 0;
    machine_.trace.Record("LoadLibraryA", subject, 0);
    return platform::ModuleHandle{handle};
}

bool SimSystem::FreeLibrary(platform::ModuleHandle module) {
    machine_.trace.Record("FreeLibrary", "", 0);
    return modules_.erase(module.value) == 1;
}

bool SimSystem::CallWindowExport(platform::ModuleHandle module, const char* exportName, platform::Hwnd /*owner*/,
                                 int* result) {
    const auto it = modules_.find(module.value);
    const std::string name = exportName != nullptr ? exportName : "";
    if (it == modules_.end()) {
        machine_.lastError = platform::kErrorInvalidHandle;
        return false;
    }
    // Only modules the machine describes as applets have the export; each
    // call takes the next scripted result, and an exhausted script answers 0.
    const auto applet = machine_.applets.find(it->second);
    if (applet == machine_.applets.end() || name != "ConfigureNAPServer") {
        machine_.lastError = platform::kErrorProcNotFound;
        machine_.trace.Record("GetProcAddress", it->second + "|" + name, platform::kErrorProcNotFound);
        return false;
    }
    int value = 0;
    if (!applet->second.empty()) {
        value = applet->second.front();
        applet->second.pop_front();
    }
    if (result != nullptr) *result = value;
    machine_.trace.Record(name, it->second, static_cast<Dword>(value));
    return true;
}

}  // namespace veltra::sim
