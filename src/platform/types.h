// Plain Windows numbers shared by every port: result codes, handle values and
// the few constants that the logic passes through a port unchanged.
//
// The logic never includes a system header; it sees the platform only through
// these values and the port interfaces beside this file.
#pragma once

#include <cstdint>

namespace veltra::platform {

using Dword = std::uint32_t;

// Win32 error codes (winerror.h) that the logic tests for by value.
inline constexpr Dword kErrorSuccess = 0;
inline constexpr Dword kErrorFileNotFound = 2;
inline constexpr Dword kErrorPathNotFound = 3;
inline constexpr Dword kErrorAccessDenied = 5;
inline constexpr Dword kErrorInvalidHandle = 6;
inline constexpr Dword kErrorNotEnoughMemory = 8;
inline constexpr Dword kErrorInvalidData = 13;
inline constexpr Dword kErrorNotSameDevice = 17;
inline constexpr Dword kErrorSharingViolation = 32;
inline constexpr Dword kErrorFileExists = 80;
inline constexpr Dword kErrorInvalidParameter = 87;
inline constexpr Dword kErrorCallNotImplemented = 120;
inline constexpr Dword kErrorInsufficientBuffer = 122;
inline constexpr Dword kErrorModNotFound = 126;
inline constexpr Dword kErrorProcNotFound = 127;
inline constexpr Dword kErrorDirNotEmpty = 145;
inline constexpr Dword kErrorBusy = 170;
inline constexpr Dword kErrorAlreadyExists = 183;
inline constexpr Dword kErrorFilenameExcedRange = 206;
inline constexpr Dword kErrorDirectory = 267;
inline constexpr Dword kErrorMoreData = 234;
inline constexpr Dword kErrorNoMoreItems = 259;
inline constexpr Dword kErrorServiceExists = 1073;
inline constexpr Dword kErrorMemberInAlias = 1378;
inline constexpr Dword kErrorAliasExists = 1379;
inline constexpr Dword kErrorInstallFailure = 1603;
inline constexpr Dword kErrorUnknownProduct = 1605;
inline constexpr Dword kErrorUnknownProperty = 1608;
inline constexpr Dword kErrorResourceTypeNotFound = 1813;
inline constexpr Dword kErrorFunctionFailed = 1627;
inline constexpr Dword kNerrGroupExists = 2223;

// A handle as the platform hands it out: an opaque number, 0 for "none".
// Each port has its own strong type so a key cannot be passed as a service.
template <class Tag>
struct Handle {
    std::uintptr_t value = 0;
    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(Handle, Handle) = default;
};

}  // namespace veltra::platform
