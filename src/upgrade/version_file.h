// "version.h" in the repository folder: the package lays down the agent's
// version as C macros, and the installation records the numbers in the
// registry from it.
//
//   #define __VMAJOR__ 6
//   #define __VMINOR__ 1
//   #define __PLEVEL__ 2
//
// Lines are read as fgets reads them into a 1020-byte buffer: a longer line
// arrives in pieces, each taken as a line of its own.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/types.h"

namespace veltra::upgrade {

inline constexpr const char* kVersionFileName = "version.h";
inline constexpr std::size_t kVersionLineBuffer = 1020;

// The numbers recorded when the file, or a line of it, says nothing else.
struct AgentVersion {
    platform::Dword major = 6;
    platform::Dword minor = 0;
    platform::Dword patchLevel = 0;
    bool operator==(const AgentVersion&) const = default;
};

// The version the file's text (as read in text mode) gives. A line counts
// when it starts with "#define"; its macro name runs from the line's first
// underscore to the next blank, its value is the following piece up to a
// blank or the line end, read as a decimal number. "__VMAJOR__", "__VMINOR__"
// and "__PLEVEL__" (case ignored) set the numbers; the last line wins.
AgentVersion ReadAgentVersion(std::string_view text);

}  // namespace veltra::upgrade
