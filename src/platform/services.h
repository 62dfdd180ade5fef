// The services port: the Service Control Manager calls of advapi32.
#pragma once

#include <string>
#include <utility>

#include "platform/system.h"
#include "platform/types.h"

namespace veltra::platform {

struct ScTag;
using ScHandle = Handle<ScTag>;

inline constexpr Dword kScManagerAllAccess = 0xF003F;
inline constexpr Dword kServiceAllAccess = 0xF01FF;
inline constexpr Dword kServiceWin32OwnProcess = 0x10;
inline constexpr Dword kServiceAutoStart = 2;
inline constexpr Dword kServiceDemandStart = 3;
inline constexpr Dword kServiceErrorNormal = 1;

// CreateServiceA's arguments; empty strings stand for the null pointers the
// library passes (no group, no dependencies, LocalSystem, no password).
struct ServiceConfig {
    std::string name;
    std::string displayName;
    Dword desiredAccess = kServiceAllAccess;
    Dword serviceType = kServiceWin32OwnProcess;
    Dword startType = kServiceAutoStart;
    Dword errorControl = kServiceErrorNormal;
    std::string binaryPath;
    std::string loadOrderGroup;
    std::string dependencies;
    std::string account;
};

class Services {
public:
    virtual ~Services() = default;
    // OpenSCManagerA(null machine, null database, access): null on failure.
    virtual ScHandle OpenSCManager(Dword access) = 0;
    // CreateServiceA: null on failure (1073 when the name is taken).
    virtual ScHandle CreateService(ScHandle manager, const ServiceConfig& config) = 0;
    // ChangeServiceConfig2A with SERVICE_CONFIG_DESCRIPTION.
    virtual bool ChangeServiceDescription(ScHandle service, const char* description) = 0;
    virtual bool CloseServiceHandle(ScHandle handle) = 0;
};

// Owns a service or manager handle.
class ServiceHandle {
public:
    ServiceHandle(Services& services, ScHandle handle) : services_(&services), handle_(handle) {}
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    ~ServiceHandle() {
        if (handle_) services_->CloseServiceHandle(handle_);
    }
    ScHandle get() const { return handle_; }
    explicit operator bool() const { return static_cast<bool>(handle_); }

private:
    Services* services_;
    ScHandle handle_;
};

}  // namespace veltra::platform
