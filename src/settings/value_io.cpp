#include "settings/value_io.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "settings/decimal_text.h"
#include "settings/registry_primitives.h"

namespace veltra::settings {

using platform::HKey;
using platform::Registry;

std::string RowKeyPath(const SettingsContext& context, const SettingsLocation& classPlace,
                       const ValueInfo& info) {
    switch (info.key) {
        case ValueKey::kClassKey: return classPlace.path();
        case ValueKey::kEap15: return classPlace.path() + "\\15";
        case ValueKey::kEap32: return classPlace.path() + "\\32";
        case ValueKey::kNetworkKey: return context.network.path();
    }
    return classPlace.path();
}

Dword ReadField(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
                ValueField& field) {
    const char* path = keyPath.c_str();
    switch (info.stored) {
        case StoredAs::kDword: return ReadRegDword(registry, root, path, info.name, &field.number);
        case StoredAs::kDecimalText: return ReadRegDecimal(registry, root, path, info.name, &field.number);
        case StoredAs::kString:
        case StoredAs::kExpandString:
        case StoredAs::kBinary: break;
    }
    if (!field.buffer.allocated()) return kRegResultNoBuffers;
    // Read aside and keep only a whole successful read: a value that does not
    // fit leaves the field as it was.
    std::array<std::uint8_t, kLargestValueCapacity> scratch{};
    Dword size = std::min(field.buffer.capacity(), kLargestValueCapacity);
    const Dword result = ReadRegString(registry, root, path, info.name, scratch.data(), &size);
    if (result == kRegResultSuccess) field.buffer.StoreRead(std::span(scratch).first(size));
    // The scratch may have held secret material.
    volatile std::uint8_t* wipe = scratch.data();
    for (std::size_t i = 0; i < scratch.size(); ++i) wipe[i] = 0;
    return result;
}

Dword WriteField(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
                 const ValueField& field) {
    const char* path = keyPath.c_str();
    switch (info.stored) {
        case StoredAs::kDword:
        case StoredAs::kDecimalText: return SetNumber(registry, root, keyPath, info, field.number);
        case StoredAs::kString:
        case StoredAs::kExpandString: {
            const std::string_view text = field.buffer.Text();
            const auto length = static_cast<Dword>(text.size());
            return info.stored == StoredAs::kString
                       ? WriteRegString(registry, root, path, info.name, text.data(), length)
                       : WriteRegExpandString(registry, root, path, info.name, text.data(), length);
        }
        case StoredAs::kBinary: {
            const auto data = field.buffer.Data();
            return WriteRegBinary(registry, root, path, info.name, data.data(),
                                  static_cast<Dword>(data.size()));
        }
    }
    return kRegResultBadArgument;
}

Dword GetNumber(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
                Dword* target) {
    if (info.stored == StoredAs::kDword) return ReadRegDword(registry, root, keyPath.c_str(), info.name, target);
    if (info.stored == StoredAs::kDecimalText) {
        return ReadRegDecimal(registry, root, keyPath.c_str(), info.name, target);
    }
    return kRegResultBadArgument;
}

Dword GetBytes(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
               void* buffer, Dword* size) {
    if (IsNumber(info)) return kRegResultBadArgument;
    return ReadRegString(registry, root, keyPath.c_str(), info.name, buffer, size);
}

Dword SetNumber(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
                Dword value) {
    if (info.stored == StoredAs::kDword) {
        return WriteRegDword(registry, root, keyPath.c_str(), info.name, value);
    }
    if (info.stored == StoredAs::kDecimalText) {
        const std::string text = FormatDecimal(value);
        return WriteRegString(registry, root, keyPath.c_str(), info.name, text.c_str(),
                              static_cast<Dword>(text.size()));
    }
    return kRegResultBadArgument;
}

Dword SetText(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
              const char* text) {
    if (text == nullptr) return kRegResultBadArgument;
    const auto length = static_cast<Dword>(std::strlen(text));
    switch (info.stored) {
        case StoredAs::kString: return WriteRegString(registry, root, keyPath.c_str(), info.name, text, length);
        case StoredAs::kExpandString:
            return WriteRegExpandString(registry, root, keyPath.c_str(), info.name, text, length);
        case StoredAs::kBinary: return WriteRegBinary(registry, root, keyPath.c_str(), info.name, text, length);
        case StoredAs::kDword:
        case StoredAs::kDecimalText: break;
    }
    return kRegResultBadArgument;
}

Dword SetBytes(Registry& registry, HKey root, const std::string& keyPath, const ValueInfo& info,
               const void* data, Dword length) {
    if (info.stored != StoredAs::kBinary) return kRegResultBadArgument;
    return WriteRegBinary(registry, root, keyPath.c_str(), info.name, data, length);
}

}  // namespace veltra::settings
