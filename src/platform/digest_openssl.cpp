// MD5 through OpenSSL's EVP interface (the one-shot digest: the context it
// uses internally is cleansed and freed before it returns).
#include <openssl/evp.h>

#include "platform/digest.h"

namespace veltra::platform {

std::optional<Md5Digest> Md5(std::span<const std::uint8_t> data) {
    Md5Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
        length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace veltra::platform
