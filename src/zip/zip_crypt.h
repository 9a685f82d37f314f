// The ZIP engine's decryption of encrypted members, used by the reader only: the traditional
// PKWARE cipher and WinZip AES (AE-1 and AE-2 with 128-, 192- and 256-bit keys), with the
// system's cryptography (runtime/crypto.h) for AES, HMAC-SHA1 and PBKDF2.
//
// An encrypted member's data is the cipher's header (traditional: 12 bytes whose last one checks
// the password; AES: a salt of 8, 12 or 16 bytes and a 2-byte password verifier), then the
// enciphered data, then for AES a 10-byte authentication code (HMAC-SHA1 of the enciphered
// data). AES members name method 99 in their headers and their real method in the extra field
// 0x9901; their key stream is AES of a 16-byte little-endian counter counting from 1.
#ifndef MARLOX_ZIP_ZIP_CRYPT_H
#define MARLOX_ZIP_ZIP_CRYPT_H

#ifndef MARLOX_ZIP_INTERNAL
#error "zip_crypt.h belongs to the ZIP engine; include zip/zip.h instead"
#endif

#include <cstdint>
#include <vector>

#include "runtime/crypto.h"

struct ZipState;
struct ZipCentralHeader;
struct ZipLocalHeader;

constexpr uint16_t kAesMethod = 99;

// How the data of the member being read is deciphered.
struct ZipDecryption {
    enum class Kind { kNone, kTraditional, kAes };
    Kind kind = Kind::kNone;
    uint64_t payload = 0;  // the compressed bytes, without the cipher's header and trailer
    bool crc_kept = true;  // false for AE-2, whose headers carry no CRC-32
    bool failed = false;   // the system's cryptography failed
    // Traditional: the three keys after the header, and as they are now.
    uint32_t start_keys[3] = {};
    uint32_t keys[3] = {};
    // AES: the block cipher, the authentication key and code, the counter and the key stream.
    crypto::AesBlocks aes;
    crypto::HmacSha1 hmac;
    std::vector<unsigned char> mac_key;
    int64_t trailer = 0;  // where the stored authentication code lies
    unsigned char counter[16] = {};
    std::vector<unsigned char> stream;
    size_t stream_used = 0;
};

// Sets up s.crypt for the member with headers `h` and `l` whose data starts at `data`. A member
// without the encryption flag (bit 0, in either header) is read as it is: kZipOk. For an
// encrypted one: an AES member's real method goes into `l.method` (kZipUnsupported when the
// extra field is missing, of another version or names another method than stored or deflated);
// the cipher's header is read (kZipDamaged when the data is too short to hold it) and `data`
// moved past it. kZipBadPassword when no password is set or the header shows it is wrong;
// kZipNoMemory when the system's cryptography failed.
int start_decryption(ZipState& s, const ZipCentralHeader& h, ZipLocalHeader& l, int64_t& data);
// Starts deciphering the member's data from its beginning again.
void rewind_decryption(ZipDecryption& d);
// Deciphers the next `size` bytes of the member's data in place.
void decipher(ZipDecryption& d, unsigned char* bytes, size_t size);
// The result of an encrypted member whose data gave `result`: kZipNoMemory when the system's
// cryptography failed; kZipBadPassword when the data did not check out (its CRC-32 or size, its
// deflate stream, its authentication code), since a wrong password and damaged data look alike.
int end_decryption(ZipState& s, int result);

#endif
