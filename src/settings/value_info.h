// One row of a settings class's value table: the registry value's name, how
// it is stored, the capacity of its buffer, when Save writes it and which key
// it lives in. The tables themselves sit with their classes.
#pragma once

#include <cstddef>
#include <span>

#include "platform/registry.h"
#include "settings/result_codes.h"

namespace veltra::settings {

enum class StoredAs {
    kDword,         // REG_DWORD through ReadRegDword / WriteRegDword
    kDecimalText,   // REG_SZ "17" through ReadRegDecimal / decimal text + WriteRegString
    kString,        // REG_SZ through ReadRegString / WriteRegString
    kExpandString,  // read raw with ReadRegString, written as REG_EXPAND_SZ
    kBinary,        // REG_BINARY through ReadRegString (raw) / WriteRegBinary
};

// Short names for the value tables.
inline constexpr StoredAs kDword = StoredAs::kDword;
inline constexpr StoredAs kDecimal = StoredAs::kDecimalText;
inline constexpr StoredAs kString = StoredAs::kString;
inline constexpr StoredAs kExpand = StoredAs::kExpandString;
inline constexpr StoredAs kBinary = StoredAs::kBinary;

// When Save writes a value. "Changed" is a difference from the snapshot that
// Load took (a string's text, a binary value's bytes over its current length,
// a number's value). "Fits" is a string shorter than its capacity, a binary
// length word no larger than the capacity; a number always fits.
enum class SaveRule {
    kChangedOrForced,       // forced, or changed
    kForcedOrChangedFits,   // forced; or changed and fits
    kFitsChangedOrForced,   // fits, and forced or changed
    kForcedFits,            // forced and fits
    kForced,                // forced, whatever its length
    kNever,                 // loaded, never saved
    kAccessorOnly,          // no field: only its Get/Set accessors reach it
};

// The key a value lives in, relative to its class's current key path.
enum class ValueKey {
    kClassKey,
    kEap15,       // the class key + "\15"
    kEap32,       // the class key + "\32"
    kNetworkKey,  // the NetworkSettings class's current key path
};

struct ValueInfo {
    const char* name;
    StoredAs stored;
    platform::Dword capacity;  // buffer bytes of a string or binary field; 0 for numbers
    SaveRule save;
    ValueKey key = ValueKey::kClassKey;
    bool secret = false;  // never shown: secret material or a password digest
};

inline bool IsNumber(const ValueInfo& info) {
    return info.stored == StoredAs::kDword || info.stored == StoredAs::kDecimalText;
}

// The registry type a value is written with.
inline platform::Dword WrittenType(const ValueInfo& info) {
    switch (info.stored) {
        case StoredAs::kDword: return platform::kRegDword;
        case StoredAs::kDecimalText:
        case StoredAs::kString: return platform::kRegSz;
        case StoredAs::kExpandString: return platform::kRegExpandSz;
        case StoredAs::kBinary: return platform::kRegBinary;
    }
    return platform::kRegNone;
}

// The largest buffer any table asks for; reads go through a scratch this big.
inline constexpr platform::Dword kLargestValueCapacity = 1024;

}  // namespace veltra::settings
