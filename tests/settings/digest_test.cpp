// The reserve password digest: vectors of the RFC 1321 suite (appendix A.5),
// one block, two blocks and the empty text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/digest.h"

namespace veltra::testing {
namespace {

std::string Hex(const platform::Md5Digest& digest) {
    std::string text;
    for (const std::uint8_t byte : digest) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Md5Test, GivesTheRfc1321TestSuite) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : vectors) {
        const auto digest =
            platform::Md5({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        ASSERT_TRUE(digest) << text;
        EXPECT_EQ(Hex(*digest), expected) << text;
    }
}

}  // namespace
}  // namespace veltra::testing
