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

Dword CopyOutMsiString(std::string_view value, char* buffer, Dword* cch) {
    if (cch == nullptr) return buffer == nullptr ? platform::kErrorSuccess : platform::kErrorInvalidParameter;
    const Dword capacity = *cch;
    *cch = static_cast<Dword>(value.size());
    if (buffer != nullptr && capacity > 0) {
        const std::size_t copied = std::min<std::size_t>(value.size(), capacity - 1);
        if (copied > 0) std::memcpy(buffer, value.data(), copied);
        buffer[copied] = '\0';
    }
    // An empty value into a zero-length buffer is still "more data": the
    // terminator does not fit.
    return value.size() >= capacity ? platform::kErrorMoreData : platform::kErrorSuccess;
}

Dword SimInstaller::Finish(std::string_view operation, std::string_view subject, Dword result) {
    machine_.trace.Record(operation, subject, result);
    return result;
}

Dword SimInstaller::GetProperty(const char* name, char* buffer, Dword* cch) {
    if (name == nullptr) return Finish("MsiGetPropertyA", "", platform::kErrorInvalidParameter);
    if (auto code = machine_.faults.Check("MsiGetPropertyA", name)) return Finish("MsiGetPropertyA", name, *code);
    std::string_view value;
    const auto it = machine_.session.properties.find(name);
    if (it != machine_.session.properties.end() && (!machine_.session.deferred || VisibleWhenDeferred(name))) {
        value = it->second;
    }
    return Finish("MsiGetPropertyA", name, CopyOutMsiString(value, buffer, cch));
}

Dword SimInstaller::SetProperty(const char* name, const char* value) {
    if (name == nullptr || *name == '\0') return Finish("MsiSetPropertyA", "", platform::kErrorInvalidParameter);
    if (auto code = machine_.faults.Check("MsiSetPropertyA", name)) return Finish("MsiSetPropertyA", name, *code);
    if (machine_.session.deferred) return Finish("MsiSetPropertyA", name, platform::kErrorFunctionFailed);
    if (value == nullptr || *value == '\0') {
        machine_.session.properties.erase(name);
    } else {
        machine_.session.properties[name] = value;
    }
    return Finish("MsiSetPropertyA", name, platform::kErrorSuccess);
}

Dword SimInstaller::GetSourcePath(const char* folder, char* buffer, Dword* cch) {
    const std::string subject = folder != nullptr ? folder : "";
    if (auto code = machine_.faults.Check("MsiGetSourcePathA", subject)) return Finish("MsiGetSourcePathA", subject, *code);
    const auto it = machine_.session.sourcePaths.find(subject);
    if (machine_.session.deferred || it == machine_.session.sourcePaths.end()) {
        return Finish("MsiGetSourcePathA", subject, platform::kErrorDirectory);
    }
    return Finish("MsiGetSourcePathA", subject, CopyOutMsiString(it->second, buffer, cch));
}

Dword SimInstaller::GetTargetPath(const char* folder, char* buffer, Dword* cch) {
    const std::string subject = folder != nullptr ? folder : "";
    if (auto code = machine_.faults.Check("MsiGetTargetPathA", subject)) return Finish("MsiGetTargetPathA", subject, *code);
    const auto it = machine_.session.targetPaths.find(subject);
    if (machine_.session.deferred || it == machine_.session.targetPaths.end()) {
        return Finish("MsiGetTargetPathA", subject, platform::kErrorDirectory);
    }
    return Finish("MsiGetTargetPathA", subject, CopyOutMsiString(it->second, buffer, cch));
}

int SimInstaller::QueryFeatureState(const char* productCode, const char* feature) {
    const std::string product = productCode != nullptr ? productCode : "";
    const std::string name = feature != nullptr ? feature : "";
    const std::string subject = product + "|" + name;
    if (productCode == nullptr || feature == nullptr) {
        machine_.trace.Record("MsiQueryFeatureStateA", subject, 0);
        return platform::kInstallStateInvalidArg;
    }
    int state = platform::kInstallStateUnknown;
    if (const auto p = machine_.session.featureStates.find(product); p != machine_.session.featureStates.end()) {
        if (const auto f = p->second.find(name); f != p->second.end()) state = f->second;
    }
    machine_.trace.Record("MsiQueryFeatureStateA", subject, static_cast<Dword>(state));
    return state;
}

Dword SimInstaller::GetProductInfo(const char* productCode, const char* property, char* buffer, Dword* cch) {
    const std::string product = productCode != nullptr ? productCode : "";
    const std::string name = property != nullptr ? property : "";
    const std::string subject = product + "|" + name;
    if (auto code = machine_.faults.Check("MsiGetProductInfoA", subject)) return Finish("MsiGetProductInfoA", subject, *code);
    const auto p = machine_.session.products.find(product);
    if (p == machine_.session.products.end()) return Finish("MsiGetProductInfoA", subject, platform::kErrorUnknownProduct);
    const auto v = p->second.find(name);
    if (v == p->second.end()) return Finish("MsiGetProductInfoA", subject, platform::kErrorUnknownProperty);
    return Finish("MsiGetProductInfoA", subject, CopyOutMsiString(v->second, buffer, cch));
}

int SimInstaller::ProcessMessage(Dword messageType, const platform::MessageRecord& record) {
    if (messageType == platform::kInstallMessageInfo) {
        machine_.session.log.push_back(
            FormatLogText(record.fields.empty() ? "" : record.fields[0], machine_.session.properties));
        return 0;
    }
    machine_.session.messages.emplace_back(messageType, record);
    machine_.trace.Record("MsiProcessMessage", record.fields.size() > 1 ? record.fields[1] : "", 1);
    return 1;  // IDOK: the installer goes on
}

}  // namespace veltra::sim
