#include "platform/win32/win32_services.h"

#include <string>

#include "platform/win32/handles.h"

namespace veltra::win32 {
namespace {

// The service configuration uses "" for the arguments passed as null.
const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

platform::ScHandle Win32Services::OpenSCManager(platform::Dword access) {
    return FromNative<platform::ScTag>(::OpenSCManagerA(nullptr, nullptr, access));
}

platform::ScHandle Win32Services::CreateService(platform::ScHandle manager,
                                                const platform::ServiceConfig& config) {
    // Dependencies are a list of names, each ended by a zero, the list by one more.
    std::string dependencies = config.dependencies;
    if (!dependencies.empty()) dependencies.append(2, '\0');
    return FromNative<platform::ScTag>(::CreateServiceA(
        ToNative<SC_HANDLE>(manager), config.name.c_str(), OrNull(config.displayName),
        config.desiredAccess, config.serviceType, config.startType, config.errorControl,
        config.binaryPath.c_str(), OrNull(config.loadOrderGroup), nullptr, OrNull(dependencies),
        OrNull(config.account), nullptr));
}

bool Win32Services::ChangeServiceDescription(platform::ScHandle service, const char* description) {
    // The structure takes a writable string; a null one leaves the description as it is.
    std::string text = description != nullptr ? description : "";
    SERVICE_DESCRIPTIONA info{};
    info.lpDescription = description != nullptr ? text.data() : nullptr;
    return ::ChangeServiceConfig2A(ToNative<SC_HANDLE>(service), SERVICE_CONFIG_DESCRIPTION,
                                   &info) != FALSE;
}

bool Win32Services::CloseServiceHandle(platform::ScHandle handle) {
    return ::CloseServiceHandle(ToNative<SC_HANDLE>(handle)) != FALSE;
}

}  // namespace veltra::win32
