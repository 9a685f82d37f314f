// Deflating the files of a batch ahead in other threads, and the thread count the engine uses.
//
// The caller's thread stays the only one that writes the archive: the other threads only read
// the announced files and deflate them into memory, each with its own deflate stream, in the
// same 64 KiB pieces the caller's thread uses. The caller takes each result in its own order.
// The threads start the batch's big items first, so that a large file late in the batch does not
// leave one thread deflating it alone at the end; the rest they take in the batch's order.
#define MARLOX_ZIP_INTERNAL
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "runtime/file_meta.h"
#include "zip/zip_internal.h"

namespace {

constexpr uint64_t kMemberLimit = uint64_t{32} << 20;  // larger files: the caller's thread
constexpr uint64_t kHeldLimit = uint64_t{64} << 20;    // deflated data waiting for the caller
constexpr uint64_t kBigShare = 16;  // a big item holds at least this share of the batch's bytes

enum class AheadState { kWaiting, kWorking, kDone, kInline };

struct AheadItem {
    std::string path;  // a file's; for a member, its key
    bool is_member = false;
    ZipAheadMember member;
    AheadState state = AheadState::kWaiting;
    bool dropped = false;  // passed over by the caller: its result is not kept
    ZipPacked packed;
};

// Reads and deflates the file at `path` as zip_add_file would; false when it is not a file, is
// too large, or cannot be read or held: then the caller's thread adds it itself.
bool pack_file(const std::string& path, ZipDeflateWork& w, ZipPacked& p) {
    p.attributes = os::attributes(path);
    if (p.attributes == os::kNoAttributes || (p.attributes & os::kAttrDirectory)) return false;
    os::File* file = os::open_file(path, os::OpenMode::kRead);
    const int64_t size = file ? os::file_size(file) : -1;
    bool packed = size >= 0 && static_cast<uint64_t>(size) <= kMemberLimit;
    if (packed) {
        const DosDateTime stamp = file_time_to_dos(path);
        p.size = static_cast<uint64_t>(size);
        p.date = stamp.date;
        p.time = stamp.time;
        ZipFileSource source(file);
        uint64_t length = 0;
        auto keep = [&p](const unsigned char* data, size_t n) {
            try {
                p.data.insert(p.data.end(), data, data + n);
                return true;
            } catch (const std::bad_alloc&) {
                return false;
            }
        };
        try {
            packed = deflate_pieces(
                         w, source, p.size, keep, [](uint64_t) { return false; }, p.crc, length) ==
                     kZipOk;
        } catch (const std::bad_alloc&) {
            packed = false;
        }
    }
    os::close_file(file);
    return packed;
}

}  // namespace

struct ZipAhead {
    std::mutex mutex;
    std::condition_variable work;  // an item to take, or room to hold one more
    std::condition_variable done;  // an item finished
    std::vector<AheadItem> items;  // never resized while the threads run
    std::unordered_map<std::string, std::vector<size_t>> where;  // the items of each path
    std::string archive;  // the path of the archive whose members are announced
    int64_t archive_size = 0;
    int64_t bias = 0;
    std::vector<size_t> big;  // the big items, the largest first, once a thread has found them
    size_t next_big = 0;      // the next of them a thread takes
    size_t next = 0;          // the next item in order a thread takes after them
    size_t head = 0;          // items before it are taken or dropped by the caller
    uint64_t held = 0;
    bool sizing = false;  // a thread is finding the big items or has found them
    std::atomic<bool> stopping{false};
    std::vector<std::thread> threads;

    // The items of at least a kBigShare-th of the batch's bytes, the largest first. Reads only
    // what does not change while the threads run; gives up when the batch ends meanwhile.
    std::vector<size_t> big_items() const {
        std::vector<uint64_t> sizes(items.size());
        uint64_t total = 0;
        for (size_t i = 0; i < items.size() && !stopping; ++i) {
            const AheadItem& item = items[i];
            const int64_t size = item.is_member ? static_cast<int64_t>(item.member.h.unpacked)
                                                : os::file_size(item.path);
            sizes[i] = size > 0 && static_cast<uint64_t>(size) <= kMemberLimit ? size : 0;
            total += sizes[i];
        }
        std::vector<size_t> out;
        for (size_t i = 0; i < items.size(); ++i) {
            if (sizes[i] > 0 && sizes[i] >= total / kBigShare) out.push_back(i);
        }
        std::stable_sort(out.begin(), out.end(),
                         [&sizes](size_t a, size_t b) { return sizes[a] > sizes[b]; });
        return out;
    }

    // Deflates item `item` (a copy) in a thread; `reader` is that thread's own state on the archive
    // of the announced members, opened on its first member.
    bool make(const AheadItem& item, ZipDeflateWork& w, ZipState& reader, ZipPacked& packed) {
        if (!item.is_member) return pack_file(item.path, w, packed);
        if (!reader.file) reader.file = os::open_file(archive, os::OpenMode::kRead);
        reader.file_size = archive_size;
        reader.bias = bias;
        if (!reader.file || item.member.h.unpacked > kMemberLimit) return false;
        try {
            return pack_member(reader, item.member, w, packed) == kZipOk;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    void run() {
        ZipDeflateWork w;
        ZipState reader;
        std::unique_lock<std::mutex> lock(mutex);
        if (!sizing) {  // while the other threads start in order
            sizing = true;
            lock.unlock();
            std::vector<size_t> found = big_items();
            lock.lock();
            big = std::move(found);
            work.notify_all();
        }
        for (;;) {
            work.wait(lock, [this] {
                return stopping ||
                       ((next_big < big.size() || next < items.size()) && held < kHeldLimit);
            });
            if (stopping) break;
            const size_t i = next_big < big.size() ? big[next_big++] : next++;
            if (items[i].dropped || items[i].state != AheadState::kWaiting) continue;
            items[i].state = AheadState::kWorking;
            const AheadItem job = items[i];
            lock.unlock();
            ZipPacked packed;
            const bool made = make(job, w, reader, packed);
            lock.lock();
            AheadItem& item = items[i];
            item.state = made ? AheadState::kDone : AheadState::kInline;
            if (made && !item.dropped) {
                held += packed.data.size();
                item.packed = std::move(packed);
            }
            done.notify_all();
        }
        lock.unlock();
        os::close_file(reader.file);
        reader.file = nullptr;
    }

    // Lets go of the data of an item the caller will not take.
    void forget(AheadItem& item) {
        held -= item.packed.data.size();
        item.packed = ZipPacked();
    }
};

void ZipStreamFree::operator()(ZipAhead* ahead) const {
    {
        std::lock_guard<std::mutex> lock(ahead->mutex);
        ahead->stopping = true;
    }
    ahead->work.notify_all();
    for (std::thread& t : ahead->threads) t.join();
    delete ahead;
}

int thread_count(const ZipState& s) {
    if (s.threads != 0) return s.threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

bool take_ahead(ZipState& s, const std::string& path, ZipPacked& packed) {
    if (!s.ahead) return false;
    ZipAhead& a = *s.ahead;
    std::unique_lock<std::mutex> lock(a.mutex);
    const auto found = a.where.find(path);
    if (found == a.where.end()) return false;
    std::vector<size_t>& indexes = found->second;
    size_t k = 0;
    while (k < indexes.size() && indexes[k] < a.head) ++k;
    if (k == indexes.size()) return false;
    const size_t index = indexes[k];
    for (size_t i = a.head; i < index; ++i) {
        a.items[i].dropped = true;
        a.forget(a.items[i]);
    }
    a.head = index + 1;
    AheadItem& item = a.items[index];
    if (item.state == AheadState::kWaiting) item.state = AheadState::kInline;
    a.done.wait(lock, [&item] { return item.state != AheadState::kWorking; });
    const bool made = item.state == AheadState::kDone;
    a.held -= item.packed.data.size();
    if (made) packed = std::move(item.packed);
    item.packed = ZipPacked();
    a.work.notify_all();
    return made;
}

void zip_set_threads(ZipEngine& z, int threads) { z.state().threads = threads < 0 ? 1 : threads; }

namespace {

// Starts the threads on `ahead` for the batch of `s`, in place of an earlier announcement.
void start_ahead(ZipState& s, std::unique_ptr<ZipAhead, ZipStreamFree> ahead) {
    for (size_t i = 0; i < ahead->items.size(); ++i)
        ahead->where[ahead->items[i].path].push_back(i);
    // Threads the system refuses are done without: an item no thread took is the caller's.
    try {
        for (int t = 0; t < thread_count(s); ++t)
            ahead->threads.emplace_back(&ZipAhead::run, ahead.get());
    } catch (const std::system_error&) {
    }
    s.ahead = std::move(ahead);
}

}  // namespace

std::string member_key(int member) { return std::string(1, '\0') + std::to_string(member); }

int zip_add_ahead(ZipEngine& z, const std::vector<std::string>& paths) {
    ZipState& s = z.state();
    if (!s.file) return kZipNoMember;
    s.ahead.reset();
    if (!s.batch || thread_count(s) < 2 || paths.empty()) return kZipOk;
    std::unique_ptr<ZipAhead, ZipStreamFree> ahead(new ZipAhead);
    ahead->items.resize(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) ahead->items[i].path = paths[i];
    start_ahead(s, std::move(ahead));
    return kZipOk;
}

int zip_add_ahead_members(ZipEngine& to, ZipEngine& from, const std::vector<int>& members) {
    ZipState& s = to.state();
    ZipState& f = from.state();
    if (!s.file || !f.file) return kZipNoMember;
    s.ahead.reset();
    if (!s.batch || thread_count(s) < 2 || members.empty()) return kZipOk;
    std::unique_ptr<ZipAhead, ZipStreamFree> ahead(new ZipAhead);
    ahead->archive = f.path;
    ahead->archive_size = f.file_size;
    ahead->bias = f.bias;
    ahead->items.resize(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        AheadItem& item = ahead->items[i];
        item.path = member_key(members[i]);
        item.is_member = true;
        // What cannot be read here, or is encrypted, is left to zip_add_member_of.
        ZipLocalHeader l;
        const bool found = !zip_goto(from, members[i]).empty() && f.has_current;
        item.member.h = f.current;
        if (!found || locate_data(f, f.current, nullptr, l, item.member.data) != kZipOk ||
            f.crypt.kind != ZipDecryption::Kind::kNone)
            item.state = AheadState::kInline;
        item.member.stored = l.method == 0;
    }
    start_ahead(s, std::move(ahead));
    return kZipOk;
}
