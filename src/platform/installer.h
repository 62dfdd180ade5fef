// The installer port: the msi.dll operations an action may use on its session.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

// INSTALLSTATE values of MsiQueryFeatureStateA.
inline constexpr int kInstallStateInvalidArg = -2;
inline constexpr int kInstallStateUnknown = -1;
inline constexpr int kInstallStateAbsent = 2;
inline constexpr int kInstallStateLocal = 3;
inline constexpr int kInstallStateSource = 4;

// INSTALLMESSAGE types for MsiProcessMessage.
inline constexpr Dword kInstallMessageInfo = 0x04000000;  // a line of the log
inline constexpr Dword kInstallMessageActionStart = 0x08000000;

// A message record: field 0 is the template, fields 1..n the data. The adapter
// turns it into a real MSI record (and closes that) for the duration of a call.
struct MessageRecord {
    std::vector<std::string> fields;  // fields[0] is field 0
};

class Installer {
public:
    virtual ~Installer() = default;

    // The length protocol of MsiGetPropertyA: *cch in characters; 234 and the
    // needed length (without the terminator) when the buffer is too small,
    // with as much of the value as fits left in the buffer, terminated; an
    // undefined property reads as "". From a custom action the needed length
    // comes in bytes of UTF-16 text (twice the characters), so it is only an
    // upper bound.
    virtual Dword GetProperty(const char* name, char* buffer, Dword* cch) = 0;
    // Setting "" deletes the property.
    virtual Dword SetProperty(const char* name, const char* value) = 0;
    virtual Dword GetSourcePath(const char* folder, char* buffer, Dword* cch) = 0;
    virtual Dword GetTargetPath(const char* folder, char* buffer, Dword* cch) = 0;

    // Not session calls on Windows, but part of the same published interface.
    virtual int QueryFeatureState(const char* productCode, const char* feature) = 0;
    virtual Dword GetProductInfo(const char* productCode, const char* property, char* buffer,
                                 Dword* cch) = 0;

    // MsiCreateRecord + MsiRecordSetStringA + MsiProcessMessage + MsiCloseHandle.
    virtual int ProcessMessage(Dword messageType, const MessageRecord& record) = 0;
};

}  // namespace veltra::platform
