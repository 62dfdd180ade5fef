// MD5 through the system's CryptoAPI: a verify-only context of the base RSA
// provider (no key container is created or touched), one hash object, one
// call for the data. Handles are released on every path.
#include <limits>

#include "platform/digest.h"
#include "platform/win32/win32_api.h"

#include <wincrypt.h>

namespace veltra::platform {

namespace {

class CryptContext {
public:
    CryptContext() {
        if (!CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) handle_ = 0;
    }
    ~CryptContext() {
        if (handle_ != 0) CryptReleaseContext(handle_, 0);
    }
    CryptContext(const CryptContext&) = delete;
    CryptContext& operator=(const CryptContext&) = delete;
    HCRYPTPROV get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

class CryptHash {
public:
    explicit CryptHash(HCRYPTPROV provider) {
        if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &handle_)) handle_ = 0;
    }
    ~CryptHash() {
        if (handle_ != 0) CryptDestroyHash(handle_);
    }
    CryptHash(const CryptHash&) = delete;
    CryptHash& operator=(const CryptHash&) = delete;
    HCRYPTHASH get() const { return handle_; }

private:
    HCRYPTHASH handle_ = 0;
};

}  // namespace

std::optional<Md5Digest> Md5(std::span<const std::uint8_t> data) {
    if (data.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
    CryptContext context;
    if (context.get() == 0) return std::nullopt;
    CryptHash hash(context.get());
    if (hash.get() == 0) return std::nullopt;
    if (!data.empty() && !CryptHashData(hash.get(), data.data(), static_cast<DWORD>(data.size()), 0)) {
        return std::nullopt;
    }
    Md5Digest digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) || length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace veltra::platform
