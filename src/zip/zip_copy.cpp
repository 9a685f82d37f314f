// Copying a member from one archive into another: inflated from the one and deflated into the
// other piece by piece, without a file in between.
#define MARLOX_ZIP_INTERNAL
#include <zlib.h>

#include <algorithm>

#include "zip/zip_internal.h"

namespace {

constexpr size_t kChunk = 1 << 16;

// The data of the member with central header `h` whose (possibly enciphered) data starts at
// `data`, read as extraction reads it: stored bytes as they are, deflated ones inflated.
class MemberSource : public ZipSource {
  public:
    MemberSource(ZipState& s, const ZipCentralHeader& h, bool stored, int64_t data)
        : s_(s), h_(h), stored_(stored), position_(data), left_(s.crypt.payload) {
        ready_ = stored_ || inflateInit2(&zs_, -MAX_WBITS) == Z_OK;
    }
    ~MemberSource() override {
        if (!stored_ && ready_) inflateEnd(&zs_);
    }
    MemberSource(const MemberSource&) = delete;
    MemberSource& operator=(const MemberSource&) = delete;

    bool ready() const { return ready_; }

    int read(unsigned char* buffer, size_t size) override {
        const int result = stored_ ? read_stored(buffer, size) : inflate_into(buffer, size);
        if (result == kZipOk) crc_ = static_cast<uint32_t>(crc32(crc_, buffer, size));
        return result;
    }

    // The deflate stream must end right after the declared size, and the CRC-32 match.
    int finish() override {
        int result = kZipOk;
        unsigned char extra = 0;
        while (result == kZipOk && !stored_ && !ended_) {
            zs_.next_out = &extra;
            zs_.avail_out = 1;
            result = step();
            if (zs_.avail_out == 0) result = kZipDamaged;  // more data than declared
        }
        const bool crc_right = crc_ == h_.crc || !s_.crypt.crc_kept;  // AE-2 keeps no CRC
        if (result == kZipOk && !crc_right) result = kZipDamaged;
        return end_decryption(s_, result);
    }

  private:
    int read_stored(unsigned char* buffer, size_t size) {
        if (size > left_ || read_at(s_, position_, buffer, size) != size) return kZipShortRead;
        decipher(s_.crypt, buffer, size);
        position_ += static_cast<int64_t>(size);
        left_ -= size;
        return kZipOk;
    }

    int inflate_into(unsigned char* buffer, size_t size) {
        zs_.next_out = buffer;
        zs_.avail_out = static_cast<uInt>(size);
        int result = kZipOk;
        while (result == kZipOk && zs_.avail_out > 0) {
            if (ended_) return kZipDamaged;  // the data ended before the declared size
            result = step();
        }
        return result;
    }

    // One round of inflate, with more input first when it has used up what it had.
    int step() {
        if (zs_.avail_in == 0 && left_ > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left_, kChunk));
            in_.resize(kChunk);
            if (read_at(s_, position_, in_.data(), n) != n) return kZipShortRead;
            decipher(s_.crypt, in_.data(), n);
            position_ += static_cast<int64_t>(n);
            left_ -= n;
            zs_.next_in = in_.data();
            zs_.avail_in = static_cast<uInt>(n);
        }
        const uInt in_before = zs_.avail_in, out_before = zs_.avail_out;
        const int z = inflate(&zs_, Z_NO_FLUSH);
        ended_ = z == Z_STREAM_END;
        if (z != Z_OK && z != Z_STREAM_END && z != Z_BUF_ERROR) return kZipDamaged;
        if (!ended_ && zs_.avail_in == in_before && zs_.avail_out == out_before)
            return kZipDamaged;  // stuck, or the data ended early
        return kZipOk;
    }

    ZipState& s_;
    const ZipCentralHeader& h_;
    const bool stored_;
    int64_t position_;
    uint64_t left_;
    z_stream zs_{};
    bool ready_ = false;
    bool ended_ = false;
    uint32_t crc_ = 0;
    std::vector<unsigned char> in_;
};

}  // namespace

int pack_member(ZipState& w, const ZipAheadMember& m, ZipDeflateWork& work, ZipPacked& p) {
    w.crypt = ZipDecryption();
    w.crypt.payload = m.h.packed;
    MemberSource source(w, m.h, m.stored, m.data);
    if (!source.ready()) return kZipNoMemory;
    uint64_t length = 0;
    auto keep = [&p](const unsigned char* data, size_t n) {
        p.data.insert(p.data.end(), data, data + n);
        return true;
    };
    p.size = m.h.unpacked;
    return deflate_pieces(
        work, source, p.size, keep, [](uint64_t) { return false; }, p.crc, length);
}

int zip_add_member_of(ZipEngine& to, ZipEngine& from, int member, const std::string& name,
                      const std::string& unicode, uint16_t date, uint16_t time,
                      uint32_t attributes) {
    ZipState& f = from.state();
    settle_batch(f);
    if (!to.state().file || !f.file || zip_goto(from, member).empty() || !f.has_current)
        return kZipNoMember;
    if (name.size() > 0xFFFF) return kZipTooLarge;
    const ZipCentralHeader h = f.current;
    ZipLocalHeader l;
    int64_t data = 0;
    int result = locate_data(f, h, nullptr, l, data);
    if (result != kZipOk) return result;
    rewind_decryption(f.crypt);
    MemberSource source(f, h, l.method == 0, data);
    if (!source.ready()) return kZipNoMemory;
    ZipAddition a;
    a.source = &source;
    a.size = h.unpacked;
    a.date = date;
    a.time = time;
    ZipPacked packed;
    if (f.crypt.kind == ZipDecryption::Kind::kNone &&
        take_ahead(to.state(), member_key(member), packed))
        a.packed = &packed;
    result = add_member(to.state(), a, name, unicode, attributes);
    return result == kZipOk ? result : end_decryption(f, result);
}
