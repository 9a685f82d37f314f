#include "archive/list_rows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "runtime/file_meta.h"

namespace {

constexpr size_t kBlockSize = size_t{1} << 20;
constexpr size_t kSortedCharacters = 200;
constexpr size_t kDigitBytes = 8;

// Lengths are written in 7-bit groups, lowest first, the high bit marking that more follow.
size_t length_size(size_t value) {
    size_t bytes = 1;
    while (value >= 0x80) value >>= 7, ++bytes;
    return bytes;
}

char* put_length(char* out, size_t value) {
    for (; value >= 0x80; value >>= 7) *out++ = static_cast<char>((value & 0x7F) | 0x80);
    *out++ = static_cast<char>(value);
    return out;
}

const char* get_length(const char* in, size_t& value) {
    value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        value |= static_cast<size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return in;
    }
}

// The own name's length is stored plus one; 0 stands for "the same as the shown name".
size_t stored_length(const ArchiveEntry& row, int column) {
    const std::string& text = row[static_cast<size_t>(column)];
    if (column != kOwnNameColumn) return text.size();
    return !text.empty() && text == row[1] ? 0 : text.size() + 1;
}

// One step of sorting: the next kDigitBytes bytes of a row's lower-cased key from `depth` on,
// zero-padded, in byte order; how many key bytes are left from there, 9 for "more than these";
// and the row.
struct SortStep {
    uint64_t digit;
    uint32_t left;
    uint32_t row;
};

SortStep sort_step(const char* text, size_t length, size_t depth, uint32_t row) {
    const size_t key = std::min(length, kSortedCharacters);
    const size_t left = key > depth ? key - depth : 0;
    const size_t taken = std::min(left, kDigitBytes);
    const std::string lower = lower_case(std::string(text + depth, taken));
    uint64_t digit = 0;
    for (size_t i = 0; i < kDigitBytes; ++i)
        digit = digit << 8 | (i < taken ? static_cast<unsigned char>(lower[i]) : 0u);
    return {digit, static_cast<uint32_t>(std::min(left, kDigitBytes + 1)), row};
}

}  // namespace

void ListRows::clear() {
    rows_.clear();
    rows_.shrink_to_fit();
    blocks_.clear();
    free_ = nullptr;
    block_left_ = 0;
}

void ListRows::add(const ArchiveEntry& row) {
    size_t need = 0;
    for (int c = 0; c <= kOwnNameColumn; ++c) {
        const size_t stored = stored_length(row, c);
        need += length_size(stored) +
                (c == kOwnNameColumn && stored == 0 ? 0 : row[static_cast<size_t>(c)].size() + 1);
    }
    if (need > block_left_) {
        const size_t size = std::max(kBlockSize, need);
        blocks_.emplace_back(new char[size]);
        free_ = blocks_.back().get();
        block_left_ = size;
    }
    char* out = free_;
    rows_.push_back(out);
    for (int c = 0; c <= kOwnNameColumn; ++c) {
        const size_t stored = stored_length(row, c);
        out = put_length(out, stored);
        if (c == kOwnNameColumn && stored == 0) continue;
        const std::string& text = row[static_cast<size_t>(c)];
        std::memcpy(out, text.data(), text.size());
        out += text.size();
        *out++ = '\0';
    }
    free_ = out;
    block_left_ -= need;
}

const char* ListRows::find(const char* row_start, int column, size_t& length) {
    const char* at = row_start;
    const char* name = nullptr;
    size_t name_length = 0;
    for (int c = 0;; ++c) {
        at = get_length(at, length);
        if (c == kOwnNameColumn) {
            if (length == 0) {
                length = name_length;
                return name;
            }
            --length;
        }
        if (c == column) return at;
        if (c == 1) name = at, name_length = length;
        at += length + 1;
    }
}

std::string ListRows::text(int row, int column) const {
    size_t length = 0;
    const char* at = find(rows_[static_cast<size_t>(row)], column, length);
    return std::string(at, length);
}

const char* ListRows::c_str(int row, int column) const {
    size_t length = 0;
    return find(rows_[static_cast<size_t>(row)], column, length);
}

// A radix sort by 8-byte digits of the keys: the rows are ordered by their first digit, then
// each run of rows whose keys agree so far and go on is ordered by the next digit, and so on.
// Each step is a stable sort of small records, so rows of equal keys keep their order, and a
// row's text is read once per digit instead of at every comparison.
std::vector<size_t> ListRows::sort(int column, int direction) {
    const size_t count = rows_.size();
    std::vector<SortStep> steps(count);
    const auto before = [direction](const SortStep& a, const SortStep& b) {
        return direction == 1 ? std::tie(a.digit, a.left) < std::tie(b.digit, b.left)
                              : std::tie(b.digit, b.left) < std::tie(a.digit, a.left);
    };
    struct Run {
        size_t begin, end, depth;
    };
    std::vector<Run> runs = {{0, count, 0}};
    for (size_t r = 0; r < count; ++r) steps[r].row = static_cast<uint32_t>(r);
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        for (size_t i = run.begin; i < run.end; ++i) {
            size_t length = 0;
            const char* text = find(rows_[steps[i].row], column, length);
            steps[i] = sort_step(text, length, run.depth, steps[i].row);
        }
        std::stable_sort(steps.begin() + static_cast<std::ptrdiff_t>(run.begin),
                         steps.begin() + static_cast<std::ptrdiff_t>(run.end), before);
        for (size_t i = run.begin; i < run.end;) {
            size_t j = i + 1;
            while (j < run.end && steps[j].digit == steps[i].digit &&
                   steps[j].left == steps[i].left)
                ++j;
            if (j - i > 1 && steps[i].left > kDigitBytes)
                runs.push_back({i, j, run.depth + kDigitBytes});
            i = j;
        }
    }
    std::vector<size_t> order(count);
    std::vector<const char*> sorted(count);
    for (size_t r = 0; r < count; ++r) {
        order[r] = steps[r].row;
        sorted[r] = rows_[steps[r].row];
    }
    rows_ = std::move(sorted);
    return order;
}
