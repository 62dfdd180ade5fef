// The MD5 digest (RFC 1321) with which the agent stores its reserve password.
// Linux builds compute it with OpenSSL's libcrypto, Windows builds with the
// system's CryptoAPI; the logic sees only this function.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace veltra::platform {

using Md5Digest = std::array<std::uint8_t, 16>;

// The 16-byte digest of the bytes; nullopt when the platform's crypto fails.
// Nothing of the input is kept or logged.
std::optional<Md5Digest> Md5(std::span<const std::uint8_t> data);

}  // namespace veltra::platform
