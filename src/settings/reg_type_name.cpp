#include "settings/registry_primitives.h"

namespace veltra::settings {

const char* RegTypeName(Dword type) {
    static constexpr const char* kNames[] = {"REG_NONE",   "REG_SZ",               "REG_EXPAND_SZ",
                                             "REG_BINARY", "REG_DWORD",            "REG_DWORD_BIG_ENDIAN",
                                             "REG_LINK",   "REG_MULTI_SZ"};
    return type < sizeof kNames / sizeof kNames[0] ? kNames[type] : "REG_NONE";
}

}  // namespace veltra::settings
