#include "cli/capture/win32_inventory.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/capture/capture_scope.h"
#include "gina/gina_names.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_accounts.h"
#include "platform/win32/win32_system.h"
#include "runtime/secrets.h"
#include "services/challenge.h"
#include "services/offline_service.h"

namespace veltra::capture {
namespace {

using platform::Dword;

struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::CloseServiceHandle(handle); }
};
struct NetBufferTraits {
    using Type = LPBYTE;
    static Type Invalid() { return nullptr; }
    static void Close(Type buffer) { ::NetApiBufferFree(buffer); }
};
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

// The variables the installer and the library read, nothing else. One whose
// name speaks of a password or secret would be masked as registry secrets are.
void Environment(sim::Machine& out) {
    for (const std::string_view known : EnvironmentNames()) {
        const std::string name(known);
        std::vector<char> value(1024);
        DWORD length = ::GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length >= value.size()) {
            value.resize(length);
            length = ::GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        }
        if (length == 0 || length >= value.size()) continue;
        const std::string text(value.data(), length);
        out.environment[name] = runtime::IsSecretProperty(name, text) ? std::string(runtime::kMasked) : text;
    }
}

// The agent's offline services, as the Service Control Manager holds them.
void Services(sim::Machine& out) {
    win32::UniqueHandle<ServiceHandleTraits> manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    for (const services::OfflineService& known :
         {services::kLocalService, services::kDomainClientService, services::kDomainHostService}) {
        win32::UniqueHandle<ServiceHandleTraits> service(
            ::OpenServiceA(manager.get(), known.name, SERVICE_QUERY_CONFIG));
        if (!service) continue;
        DWORD needed = 0;
        ::QueryServiceConfigA(service.get(), nullptr, 0, &needed);
        std::vector<std::uint8_t> buffer(needed + 1);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        if (needed == 0 || !::QueryServiceConfigA(service.get(), config, needed, &needed)) continue;
        sim::ServiceRecord& record = out.services[known.name];
        record.config.name = known.name;
        record.config.displayName = config->lpDisplayName != nullptr ? config->lpDisplayName : "";
        record.config.binaryPath = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : "";
        record.config.account = config->lpServiceStartName != nullptr ? config->lpServiceStartName : "";
        record.config.serviceType = config->dwServiceType;
        record.config.startType = config->dwStartType;
        record.config.errorControl = config->dwErrorControl;
        needed = 0;
        ::QueryServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
        std::vector<std::uint8_t> description(needed + 1);
        auto* text = reinterpret_cast<SERVICE_DESCRIPTIONA*>(description.data());
        if (needed != 0 && ::QueryServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, description.data(),
                                                  needed, &needed) &&
            text->lpDescription != nullptr) {
            record.description = text->lpDescription;
        }
    }
}

std::string Narrow(const wchar_t* text) {
    if (text == nullptr) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

// The local group whose members are not challenged, with its members.
void Groups(sim::Machine& out) {
    const std::wstring name(services::kExcludeGroupName,
                            services::kExcludeGroupName + std::strlen(services::kExcludeGroupName));
    LPBYTE raw = nullptr;
    if (::NetLocalGroupGetInfo(nullptr, name.c_str(), 1, &raw) != NERR_Success) {
        if (raw != nullptr) ::NetApiBufferFree(raw);
        return;
    }
    win32::UniqueHandle<NetBufferTraits> info(raw);
    sim::GroupRecord& group = out.groups[services::kExcludeGroupName];
    group.comment = Narrow(reinterpret_cast<LOCALGROUP_INFO_1*>(info.get())->lgrpi1_comment);
    LPBYTE members = nullptr;
    DWORD read = 0, total = 0;
    if (::NetLocalGroupGetMembers(nullptr, name.c_str(), 0, &members, MAX_PREFERRED_LENGTH, &read, &total,
                                  nullptr) != NERR_Success) {
        if (members != nullptr) ::NetApiBufferFree(members);
        return;
    }
    win32::UniqueHandle<NetBufferTraits> list(members);
    const auto* entries = reinterpret_cast<LOCALGROUP_MEMBERS_INFO_0*>(list.get());
    for (DWORD i = 0; i < read; ++i) {
        const PSID sid = entries[i].lgrmi0_sid;
        if (sid == nullptr || !::IsValidSid(sid)) continue;
        const auto* bytes = static_cast<const std::uint8_t*>(sid);
        group.members.emplace_back(bytes, bytes + ::GetLengthSid(sid));
    }
}

// Every installed product: its installation folder and its features' states.
void Products(sim::Machine& out) {
    char product[39];
    for (DWORD index = 0; ::MsiEnumProductsA(index, product) == ERROR_SUCCESS; ++index) {
        char location[MAX_PATH];
        DWORD length = sizeof location;
        if (::MsiGetProductInfoA(product, "InstallLocation", location, &length) == ERROR_SUCCESS) {
            out.session.products[product]["InstallLocation"] = std::string(location, length);
        }
        // The features the library asks about, and any others the product
        // lists; a state the installer cannot tell (-1) is left out, as the
        // replay answers -1 for a feature it has no state for.
        std::set<std::string> features(FeatureNames().begin(), FeatureNames().end());
        char feature[MAX_FEATURE_CHARS + 1];
        char parent[MAX_FEATURE_CHARS + 1];
        for (DWORD at = 0; ::MsiEnumFeaturesA(product, at, feature, parent) == ERROR_SUCCESS; ++at) {
            features.insert(feature);
        }
        for (const std::string& name : features) {
            const INSTALLSTATE state = ::MsiQueryFeatureStateA(product, name.c_str());
            if (state != INSTALLSTATE_UNKNOWN) out.session.featureStates[product][name] = state;
        }
    }
}

}  // namespace

void CaptureInventory(sim::Machine& out) {
    Environment(out);
    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = sizeof computer;
    if (::GetComputerNameA(computer, &length)) out.computerName.assign(computer, length);
    win32::Win32System system;
    out.windowsMajorVersion = system.GetWindowsMajorVersion();
    out.codePage = ::GetACP();
    win32::Win32Accounts accounts;
    platform::NetBufferHandle buffer{};
    platform::SidBytes domain;
    if (accounts.NetUserModalsGet2(&buffer, &domain) == 0 && !domain.empty()) out.accountDomainSid = domain;
    if (buffer) accounts.NetApiBufferFree(buffer);
    // The agent GINA holds its mutex while Winlogon has it loaded; opening
    // it (never creating it) tells whether it exists.
    win32::UniqueHandle<KernelHandleTraits> mutex(::OpenMutexA(SYNCHRONIZE, FALSE, gina::kAgentGinaLoadedMutex));
    if (mutex) out.mutexes.insert(gina::kAgentGinaLoadedMutex);
    Services(out);
    Groups(out);
    Products(out);
}

}  // namespace veltra::capture
