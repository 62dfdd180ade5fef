#include "platform/sim/sim_installer.h"

#include <array>
#include <cstring>

#include "platform/sim/installer_log.h"

namespace veltra::sim {

using platform::Dword;

namespace {

constexpr std::array<std::string_view, 3> kDeferredVisible = {"CustomActionData", "ProductCode", "UserSID"};

bool VisibleWhenDeferred(std::string_view name) {
    for (std::string_view visible : kDeferredVisible) {
        if (visible == name) return true;
    }
    return false;
}

}  // namespace

Dword CopyOutMsiString(std::string_view value, char* buffer, Dword* cch, bool sessionCall) {
    if (cch == nullptr) return buffer == nullptr ? platform::kErrorSuccess : platform::kErrorInvalidParameter;
    const auto length = static_cast<Dword>(value.size());
    const Dword reported = sessionCall ? 2 * length : length;
    if (buffer == nullptr) {
        *cch = reported;
        return platform::kErrorSuccess;
    }
    const Dword capacity = *cch;
    // An empty view may have no data pointer at all, which memcpy must not get.
    if (capacity > length) {
        if (length > 0) std::memcpy(buffer, value.data(), length);
        buffer[length] = '\0';
        *cch = length;
        return platform::kErrorSuccess;
    }
    // Even "" is "more data" for a zero-length buffer: its terminator does not fit.
    if (capacity > 0) {
        std::memcpy(buffer, value.data(), capacity - 1);
        buffer[capacity - 1] = '\0';
    }
    *cch = reported;
    return platform::kErrorMoreData;
}

Dword SimInstaller::GetProperty(const char* name, char* buffer, Dword* cch) {
    const std::string subject = name != nullptr ? name : "";
    return gate_.Run("MsiGetPropertyA", subject, [&]() -> Dword {
        if (name == nullptr) return platform::kErrorInvalidParameter;
        std::string_view value;
        const auto it = machine_.session.properties.find(subject);
        if (it != machine_.session.properties.end() && (!machine_.session.deferred || VisibleWhenDeferred(subject))) {
            value = it->second;
        }
        return CopyOutMsiString(value, buffer, cch);
    });
}

Dword SimInstaller::SetProperty(const char* name, const char* value) {
    const std::string subject = name != nullptr ? name : "";
    return gate_.Run("MsiSetPropertyA", subject, [&]() -> Dword {
        if (subject.empty()) return platform::kErrorInvalidParameter;
        if (machine_.session.deferred) return platform::kErrorFunctionFailed;
        if (value == nullptr || *value == '\0') {
            machine_.session.properties.erase(subject);
        } else {
            machine_.session.properties[subject] = value;
        }
        return platform::kErrorSuccess;
    });
}

Dword SimInstaller::GetSourcePath(const char* folder, char* buffer, Dword* cch) {
    const std::string subject = folder != nullptr ? folder : "";
    return gate_.Run("MsiGetSourcePathA", subject, [&]() -> Dword {
        const auto it = machine_.session.sourcePaths.find(subject);
        if (machine_.session.deferred || it == machine_.session.sourcePaths.end()) return platform::kErrorDirectory;
        return CopyOutMsiString(it->second, buffer, cch);
    });
}

Dword SimInstaller::GetTargetPath(const char* folder, char* buffer, Dword* cch) {
    const std::string subject = folder != nullptr ? folder : "";
    return gate_.Run("MsiGetTargetPathA", subject, [&]() -> Dword {
        const auto it = machine_.session.targetPaths.find(subject);
        if (machine_.session.deferred || it == machine_.session.targetPaths.end()) return platform::kErrorDirectory;
        return CopyOutMsiString(it->second, buffer, cch);
    });
}

int SimInstaller::QueryFeatureState(const char* productCode, const char* feature) {
    const std::string product = productCode != nullptr ? productCode : "";
    const std::string name = feature != nullptr ? feature : "";
    const std::string subject = product + "|" + name;
    if (const auto code = gate_.Injected("MsiQueryFeatureStateA", subject)) {
        return *code == platform::kErrorInvalidParameter ? platform::kInstallStateInvalidArg
                                                          : platform::kInstallStateUnknown;
    }
    int state = platform::kInstallStateUnknown;
    if (productCode == nullptr || feature == nullptr) {
        state = platform::kInstallStateInvalidArg;
    } else if (const auto p = machine_.session.featureStates.find(product); p != machine_.session.featureStates.end()) {
        if (const auto f = p->second.find(name); f != p->second.end()) state = f->second;
    }
    gate_.Finish("MsiQueryFeatureStateA", subject, static_cast<Dword>(state));
    return state;
}

Dword SimInstaller::GetProductInfo(const char* productCode, const char* property, char* buffer, Dword* cch) {
    const std::string product = productCode != nullptr ? productCode : "";
    const std::string name = property != nullptr ? property : "";
    return gate_.Run("MsiGetProductInfoA", product + "|" + name, [&]() -> Dword {
        const auto p = machine_.session.products.find(product);
        if (p == machine_.session.products.end()) return platform::kErrorUnknownProduct;
        const auto v = p->second.find(name);
        if (v == p->second.end()) return platform::kErrorUnknownProperty;
        // Not a session call: the length is in characters even from a custom action.
        return CopyOutMsiString(v->second, buffer, cch, /*sessionCall=*/false);
    });
}

int SimInstaller::ProcessMessage(Dword messageType, const platform::MessageRecord& record) {
    // The library's log lines are kept, not traced: the trace shows the calls
    // an action makes for its own work.
    if (messageType == platform::kInstallMessageInfo) {
        machine_.session.log.push_back(
            FormatLogText(record.fields.empty() ? "" : record.fields[0], machine_.session.properties));
        return 0;
    }
    const std::string subject = record.fields.size() > 1 ? record.fields[1] : "";
    if (gate_.Injected("MsiProcessMessage", subject)) return -1;  // the installer's error result
    machine_.session.messages.emplace_back(messageType, record);
    gate_.Finish("MsiProcessMessage", subject, 1);
    return 1;  // IDOK: the installer goes on
}

}  // namespace veltra::sim
