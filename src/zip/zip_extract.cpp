// Extracting: one member below a target folder or into a file of its own, and every member with
// several threads, where the caller's thread walks the members in order, checks each, makes its
// folders and hands the rest to threads with their own handles on the archive, which inflate and
// write the files.
#define MARLOX_ZIP_INTERNAL
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "runtime/paths.h"
#include "zip/zip_internal.h"

int zip_extract(ZipEngine& z, const std::string& target, int member) {
    ZipState& s = z.state();
    settle_batch(s);
    if (member != 0) zip_goto(z, member);
    if (!s.file || !s.has_current) return kZipNoMember;
    const ZipCentralHeader h = s.current;
    const std::string name = s.current_real;
    const std::string place = os::to_utf8(target);
    ZipLocalHeader l;
    int64_t data = 0;
    int result = locate_data(s, h, &target, l, data);
    if (result != kZipOk) return result;

    // A member of size 0 with the folder bit is a folder, also when its name does not end in a
    // separator (this engine's writer stores folders so).
    bool folder = h.unpacked == 0 && (h.external_attributes & os::kAttrDirectory);
    std::string path = s.placement.place(place, folder ? name + "/" : name);
    if (path.empty()) return kZipOk;
    result = write_data(s, h, l, data, path);
    // The folder taken over from the member before may be gone: place the member afresh.
    const std::string folder_path = without_separator(folder_of(path));
    if (result == kZipCannotWrite && os::unicode::attributes(folder_path) == os::kNoAttributes) {
        s.placement = MemberPlacement(false, true);
        result = write_data(s, h, l, data, s.placement.place(place, name));
    }
    return result;
}

int zip_extract_file(ZipEngine& z, int member, const std::string& path) {
    ZipState& s = z.state();
    settle_batch(s);
    if (!s.file || zip_goto(z, member).empty() || !s.has_current) return kZipNoMember;
    const ZipCentralHeader h = s.current;
    ZipLocalHeader l;
    int64_t data = 0;
    int result = locate_data(s, h, nullptr, l, data);
    return result == kZipOk ? write_data(s, h, l, data, os::to_utf8(path)) : result;
}

void zip_set_file_dates(ZipEngine& z, bool on) { z.state().date_files = on; }

namespace {

constexpr int kAgain = -1;     // the caller's thread extracts the member once more itself
constexpr size_t kBatch = 16;  // members handed over at a time

struct Job {
    size_t index = 0;
    ZipCentralHeader h;
    ZipLocalHeader l;
    int64_t data = 0;
    uint64_t payload = 0;
    std::string path;
};

class Pool {
  public:
    Pool(ZipState& s, int threads, std::vector<int>& results) : s_(s), results_(results) {
        try {
            for (int t = 0; t < threads; ++t) threads_.emplace_back(&Pool::run, this);
        } catch (const std::system_error&) {
        }
        limit_ = 32 * std::max<size_t>(threads_.size(), 1);
    }

    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    // Queues `job`, a few at a time, waiting while the queue is full; without threads the
    // caller extracts it.
    void add(Job job) {
        if (threads_.empty()) {
            results_[job.index] = kAgain;
            return;
        }
        batch_.push_back(std::move(job));
        if (batch_.size() >= kBatch) flush();
    }

    // Waits until every queued member is written.
    void drain() {
        flush();
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            report(lock);
            if (queue_.empty() && busy_ == 0) return;
            wait(lock);
        }
    }

    bool stopped() const { return stopped_; }
    void stop() { stopped_ = true; }

  private:
    // Hands the batch to the threads. Members pass in batches, and the threads wake the caller
    // only while it waits: most members pass without a system call.
    void flush() {
        std::unique_lock<std::mutex> lock(mutex_);
        report(lock);
        if (!stopped_) {
            for (Job& job : batch_) queue_.push_back(std::move(job));
            if (idle_ > 0) work_.notify_all();
        }
        batch_.clear();
        while (queue_.size() >= limit_ && !stopped_) {
            wait(lock);
            report(lock);
        }
    }

    // Waits for a member to be written.
    void wait(std::unique_lock<std::mutex>& lock) {
        waiting_ = true;
        done_.wait(lock);
        waiting_ = false;
    }

    // Gives the progress callback the sizes of the members written since; a stop drops the
    // queued ones, which keep their kZipStopped.
    void report(std::unique_lock<std::mutex>& lock) {
        while (!finished_.empty() && !stopped_) {
            const uint64_t size = finished_.front();
            finished_.pop_front();
            lock.unlock();
            const bool stop = progress_says_stop(s_, size);
            lock.lock();
            if (stop) {
                stopped_ = true;
                queue_.clear();
            }
        }
        finished_.clear();
    }

    void run() {
        ZipState w;
        w.file = os::open_file(s_.path, os::OpenMode::kRead);
        w.file_size = s_.file_size;
        w.bias = s_.bias;
        w.date_files = s_.date_files;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            ++idle_;
            work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            --idle_;
            if (queue_.empty()) break;
            // A share of the queue at a time: one lock for several members.
            std::vector<Job> jobs;
            const size_t share = std::max<size_t>(1, queue_.size() / (threads_.size() + 1));
            while (!queue_.empty() && jobs.size() < std::min(share, kBatch)) {
                jobs.push_back(std::move(queue_.front()));
                queue_.pop_front();
            }
            ++busy_;
            lock.unlock();
            for (const Job& job : jobs) {
                int result = kAgain;
                if (w.file) {
                    w.crypt = ZipDecryption();
                    w.crypt.payload = job.payload;
                    result = write_data(w, job.h, job.l, job.data, job.path);
                }
                results_[job.index] = result;
            }
            lock.lock();
            --busy_;
            for (const Job& job : jobs) finished_.push_back(job.h.unpacked);
            if (waiting_) done_.notify_one();
        }
        lock.unlock();
        os::close_file(w.file);
    }

    ZipState& s_;
    std::vector<int>& results_;
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::vector<Job> batch_;  // the caller's, not yet queued
    std::deque<Job> queue_;
    std::deque<uint64_t> finished_;
    size_t busy_ = 0;
    size_t limit_ = 0;
    size_t idle_ = 0;  // threads waiting for work
    bool waiting_ = false;
    bool stopping_ = false;
    bool stopped_ = false;
    std::vector<std::thread> threads_;
};

std::string folded(const std::string& path) {
    std::string out = path;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '\\') c = '/';
    }
    return out;
}

// The files handed to the threads since they last finished everything, as folded paths.
class Claims {
  public:
    // Whether a member placed at `path` would write the same file as one of them, or needs a
    // folder where one of them is a file.
    bool clash(const std::string& path) const {
        const std::string p = folded(path);
        for (size_t at = p.find('/'); at != std::string::npos; at = p.find('/', at + 1)) {
            if (files_.count(p.substr(0, at))) return true;
        }
        return files_.count(p) != 0;
    }
    void add(const std::string& path) { files_.insert(folded(path)); }
    void clear() { files_.clear(); }

  private:
    std::unordered_set<std::string> files_;
};

void extract_in_turn(ZipEngine& z, const std::string& target, std::vector<int>& results) {
    for (size_t i = 0; i < results.size(); ++i) {
        results[i] = zip_extract(z, target, static_cast<int>(i + 1));
        if (results[i] == kZipStopped) break;
    }
}

}  // namespace

int zip_extract_all(ZipEngine& z, const std::string& target, std::vector<int>& results) {
    ZipState& s = z.state();
    results.clear();
    if (!s.file) return kZipNoMember;
    results.assign(static_cast<size_t>(zip_count(z)), kZipStopped);
    const int threads = thread_count(s);
    if (threads < 2 || results.size() < 2) {
        extract_in_turn(z, target, results);
        zip_goto(z, 0);
        return kZipOk;
    }
    const std::string place = os::to_utf8(target);
    std::vector<std::string> paths(results.size());
    {
        Pool pool(s, threads, results);
        Claims claims;
        for (size_t i = 0; i < results.size() && !pool.stopped(); ++i) {
            const int member = static_cast<int>(i + 1);
            zip_goto(z, member);
            const ZipCentralHeader h = s.current;
            const std::string name = s.current_real;
            ZipLocalHeader l;
            int64_t data = 0;
            int result = s.has_current ? locate_data(s, h, &target, l, data) : kZipNoMember;
            if (result == kZipOk && s.crypt.kind != ZipDecryption::Kind::kNone) {
                pool.drain();
                claims.clear();
                result = zip_extract(z, target, member);
                if (result == kZipStopped) pool.stop();
            }
            results[i] = result;
            if (result != kZipOk || s.crypt.kind != ZipDecryption::Kind::kNone) continue;
            // A folder member: its folders, checked as those of a file in it.
            const bool folder = h.unpacked == 0 && (h.external_attributes & os::kAttrDirectory);
            const std::string own = folder ? name + "/" : name;
            if (claims.clash(s.placement.predict(place, folder ? own + "_" : own))) {
                pool.drain();
                claims.clear();
            }
            paths[i] = s.placement.place(place, own);
            if (paths[i].empty()) continue;
            claims.add(paths[i]);
            results[i] = kZipStopped;
            pool.add(Job{i, h, l, data, s.crypt.payload, paths[i]});
        }
        pool.drain();
    }
    // A member no thread could write, or whose folder went away meanwhile, once more as
    // zip_extract does it.
    for (size_t i = 0; i < results.size(); ++i) {
        const bool folder_gone =
            results[i] == kZipCannotWrite && !paths[i].empty() &&
            os::unicode::attributes(without_separator(folder_of(paths[i]))) == os::kNoAttributes;
        if (results[i] == kAgain || folder_gone)
            results[i] = zip_extract(z, target, static_cast<int>(i + 1));
    }
    zip_goto(z, 0);
    return kZipOk;
}
