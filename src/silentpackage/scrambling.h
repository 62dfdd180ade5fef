// The scrambling of the registry configuration file: every byte combined by
// exclusive-or with a byte of a fixed key of 512 printable characters. The
// file is processed in blocks of 512 bytes, each starting again at the key's
// first byte, so byte i meets key byte i mod 512. Scrambling twice gives the
// bytes back; a file is readable only by a build with the same key.
//
// This hides the settings from a casual look into the package folder; it is
// not encryption.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/platform.h"

namespace veltra::silentpackage {

inline constexpr std::size_t kScramblingBlock = 512;

// The key's 512 characters.
std::span<const std::uint8_t, kScramblingBlock> ScramblingKey();

// out[i] = in[i] ^ key[i] for the first in.size() bytes; in holds at most one
// block and out at least as many bytes as in.
void Scramble(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// Reads `from` in blocks, scrambles each, writes it to `to`, replacing it.
// Both files are opened (`to` even when `from` cannot be, leaving it empty);
// false, with the failure logged, when either does not open.
bool ScrambleFile(platform::Platform& platform, const std::string& from, const std::string& to);

}  // namespace veltra::silentpackage
