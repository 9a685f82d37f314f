// The cryptography of the native build: OpenSSL's libcrypto.
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <climits>

#include "runtime/crypto.h"

namespace crypto {

bool pbkdf2_sha1(const std::string& password, const unsigned char* salt, size_t salt_size,
                 unsigned rounds, unsigned char* out, size_t size) {
    if (password.size() > INT_MAX || salt_size > INT_MAX || size > INT_MAX || rounds > INT_MAX)
        return false;
    return PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
                                  static_cast<int>(salt_size), static_cast<int>(rounds),
                                  static_cast<int>(size), out) == 1;
}

struct AesBlocks::Impl {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    bool keyed = false;
    ~Impl() { EVP_CIPHER_CTX_free(context); }
};

AesBlocks::AesBlocks() = default;
AesBlocks::~AesBlocks() = default;
AesBlocks::AesBlocks(AesBlocks&&) noexcept = default;
AesBlocks& AesBlocks::operator=(AesBlocks&&) noexcept = default;

bool AesBlocks::set_key(const unsigned char* key, size_t size) {
    impl_.reset(new Impl);
    const EVP_CIPHER* cipher = size == 16   ? EVP_aes_128_ecb()
                               : size == 24 ? EVP_aes_192_ecb()
                               : size == 32 ? EVP_aes_256_ecb()
                                            : nullptr;
    impl_->keyed = cipher && impl_->context &&
                   EVP_EncryptInit_ex(impl_->context, cipher, nullptr, key, nullptr) == 1 &&
                   EVP_CIPHER_CTX_set_padding(impl_->context, 0) == 1;
    return impl_->keyed;
}

bool AesBlocks::encipher(const unsigned char* in, unsigned char* out, size_t size) {
    if (!impl_ || !impl_->keyed || size % 16 != 0 || size > INT_MAX) return false;
    int written = 0;
    return EVP_EncryptUpdate(impl_->context, out, &written, in, static_cast<int>(size)) == 1 &&
           static_cast<size_t>(written) == size;
}

struct HmacSha1::Impl {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    EVP_MAC_CTX* context = mac ? EVP_MAC_CTX_new(mac) : nullptr;
    bool started = false;
    ~Impl() {
        EVP_MAC_CTX_free(context);
        EVP_MAC_free(mac);
    }
};

HmacSha1::HmacSha1() = default;
HmacSha1::~HmacSha1() = default;
HmacSha1::HmacSha1(HmacSha1&&) noexcept = default;
HmacSha1& HmacSha1::operator=(HmacSha1&&) noexcept = default;

bool HmacSha1::start(const unsigned char* key, size_t size) {
    if (!impl_) impl_.reset(new Impl);
    char digest[] = "SHA1";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                 OSSL_PARAM_END};
    impl_->started = impl_->context && EVP_MAC_init(impl_->context, key, size, params) == 1;
    return impl_->started;
}

bool HmacSha1::update(const unsigned char* data, size_t size) {
    return impl_ && impl_->started && EVP_MAC_update(impl_->context, data, size) == 1;
}

bool HmacSha1::finish(unsigned char (&code)[kSize]) {
    if (!impl_ || !impl_->started) return false;
    impl_->started = false;
    size_t written = 0;
    return EVP_MAC_final(impl_->context, code, &written, kSize) == 1 && written == kSize;
}

}  // namespace crypto
