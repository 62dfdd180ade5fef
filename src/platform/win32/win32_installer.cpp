#include "platform/win32/win32_installer.h"

#include "platform/win32/handles.h"

namespace veltra::win32 {

using platform::Dword;

Dword Win32Installer::GetProperty(const char* name, char* buffer, Dword* cch) {
    DwordInOut length(cch);
    return ::MsiGetPropertyA(session_, name, buffer, length.get());
}

Dword Win32Installer::SetProperty(const char* name, const char* value) {
    return ::MsiSetPropertyA(session_, name, value);
}

Dword Win32Installer::GetSourcePath(const char* folder, char* buffer, Dword* cch) {
    DwordInOut length(cch);
    return ::MsiGetSourcePathA(session_, folder, buffer, length.get());
}

Dword Win32Installer::GetTargetPath(const char* folder, char* buffer, Dword* cch) {
    DwordInOut length(cch);
    return ::MsiGetTargetPathA(session_, folder, buffer, length.get());
}

int Win32Installer::QueryFeatureState(const char* productCode, const char* feature) {
    return ::MsiQueryFeatureStateA(productCode, feature);
}

Dword Win32Installer::GetProductInfo(const char* productCode, const char* property, char* buffer,
                                     Dword* cch) {
    DwordInOut length(cch);
    return ::MsiGetProductInfoA(productCode, property, buffer, length.get());
}

int Win32Installer::ProcessMessage(Dword messageType, const platform::MessageRecord& record) {
    // Field 0 is the template; a record is created with the count of the
    // fields after it, and a line of the log (field 0 alone) in a record of
    // one field.
    const auto dataFields = record.fields.size() > 1 ? record.fields.size() - 1 : 1u;
    UniqueMsiHandle message(::MsiCreateRecord(static_cast<UINT>(dataFields)));
    if (!message) return -1;
    for (std::size_t field = 0; field < record.fields.size(); ++field) {
        ::MsiRecordSetStringA(message.get(), static_cast<UINT>(field),
                              record.fields[field].c_str());
    }
    return ::MsiProcessMessage(session_, static_cast<INSTALLMESSAGE>(messageType), message.get());
}

}  // namespace veltra::win32
