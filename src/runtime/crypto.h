// The system's cryptography, for reading encrypted ZIP members: AES, HMAC-SHA1 and PBKDF2 from
// the platform's own library (CNG, bcrypt.dll, on Windows; OpenSSL's libcrypto natively). Every
// call reports failure instead of throwing; an object whose key could not be set fails every
// later call.
#ifndef MARLOX_RUNTIME_CRYPTO_H
#define MARLOX_RUNTIME_CRYPTO_H

#include <cstddef>
#include <memory>
#include <string>

namespace crypto {

// PBKDF2 with HMAC-SHA1: `size` bytes from `password` (its bytes as they are) and `salt` after
// `rounds` rounds, into `out`. False when the system's library failed.
bool pbkdf2_sha1(const std::string& password, const unsigned char* salt, size_t salt_size,
                 unsigned rounds, unsigned char* out, size_t size);

// AES enciphering whole 16-byte blocks, each on its own (ECB): the block cipher under a
// counter mode.
class AesBlocks {
  public:
    AesBlocks();
    ~AesBlocks();
    AesBlocks(AesBlocks&&) noexcept;
    AesBlocks& operator=(AesBlocks&&) noexcept;

    // A key of 16, 24 or 32 bytes; false for another size or when the library failed.
    bool set_key(const unsigned char* key, size_t size);
    // Enciphers `size` bytes, a multiple of 16, from `in` into `out` (which may be `in`).
    bool encipher(const unsigned char* in, unsigned char* out, size_t size);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// HMAC-SHA1 over data given in pieces.
class HmacSha1 {
  public:
    static constexpr size_t kSize = 20;

    HmacSha1();
    ~HmacSha1();
    HmacSha1(HmacSha1&&) noexcept;
    HmacSha1& operator=(HmacSha1&&) noexcept;

    // Starts a new code with `key`, forgetting any data given before.
    bool start(const unsigned char* key, size_t size);
    bool update(const unsigned char* data, size_t size);
    // The code of the data given since `start`; the object must be started again afterwards.
    bool finish(unsigned char (&code)[kSize]);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace crypto

#endif
