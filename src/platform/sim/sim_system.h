// The system port over the machine: last error, environment, mutexes,
// modules (the agent's applet answers from a script) and standard output.
#pragma once

#include <map>

#include "platform/sim/machine.h"
#include "platform/system.h"

namespace veltra::sim {

class SimSystem final : public platform::System {
public:
    explicit SimSystem(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}

    platform::Dword GetLastError() override { return machine_.lastError; }
    void SetLastError(platform::Dword code) override { machine_.lastError = code; }
    platform::Dword ExpandEnvironmentStrings(const char* source, char* buffer, platform::Dword cch) override;
    platform::Dword GetEnvironmentVariable(const char* name, char* buffer, platform::Dword cch) override;
    int PutEnv(const char* assignment) override;
    platform::Dword GetSystemDirectory(char* buffer, platform::Dword cch) override;
    platform::Dword GetWindowsMajorVersion() override;
    platform::MutexHandle CreateMutex(const char* name) override;
    bool CloseMutex(platform::MutexHandle mutex) override;
    bool IsModuleLoaded(const char* path) override;
    platform::ModuleHandle LoadLibrary(const char* path) override;
    bool FreeLibrary(platform::ModuleHandle module) override;
    bool CallWindowExport(platform::ModuleHandle module, const char* exportName, platform::Hwnd owner,
                          int* result) override;
    bool GetCPInfo(platform::CodePageInfo& info) override;
    int CompareStringIgnoreCase(std::string_view a, std::string_view b) override;
    void WriteStdout(std::string_view text) override;

    // Expansion of %NAME% from the machine's environment (unknown names stay).
    static std::string Expand(const Machine& machine, std::string_view text);

private:
    struct OpenMutex {
        std::string name;
        bool created = false;
    };
    Machine& machine_;
    Gate gate_;
    std::uintptr_t nextHandle_ = 0x100;
    std::map<std::uintptr_t, OpenMutex> mutexes_;
    std::map<std::uintptr_t, std::string> modules_;
};

}  // namespace veltra::sim
