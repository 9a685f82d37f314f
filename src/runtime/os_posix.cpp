// POSIX implementation of the OS layer for the host build. It behaves like Windows where the
// portable code can see it: "\" separates folders, the folder and read-only bits come from
// the mode, times are FILETIME values, and local time uses the current offset from UTC (as
// FileTimeToLocalFileTime does), not the offset that was in force at the converted moment.
#include "runtime/os.h"
#include "runtime/os_internal.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

namespace os {
namespace {

constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

// A path with "/" for "\\".
std::string slashes(const std::string& path) {
    std::string out = path;
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

// A Windows-1252 path as the file system takes it: "/" separators, names in UTF-8.
std::string native(const std::string& path) {
    for (char c : path) {
        if (static_cast<unsigned char>(c) >= 0x80) return slashes(to_utf8(path));
    }
    return slashes(path);
}

// Seconds east of UTC right now.
int64_t current_utc_offset() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    return static_cast<int64_t>(timegm(&local)) - static_cast<int64_t>(now);
}

}  // namespace

struct File {
    int fd;
};

namespace {

File* open_native(const std::string& path, OpenMode mode) {
    int flags = O_RDONLY;
    if (mode == OpenMode::kReadWrite) flags = O_RDWR;
    if (mode == OpenMode::kCreate) flags = O_RDWR | O_CREAT | O_TRUNC;
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return new File{fd};
}

uint32_t native_attributes(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return kNoAttributes;
    uint32_t a = 0;
    if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
    if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
    if (a == 0) a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    return a;
}

// `filetime` as the last-write member of utimensat's and futimens's pair, access time untouched.
void native_times(uint64_t filetime, struct timespec (&times)[2]) {
    int64_t since_epoch = static_cast<int64_t>(filetime) - kUnixEpochAsFileTime;
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    int64_t seconds = since_epoch / kTicksPerSecond;
    int64_t rest = since_epoch % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>(rest * 100);
}

bool set_native_time(const std::string& p, uint64_t filetime) {
    if (access(p.c_str(), W_OK) != 0) return false;
    struct timespec times[2];
    native_times(filetime, times);
    return utimensat(AT_FDCWD, p.c_str(), times, 0) == 0;
}

bool create_native_folder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool delete_native(const std::string& p) {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(p.c_str()) == 0;
}

bool replace_native(const std::string& from, const std::string& to) {
    struct stat st;
    if (stat(to.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

File* open_file(const std::string& path, OpenMode mode) { return open_native(native(path), mode); }

int64_t read_file(File* f, void* buffer, size_t size) {
    size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < size) {
        ssize_t n = ::read(f->fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool write_file(File* f, const void* buffer, size_t size) {
    if (!write_allowed(size)) return false;
    size_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < size) {
        ssize_t n = ::write(f->fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool seek_file(File* f, int64_t position) {
    return lseek(f->fd, static_cast<off_t>(position), SEEK_SET) == position;
}

int64_t tell_file(File* f) { return lseek(f->fd, 0, SEEK_CUR); }

int64_t file_size(File* f) {
    struct stat st;
    if (fstat(f->fd, &st) != 0) return -1;
    return st.st_size;
}

bool truncate_file(File* f) {
    off_t here = lseek(f->fd, 0, SEEK_CUR);
    return here >= 0 && ftruncate(f->fd, here) == 0;
}

bool flush_file(File* f) { return fsync(f->fd) == 0 || errno == EINVAL; }

bool set_file_time(File* f, uint64_t filetime) {
    struct timespec times[2];
    native_times(filetime, times);
    return futimens(f->fd, times) == 0;
}

bool close_file(File* f) {
    if (!f) return true;
    const bool closed = ::close(f->fd) == 0;
    delete f;
    return closed;
}

uint32_t attributes(const std::string& path) { return native_attributes(native(path)); }

int64_t file_size(const std::string& path) {
    struct stat st;
    if (stat(native(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool set_attributes(const std::string& path, uint32_t attributes) {
    std::string p = native(path);
    struct stat st;
    if (stat(p.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) ? (mode & ~0222u) : (mode | S_IWUSR);
    return chmod(p.c_str(), mode) == 0;
}

bool last_write_time(const std::string& path, uint64_t& filetime) {
    struct stat st;
    if (stat(native(path).c_str(), &st) != 0) return false;
    int64_t ticks = static_cast<int64_t>(st.st_mtim.tv_sec) * kTicksPerSecond +
                    st.st_mtim.tv_nsec / 100 + kUnixEpochAsFileTime;
    if (ticks < 0) return false;
    filetime = static_cast<uint64_t>(ticks);
    return true;
}

bool set_last_write_time(const std::string& path, uint64_t filetime) {
    return set_native_time(native(path), filetime);
}

bool utc_to_local(uint64_t utc, uint64_t& local) {
    int64_t shifted = static_cast<int64_t>(utc) + current_utc_offset() * kTicksPerSecond;
    if (shifted < 0) return false;
    local = static_cast<uint64_t>(shifted);
    return true;
}

bool local_to_utc(uint64_t local, uint64_t& utc) {
    int64_t shifted = static_cast<int64_t>(local) - current_utc_offset() * kTicksPerSecond;
    if (shifted < 0) return false;
    utc = static_cast<uint64_t>(shifted);
    return true;
}

bool file_time_to_system_time(uint64_t filetime, SystemTime& out) {
    int64_t ticks = static_cast<int64_t>(filetime) - kUnixEpochAsFileTime;
    int64_t seconds = ticks / kTicksPerSecond;
    int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    time_t t = static_cast<time_t>(seconds);
    struct tm parts;
    if (!gmtime_r(&t, &parts)) return false;
    out = {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_wday, parts.tm_mday,
           parts.tm_hour,        parts.tm_min,     parts.tm_sec,  static_cast<int>(rest / 10000)};
    return true;
}

bool system_time_to_file_time(const SystemTime& in, uint64_t& filetime) {
    if (in.year < 1601 || in.year > 30827 || in.month < 1 || in.month > 12 || in.day < 1 ||
        in.day > 31 || in.hour < 0 || in.hour > 23 || in.minute < 0 || in.minute > 59 ||
        in.second < 0 || in.second > 59 || in.milliseconds < 0 || in.milliseconds > 999)
        return false;
    struct tm parts = {};
    parts.tm_year = in.year - 1900;
    parts.tm_mon = in.month - 1;
    parts.tm_mday = in.day;
    parts.tm_hour = in.hour;
    parts.tm_min = in.minute;
    parts.tm_sec = in.second;
    time_t t = timegm(&parts);
    if (parts.tm_mday != in.day) return false;  // 31 April and the like
    filetime = static_cast<uint64_t>(static_cast<int64_t>(t) * kTicksPerSecond +
                                     in.milliseconds * 10000LL + kUnixEpochAsFileTime);
    return true;
}

SystemTime local_now() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm parts;
    localtime_r(&now.tv_sec, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1,
            parts.tm_wday,        parts.tm_mday,
            parts.tm_hour,        parts.tm_min,
            parts.tm_sec,         static_cast<int>(now.tv_nsec / 1000000)};
}

bool create_new_folder(const std::string& path) { return mkdir(native(path).c_str(), 0755) == 0; }

bool create_folder(const std::string& path) { return create_native_folder(native(path)); }

namespace {

uint32_t own_native_attributes(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return kNoAttributes;
    if (!S_ISLNK(st.st_mode)) return native_attributes(path);
    // A link is reported as Windows reports a junction: the folder bit of what it points to and
    // the reparse bit.
    const uint32_t target = native_attributes(path);
    return (target != kNoAttributes ? target & kAttrDirectory : 0) | kAttrReparsePoint;
}

}  // namespace

uint32_t own_attributes(const std::string& path) { return own_native_attributes(native(path)); }

bool remove_folder(const std::string& path) {
    const std::string p = native(path);
    struct stat st;
    if (lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return unlink(p.c_str()) == 0;
    return rmdir(p.c_str()) == 0;
}

bool delete_file(const std::string& path) { return delete_native(native(path)); }

bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) {
    if (fail_if_exists && attributes(to) != kNoAttributes) return false;
    File* in = open_file(from, OpenMode::kRead);
    if (!in) return false;
    File* out = open_file(to, OpenMode::kCreate);
    if (!out) {
        close_file(in);
        return false;
    }
    char buffer[65536];
    int64_t n;
    bool ok = true;
    while (ok && (n = read_file(in, buffer, sizeof buffer)) > 0)
        ok = write_file(out, buffer, static_cast<size_t>(n));
    ok = ok && n == 0;
    close_file(in);
    close_file(out);
    uint64_t when;
    if (ok && last_write_time(from, when)) set_last_write_time(to, when);
    return ok;
}

bool move_file(const std::string& from, const std::string& to) {
    if (attributes(to) != kNoAttributes) return false;  // MoveFile never replaces
    return rename(native(from).c_str(), native(to).c_str()) == 0;
}

std::string native_path(const std::string& path) { return native(path); }

bool same_file(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(native(a).c_str(), &first) == 0 && stat(native(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool replace_file(const std::string& from, const std::string& to) {
    return replace_native(native(from), native(to));
}

namespace unicode {

File* open_file(const std::string& path, OpenMode mode) { return open_native(slashes(path), mode); }
uint32_t attributes(const std::string& path) { return native_attributes(slashes(path)); }
bool create_folder(const std::string& path) { return create_native_folder(slashes(path)); }
bool delete_file(const std::string& path) { return delete_native(slashes(path)); }
bool replace_file(const std::string& from, const std::string& to) {
    return replace_native(slashes(from), slashes(to));
}
bool set_last_write_time(const std::string& path, uint64_t filetime) {
    return set_native_time(slashes(path), filetime);
}

}  // namespace unicode

namespace {

bool g_emulate_zone_markers = false;
std::map<std::string, std::string> g_zone_markers;  // by native path

}  // namespace

void emulate_zone_markers(bool on) {
    g_emulate_zone_markers = on;
    g_zone_markers.clear();
}

bool read_zone_marker(const std::string& path, std::string& marker) {
    const auto found = g_zone_markers.find(native(path));
    if (!g_emulate_zone_markers || found == g_zone_markers.end()) return false;
    marker = found->second;
    return true;
}

bool write_zone_marker(const std::string& path, const std::string& marker) {
    const uint32_t a = attributes(path);
    if (!g_emulate_zone_markers || a == kNoAttributes || (a & kAttrReadOnly)) return false;
    g_zone_markers[native(path)] = marker;
    return true;
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& out) {
    std::string base = native(folder);
    DIR* dir = opendir(base.c_str());
    if (!dir) return false;
    if (!base.empty() && base.back() != '/') base += '/';
    out.clear();
    while (struct dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        out.push_back({utf8_to_ansi(name), own_native_attributes(base + name)});
    }
    closedir(dir);
    return true;
}

int64_t free_space(const std::string& path) {
    struct statvfs st;
    if (statvfs(native(path).c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

std::string temp_folder() {
    const char* dir = getenv("TMPDIR");
    std::string out = (dir && *dir) ? dir : "/tmp";
    if (out.back() != '/') out += '/';
    return out;
}

std::string program_path() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

std::string program_folder() {
    std::string path = program_path();
    return path.substr(0, path.find_last_of('/') + 1);
}

struct Library {
    void* handle;
};

Library* load_library(const std::string& name) {
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? new Library{handle} : nullptr;
}

void* find_symbol(Library* library, const char* name) {
    return library ? dlsym(library->handle, name) : nullptr;
}

void free_library(Library* library) {
    if (!library) return;
    dlclose(library->handle);
    delete library;
}

}  // namespace os
