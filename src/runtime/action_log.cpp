#include "runtime/action_log.h"

#include <cstring>
#include <string>

#include "runtime/log.h"
#include "runtime/secrets.h"

namespace veltra::runtime {

using platform::Dword;

namespace {

std::string NameOf(const char* name) { return name != nullptr ? name : ""; }

}  // namespace

void ActionLog::Write(std::string_view text) noexcept {
    try {
        line_.fields.resize(1);
        std::string& field = line_.fields[0];
        WriteLogLine(field, action_, text);
        field = EscapeFormatted(std::move(field));
        session_.ProcessMessage(platform::kInstallMessageInfo, line_);
    } catch (...) {
    }
}

void ActionLog::Read(std::string_view call, std::string_view what, const char* name, bool secret,
                     Dword result, const char* buffer, Dword capacity, const Dword* cch) noexcept {
    try {
        if (result == platform::kErrorMoreData && capacity == 0) return;
        if (result != platform::kErrorSuccess || buffer == nullptr || cch == nullptr) {
            std::string text(call);
            text += ' ';
            text += NameOf(name);
            text += " failed: ";
            text += std::to_string(result);
            Write(text);
            return;
        }
        // The text up to its terminator, within the buffer the caller gave.
        const std::string_view value(buffer, strnlen(buffer, capacity));
        const std::string_view shownName = name != nullptr ? name : "";
        std::string line;
        line.reserve(what.size() + shownName.size() + value.size() + 8);
        line.append(what).append(" ").append(shownName).append(" = ");
        if (secret && IsSecretProperty(shownName, value)) {
            line += kMasked;
        } else if (secret && shownName == "CustomActionData") {
            line.append("\"").append(MaskDeferredData(value)).append("\"");
        } else {
            line.append("\"").append(value).append("\"");
        }
        Write(line);
    } catch (...) {
    }
}

Dword ActionLog::Forward(Reader read, std::string_view call, std::string_view what, const char* name, bool secret,
                         char* buffer, Dword* cch) {
    const Dword capacity = cch != nullptr ? *cch : 0;
    const Dword result = (session_.*read)(name, buffer, cch);
    Read(call, what, name, secret, result, buffer, capacity, cch);
    return result;
}

Dword ActionLog::GetProperty(const char* name, char* buffer, Dword* cch) {
    return Forward(&platform::Installer::GetProperty, "MsiGetPropertyA", "property", name, true, buffer, cch);
}

Dword ActionLog::SetProperty(const char* name, const char* value) {
    // What an action sets, the installer logs itself.
    return session_.SetProperty(name, value);
}

Dword ActionLog::GetSourcePath(const char* folder, char* buffer, Dword* cch) {
    return Forward(&platform::Installer::GetSourcePath, "MsiGetSourcePathA", "source folder", folder, false, buffer,
                   cch);
}

Dword ActionLog::GetTargetPath(const char* folder, char* buffer, Dword* cch) {
    return Forward(&platform::Installer::GetTargetPath, "MsiGetTargetPathA", "target folder", folder, false, buffer,
                   cch);
}

int ActionLog::QueryFeatureState(const char* productCode, const char* feature) {
    const int state = session_.QueryFeatureState(productCode, feature);
    try {
        Write("feature " + NameOf(feature) + " = " + std::to_string(state));
    } catch (...) {
    }
    return state;
}

Dword ActionLog::GetProductInfo(const char* productCode, const char* property, char* buffer,
                                Dword* cch) {
    const Dword capacity = cch != nullptr ? *cch : 0;
    const Dword result = session_.GetProductInfo(productCode, property, buffer, cch);
    try {
        const std::string name = NameOf(productCode) + " " + NameOf(property);
        Read("MsiGetProductInfoA", "product", name.c_str(), false, result, buffer, capacity, cch);
    } catch (...) {
    }
    return result;
}

int ActionLog::ProcessMessage(Dword messageType, const platform::MessageRecord& record) {
    if (messageType != platform::kInstallMessageInfo) {
        return session_.ProcessMessage(messageType, record);
    }
    Write(record.fields.empty() ? std::string_view() : std::string_view(record.fields[0]));
    return 0;
}

}  // namespace veltra::runtime
