// Deciphering encrypted ZIP members: the traditional PKWARE cipher and WinZip AES.
#define MARLOX_ZIP_INTERNAL
#include "zip/zip_crypt.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "zip/zip_internal.h"

namespace {

constexpr size_t kTraditionalHeader = 12;
constexpr size_t kVerifierSize = 2;
constexpr size_t kCodeSize = 10;
constexpr unsigned kRounds = 1000;
constexpr uint16_t kAesExtra = 0x9901;
constexpr size_t kStreamBlocks = 4096;  // key stream made at a time: 64 KiB

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// ---- the traditional cipher: three keys stirred by CRC-32 steps ----

uint32_t crc_step(uint32_t crc, unsigned char byte) {
    static const z_crc_t* const table = get_crc_table();
    return static_cast<uint32_t>(table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

void stir(uint32_t (&keys)[3], unsigned char plain) {
    keys[0] = crc_step(keys[0], plain);
    keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
    keys[2] = crc_step(keys[2], static_cast<unsigned char>(keys[1] >> 24));
}

unsigned char decipher_byte(uint32_t (&keys)[3], unsigned char c) {
    const uint32_t t = (keys[2] | 2) & 0xFFFF;
    const unsigned char plain = static_cast<unsigned char>(c ^ ((t * (t ^ 1)) >> 8));
    stir(keys, plain);
    return plain;
}

int start_traditional(ZipState& s, const ZipCentralHeader& h, const ZipLocalHeader& l,
                      int64_t& data) {
    ZipDecryption& d = s.crypt;
    unsigned char header[kTraditionalHeader];
    if (h.packed < kTraditionalHeader) return kZipDamaged;
    if (read_at(s, data, header, kTraditionalHeader) != kTraditionalHeader) return kZipShortRead;
    uint32_t keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
    for (char c : s.password) stir(keys, static_cast<unsigned char>(c));
    unsigned char check = 0;
    for (unsigned char c : header) check = decipher_byte(keys, c);
    // The last byte repeats the CRC's top byte, or, when the sizes and CRC follow the data (flag
    // bit 3), the top byte of the time.
    const unsigned char expected =
        static_cast<unsigned char>(l.flags & 8 ? l.time >> 8 : h.crc >> 24);
    if (check != expected) return kZipBadPassword;
    d.kind = ZipDecryption::Kind::kTraditional;
    std::copy(keys, keys + 3, d.start_keys);
    d.payload = h.packed - kTraditionalHeader;
    data += static_cast<int64_t>(kTraditionalHeader);
    return kZipOk;
}

// ---- WinZip AES ----

// Reads the local extra field 0x9901 of an AES member: its version (1 or 2), its key strength
// (1 to 3) and its real method, which must be stored or deflated; false when there is none such.
bool read_aes_extra(ZipState& s, const ZipLocalHeader& l, int64_t extra_start, int& version,
                    int& strength, uint16_t& method) {
    std::vector<unsigned char> extra(l.extra_length);
    if (read_at(s, extra_start, extra.data(), extra.size()) != extra.size()) return false;
    for (size_t at = 0; at + 4 <= extra.size();) {
        const uint16_t id = le16(&extra[at]), size = le16(&extra[at + 2]);
        const unsigned char* body = &extra[at + 4];
        at += 4 + size;
        if (at > extra.size()) return false;
        if (id != kAesExtra || size < 7 || body[2] != 'A' || body[3] != 'E') continue;
        version = le16(body);
        strength = body[4];
        method = le16(body + 5);
        return (version == 1 || version == 2) && strength >= 1 && strength <= 3 &&
               (method == 0 || method == 8);
    }
    return false;
}

int start_aes(ZipState& s, const ZipCentralHeader& h, int version, int strength, int64_t& data) {
    ZipDecryption& d = s.crypt;
    const size_t key_size = 8 + 8 * static_cast<size_t>(strength);
    const size_t salt_size = key_size / 2;
    const size_t overhead = salt_size + kVerifierSize + kCodeSize;
    if (h.packed < overhead) return kZipDamaged;
    unsigned char header[16 + kVerifierSize];
    if (read_at(s, data, header, salt_size + kVerifierSize) != salt_size + kVerifierSize)
        return kZipShortRead;
    std::vector<unsigned char> keys(2 * key_size + kVerifierSize);
    if (!crypto::pbkdf2_sha1(s.password, header, salt_size, kRounds, keys.data(), keys.size()))
        return kZipNoMemory;
    if (std::memcmp(&keys[2 * key_size], header + salt_size, kVerifierSize) != 0)
        return kZipBadPassword;
    if (!d.aes.set_key(keys.data(), key_size)) return kZipNoMemory;
    d.kind = ZipDecryption::Kind::kAes;
    d.mac_key.assign(keys.begin() + static_cast<ptrdiff_t>(key_size),
                     keys.begin() + static_cast<ptrdiff_t>(2 * key_size));
    d.crc_kept = version == 1;
    d.payload = h.packed - overhead;
    data += static_cast<int64_t>(salt_size + kVerifierSize);
    d.trailer = data + static_cast<int64_t>(d.payload);
    return kZipOk;
}

// The next key stream for at least `wanted` bytes (up to kStreamBlocks blocks).
void refill(ZipDecryption& d, size_t wanted) {
    const size_t blocks = std::min((wanted + 15) / 16, kStreamBlocks);
    d.stream.resize(blocks * 16);
    for (size_t b = 0; b < blocks; ++b) {
        for (size_t k = 0; k < sizeof d.counter && ++d.counter[k] == 0; ++k) {
        }
        std::memcpy(&d.stream[b * 16], d.counter, sizeof d.counter);
    }
    if (!d.aes.encipher(d.stream.data(), d.stream.data(), d.stream.size())) d.failed = true;
    d.stream_used = 0;
}

}  // namespace

void zip_set_password(ZipEngine& z, const std::string& password) { z.state().password = password; }

int start_decryption(ZipState& s, const ZipCentralHeader& h, ZipLocalHeader& l, int64_t& data) {
    s.crypt = ZipDecryption();
    s.crypt.payload = h.packed;
    if (((h.flags | l.flags) & 1) == 0) return kZipOk;
    int version = 0, strength = 0;
    uint16_t method = l.method;
    if (l.method == kAesMethod &&
        !read_aes_extra(s, l, data - l.extra_length, version, strength, method))
        return kZipUnsupported;
    l.method = method;
    if (s.password.empty()) return kZipBadPassword;
    return version ? start_aes(s, h, version, strength, data) : start_traditional(s, h, l, data);
}

void rewind_decryption(ZipDecryption& d) {
    std::copy(d.start_keys, d.start_keys + 3, d.keys);
    if (d.kind != ZipDecryption::Kind::kAes) return;
    std::fill(d.counter, d.counter + sizeof d.counter, 0);
    d.stream.clear();
    d.stream_used = 0;
    if (!d.hmac.start(d.mac_key.data(), d.mac_key.size())) d.failed = true;
}

void decipher(ZipDecryption& d, unsigned char* bytes, size_t size) {
    if (d.kind == ZipDecryption::Kind::kTraditional) {
        for (size_t i = 0; i < size; ++i) bytes[i] = decipher_byte(d.keys, bytes[i]);
    } else if (d.kind == ZipDecryption::Kind::kAes) {
        if (!d.hmac.update(bytes, size)) d.failed = true;
        for (size_t i = 0; i < size; ++i) {
            if (d.stream_used == d.stream.size()) refill(d, size - i);
            bytes[i] ^= d.stream[d.stream_used++];
        }
    }
}

int end_decryption(ZipState& s, int result) {
    ZipDecryption& d = s.crypt;
    if (d.kind == ZipDecryption::Kind::kNone) return result;
    if (d.kind == ZipDecryption::Kind::kAes && result == kZipOk) {
        unsigned char code[crypto::HmacSha1::kSize], stored[kCodeSize];
        if (!d.hmac.finish(code)) d.failed = true;
        if (read_at(s, d.trailer, stored, kCodeSize) != kCodeSize) return kZipShortRead;
        if (std::memcmp(code, stored, kCodeSize) != 0) result = kZipDamaged;
    }
    if (d.failed) return kZipNoMemory;
    return result == kZipDamaged ? kZipBadPassword : result;
}
