// Owners for the Win32 handles the adapter opens and closes within one call,
// and the conversions between the ports' opaque handle numbers and the
// Win32 handle types.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "platform/win32/win32_api.h"

namespace veltra::win32 {

// One owner per kind of handle. Traits name the handle type, the value that
// means "none" (null for most kinds, INVALID_HANDLE_VALUE for find handles)
// and the function that releases it. Releasing keeps the thread's last error,
// so a caller can still read the error of the call that failed.
template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::Invalid());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    // For APIs that return the handle through a pointer: releases any held one.
    Type* put() {
        reset();
        return &handle_;
    }

    void reset() {
        if (handle_ != Traits::Invalid()) {
            const DWORD error = ::GetLastError();
            Traits::Close(handle_);
            ::SetLastError(error);
            handle_ = Traits::Invalid();
        }
    }

private:
    Type handle_ = Traits::Invalid();
};

struct MsiHandleTraits {
    using Type = MSIHANDLE;
    static Type Invalid() { return 0; }
    static void Close(Type handle) { ::MsiCloseHandle(handle); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::FindClose(handle); }
};

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { ::LocalFree(memory); }
};

using UniqueMsiHandle = UniqueHandle<MsiHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

// Port handles carry the Win32 handle's bits unchanged.
template <class Native, class Tag>
Native ToNative(platform::Handle<Tag> handle) {
    return reinterpret_cast<Native>(handle.value);
}

template <class Tag, class Native>
platform::Handle<Tag> FromNative(Native handle) {
    return platform::Handle<Tag>{reinterpret_cast<std::uintptr_t>(handle)};
}

inline HWND ToHwnd(platform::Hwnd window) {
    return ToNative<HWND>(window);
}
inline platform::Hwnd FromHwnd(HWND window) {
    return FromNative<platform::WindowTag>(window);
}

// The port numbers the predefined roots by their 32-bit Win32 values; on a
// 64-bit system the real constants are those values sign-extended.
inline HKEY ToHkey(platform::HKey key) {
    if (platform::IsPredefinedKey(key)) {
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(key.value));
        return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(bits));
    }
    return ToNative<HKEY>(key);
}

// A port length (32 bits) passed where Win32 wants a DWORD pointer: copied in
// before the call and back out when this goes out of scope. A null port
// pointer stays null.
class DwordInOut {
public:
    explicit DwordInOut(platform::Dword* port) : port_(port), value_(port != nullptr ? *port : 0) {}
    DwordInOut(const DwordInOut&) = delete;
    DwordInOut& operator=(const DwordInOut&) = delete;
    ~DwordInOut() {
        if (port_ != nullptr) *port_ = static_cast<platform::Dword>(value_);
    }
    DWORD* get() { return port_ != nullptr ? &value_ : nullptr; }

private:
    platform::Dword* port_;
    DWORD value_;
};

}  // namespace veltra::win32
