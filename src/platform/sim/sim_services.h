// The Service Control Manager, the local groups and the shell of the
// simulated machine: small ports kept together by what they share (the
// machine's records and its fault rules).
#pragma once

#include <map>
#include <set>

#include "platform/accounts.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"

namespace veltra::sim {

class SimServices final : public platform::Services {
public:
    explicit SimServices(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}
    platform::ScHandle OpenSCManager(platform::Dword access) override;
    platform::ScHandle CreateService(platform::ScHandle manager, const platform::ServiceConfig& config) override;
    bool ChangeServiceDescription(platform::ScHandle service, const char* description) override;
    bool CloseServiceHandle(platform::ScHandle handle) override;
    std::size_t OpenHandleCount() const { return managers_.size() + services_.size(); }

private:
    Machine& machine_;
    Gate gate_;
    std::uintptr_t nextHandle_ = 0x500;
    std::set<std::uintptr_t> managers_;
    std::map<std::uintptr_t, std::string> services_;
};

class SimAccounts final : public platform::Accounts {
public:
    explicit SimAccounts(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}
    platform::Dword NetLocalGroupAdd(const std::string& name, const std::string& comment) override;
    platform::Dword NetLocalGroupAddMembers(const std::string& group, const platform::SidBytes& member) override;
    platform::Dword NetUserModalsGet2(platform::NetBufferHandle* buffer, platform::SidBytes* domainId) override;
    platform::Dword NetApiBufferFree(platform::NetBufferHandle buffer) override;
    bool IsValidSid(const platform::SidBytes& sid) override;
    // Buffers handed out and not freed yet.
    std::size_t OpenBufferCount() const { return buffers_.size(); }

private:
    Machine& machine_;
    Gate gate_;
    std::uintptr_t nextBuffer_ = 0x7000;
    std::set<std::uintptr_t> buffers_;
};

class SimShell final : public platform::Shell {
public:
    explicit SimShell(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}
    std::intptr_t ShellExecute(platform::Hwnd owner, const char* verb, const char* file, const char* parameters,
                               const char* directory, int show) override;

private:
    Machine& machine_;
    Gate gate_;
};

// "S-1-5-21-..." for reports.
std::string SidToString(const platform::SidBytes& sid);
// The binary form of "S-1-5-21-...", nullopt for bad text.
std::optional<platform::SidBytes> SidFromString(std::string_view text);

}  // namespace veltra::sim
