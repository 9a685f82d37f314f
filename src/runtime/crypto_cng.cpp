// The cryptography of the Windows build: CNG (bcrypt.dll), which every supported Windows brings.
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <cstdint>
#include <limits>

#include "runtime/crypto.h"

namespace crypto {

namespace {

bool ok(NTSTATUS status) { return status >= 0; }

PUCHAR bytes(const void* data) { return static_cast<PUCHAR>(const_cast<void*>(data)); }

bool fits(size_t size) { return static_cast<uint64_t>(size) <= std::numeric_limits<ULONG>::max(); }

struct Algorithm {
    BCRYPT_ALG_HANDLE handle = nullptr;
    Algorithm(LPCWSTR name, ULONG flags) {
        if (!ok(BCryptOpenAlgorithmProvider(&handle, name, nullptr, flags))) handle = nullptr;
    }
    ~Algorithm() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
};

}  // namespace

bool pbkdf2_sha1(const std::string& password, const unsigned char* salt, size_t salt_size,
                 unsigned rounds, unsigned char* out, size_t size) {
    Algorithm hmac(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    return hmac.handle && fits(password.size()) && fits(salt_size) && fits(size) &&
           ok(BCryptDeriveKeyPBKDF2(hmac.handle, bytes(password.data()),
                                    static_cast<ULONG>(password.size()), bytes(salt),
                                    static_cast<ULONG>(salt_size), rounds, out,
                                    static_cast<ULONG>(size), 0));
}

struct AesBlocks::Impl {
    Algorithm aes{BCRYPT_AES_ALGORITHM, 0};
    BCRYPT_KEY_HANDLE key = nullptr;
    ~Impl() {
        if (key) BCryptDestroyKey(key);
    }
};

AesBlocks::AesBlocks() = default;
AesBlocks::~AesBlocks() = default;
AesBlocks::AesBlocks(AesBlocks&&) noexcept = default;
AesBlocks& AesBlocks::operator=(AesBlocks&&) noexcept = default;

bool AesBlocks::set_key(const unsigned char* key, size_t size) {
    impl_.reset(new Impl);
    BCRYPT_ALG_HANDLE aes = impl_->aes.handle;
    if (!aes || (size != 16 && size != 24 && size != 32)) return false;
    if (!ok(BCryptSetProperty(aes, BCRYPT_CHAINING_MODE, bytes(BCRYPT_CHAIN_MODE_ECB),
                              sizeof(BCRYPT_CHAIN_MODE_ECB), 0)) ||
        !ok(BCryptGenerateSymmetricKey(aes, &impl_->key, nullptr, 0, bytes(key),
                                       static_cast<ULONG>(size), 0))) {
        impl_->key = nullptr;
        return false;
    }
    return true;
}

bool AesBlocks::encipher(const unsigned char* in, unsigned char* out, size_t size) {
    if (!impl_ || !impl_->key || size % 16 != 0 || !fits(size)) return false;
    ULONG written = 0;
    return ok(BCryptEncrypt(impl_->key, bytes(in), static_cast<ULONG>(size), nullptr, nullptr, 0,
                            out, static_cast<ULONG>(size), &written, 0)) &&
           written == size;
}

struct HmacSha1::Impl {
    Algorithm sha1{BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG};
    BCRYPT_HASH_HANDLE hash = nullptr;
    void forget() {
        if (hash) BCryptDestroyHash(hash);
        hash = nullptr;
    }
    ~Impl() { forget(); }
};

HmacSha1::HmacSha1() = default;
HmacSha1::~HmacSha1() = default;
HmacSha1::HmacSha1(HmacSha1&&) noexcept = default;
HmacSha1& HmacSha1::operator=(HmacSha1&&) noexcept = default;

bool HmacSha1::start(const unsigned char* key, size_t size) {
    if (!impl_) impl_.reset(new Impl);
    impl_->forget();
    if (!impl_->sha1.handle || !fits(size) ||
        !ok(BCryptCreateHash(impl_->sha1.handle, &impl_->hash, nullptr, 0, bytes(key),
                             static_cast<ULONG>(size), 0))) {
        impl_->hash = nullptr;
        return false;
    }
    return true;
}

bool HmacSha1::update(const unsigned char* data, size_t size) {
    return impl_ && impl_->hash && fits(size) &&
           ok(BCryptHashData(impl_->hash, bytes(data), static_cast<ULONG>(size), 0));
}

bool HmacSha1::finish(unsigned char (&code)[kSize]) {
    if (!impl_ || !impl_->hash) return false;
    const bool done = ok(BCryptFinishHash(impl_->hash, code, kSize, 0));
    impl_->forget();
    return done;
}

}  // namespace crypto
