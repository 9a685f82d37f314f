// The parts of the OS layer that are the same on every system.
#include "runtime/os.h"
#include "runtime/os_internal.h"

namespace os {
namespace {

int64_t g_write_budget = -1;

}  // namespace

bool write_allowed(size_t size) {
    if (g_write_budget < 0) return true;
    if (static_cast<int64_t>(size) > g_write_budget) {
        g_write_budget = 0;
        return false;
    }
    g_write_budget -= static_cast<int64_t>(size);
    return true;
}

void fail_writes_after(int64_t bytes) { g_write_budget = bytes; }

bool read_whole_file(const std::string& path, std::string& out) {
    File* f = open_file(path, OpenMode::kRead);
    if (!f) return false;
    out.clear();
    char buffer[65536];
    int64_t n;
    while ((n = read_file(f, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    close_file(f);
    return n == 0;
}

}  // namespace os
