// The CryptoAPI digest of the Windows build against the RFC 1321 test suite.
// Built with MinGW and run under Wine (see CMakeLists.txt); prints one line per
// vector and exits 0 only when all of them match.
#include <cstdio>
#include <cstring>

#include "platform/digest.h"

int main() {
    struct Vector {
        const char* text;
        const char* digest;
    };
    const Vector vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    int failures = 0;
    for (const Vector& vector : vectors) {
        const auto digest = veltra::platform::Md5(
            {reinterpret_cast<const std::uint8_t*>(vector.text), std::strlen(vector.text)});
        char hex[33] = {};
        if (digest) {
            for (std::size_t i = 0; i < digest->size(); ++i) std::snprintf(hex + 2 * i, 3, "%02x", (*digest)[i]);
        }
        const bool ok = digest && std::strcmp(hex, vector.digest) == 0;
        std::printf("%s MD5(\"%s\") = %s\n", ok ? "ok  " : "FAIL", vector.text, digest ? hex : "(no digest)");
        if (!ok) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
