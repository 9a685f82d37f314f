#include "archive/listing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/adding.h"
#include "protect/cipher.h"
#include "runtime/file_meta.h"
#include "runtime/os.h"
#include "runtime/paths.h"
#include "state/version.h"

namespace {

constexpr size_t kSizeWidth = 15;
constexpr size_t kRateWidth = 6;
constexpr size_t kSortedCharacters = 200;

// A read-only archive loses its read-only bit; where that is impossible (a read-only medium)
// the archive is copied under its own name into a private folder in the temporary folder, so
// no file of the user's there is replaced, and the copy is listed. False when neither worked.
bool make_archive_writable(ArchiveContext& ctx) {
    const std::string& path = ctx.state.archive_path();
    const uint32_t attributes = get_file_attributes(path);
    if (attributes == os::kNoAttributes || !(attributes & os::kAttrReadOnly)) return true;
    if (set_file_attributes(path, os::kAttrNormal)) return true;

    ctx.view.set_status_text(1, ctx.messages.message(54));
    const std::string folder = ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_");
    const std::string copy = folder + file_name_of(path);
    if (!folder.empty() && os::copy_file(path, copy, true)) {
        set_file_attributes(copy, os::kAttrNormal);
        ctx.state.open_archive(copy);
        return true;
    }
    show_open_failed(ctx);
    return false;
}

// The listing's answer to an archive that zip_open refused or that has no members. A missing or
// 0-byte file, or an archive without members (`empty_archive`: its end record says so), starts a
// new archive there (the add dialog opens).
// True: the listing goes on with no rows (the dialog was cancelled). False: the listing is over,
// because the added files were listed, nothing could be created, or the file is not a readable
// ZIP archive; such a file is reported and left as it is, never recreated empty.
bool list_archive_without_members(ArchiveContext& ctx, bool empty_archive) {
    const std::string& path = ctx.state.archive_path();
    const bool missing = get_file_attributes(path) == os::kNoAttributes;
    const int64_t size = missing ? -1 : file_size_of(path);
    if (missing || size == 0 || (size > 0 && empty_archive)) {
        const int mode = start_new_archive(ctx, empty_archive);
        zip_close(ctx.zip);
        if (ctx.state.archive_path().empty()) {
            show_nothing_listed(ctx);
            return false;
        }
        return mode == -1;
    }

    ctx.prompter.show(ctx.messages.message(42), ctx.messages.message(45), BoxIcon::kWarning);
    show_nothing_listed(ctx);
    return false;
}

// Writes `text` (`length` bytes) into `out` right-aligned in `width` characters, or its first
// `width` characters when it is longer, as right_align does.
void put_aligned(std::string& out, const char* text, size_t length, size_t width) {
    out.assign(length < width ? width - length : 0, ' ');
    out.append(text, std::min(length, width));
}

// Writes the decimal digits of `value` backwards from `end`; returns where they start.
char* put_decimal(char* end, uint64_t value) {
    do *--end = static_cast<char>('0' + value % 10);
    while (value /= 10);
    return end;
}

void put_size(std::string& out, uint64_t size) {
    char digits[24];
    const char* start = put_decimal(digits + sizeof digits, size);
    put_aligned(out, start, static_cast<size_t>(digits + sizeof digits - start), kSizeWidth);
}

// Appends `value` as "%02d" prints it.
void append_two_digits(std::string& out, int value) {
    if (value < 0 || value > 99) {
        out += two_digits(value);
        return;
    }
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void put_date(std::string& out, int year, int month, int day) {
    if (day == 0) {
        out.assign("--.--.----");
        return;
    }
    out.clear();
    append_two_digits(out, day);
    out += '.';
    append_two_digits(out, month);
    out += '.';
    if (year < 0) {
        out += std::to_string(year);
        return;
    }
    char digits[16];
    char* start = put_decimal(digits + sizeof digits, static_cast<uint64_t>(year));
    out.append(start, digits + sizeof digits);
}

// `rate` (not negative) in hundredths, rounded to the nearest: computed exactly from the bits of
// the float. False where the C library's own rounding decides: a rate halfway between two
// hundredths, or too large for this.
bool rate_in_hundredths(float rate, uint64_t& hundredths) {
    if (!(rate < 16777216.0f)) return false;
    int exponent = 0;
    const double fraction = std::frexp(static_cast<double>(rate), &exponent);
    // rate = mantissa / 2^shift exactly, as a float has 24 significant bits.
    const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 24));
    const int shift = 24 - exponent;
    if (shift > 40) {  // under 2^-17: not half a hundredth
        hundredths = 0;
        return true;
    }
    const uint64_t scaled = mantissa * 100;
    hundredths = scaled >> shift;
    if (shift == 0) return true;
    const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    if (rest == half) return false;
    if (rest > half) ++hundredths;
    return true;
}

void put_rate(std::string& out, float rate) {
    if (!(rate > 0)) rate = 0;  // negative or NaN
    char buffer[64];
    uint64_t hundredths = 0;
    if (!rate_in_hundredths(rate, hundredths)) {
        std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(rate));
        put_aligned(out, buffer, std::strlen(buffer), kRateWidth);
        return;
    }
    char* const end = buffer + sizeof buffer;
    char* start = end - 3;
    start[0] = '.';
    start[1] = static_cast<char>('0' + hundredths / 10 % 10);
    start[2] = static_cast<char>('0' + hundredths % 10);
    start = put_decimal(start, hundredths / 100);
    put_aligned(out, start, static_cast<size_t>(end - start), kRateWidth);
}

// Gives `row` the texts of zip_row; a row used again keeps the room of its texts.
void fill_zip_row(ArchiveEntry& row, const std::string& name, const ZipMemberInfo& info,
                  const std::string& own) {
    row[0].clear();
    row[1] = name;
    put_size(row[2], info.unpacked);
    put_size(row[3], info.packed);
    put_date(row[4], info.year, info.month, info.day);
    put_rate(row[5], member_rate(info.unpacked, info.packed));
    row[6] = own;
}

// Walks the open archive: one row, one name-list entry, the totals and the setup test per
// member. zip_count bounds the walk, so a member without a name does not hide the ones after it.
void walk_members(ArchiveContext& ctx, int count) {
    ListingState& listing = ctx.listing;
    listing.member_names.reserve(static_cast<size_t>(count));
    listing.own_names.reserve(static_cast<size_t>(count));
    ArchiveEntry row;
    for (int n = 1; n <= count; ++n) {
        std::string name = n == 1 ? zip_first(ctx.zip) : zip_next(ctx.zip);
        ZipMemberInfo info;
        if (zip_member_info(ctx.zip, info) != kZipOk) break;
        listing.packed_total += static_cast<float>(info.packed);
        listing.unpacked_total += static_cast<float>(info.unpacked);
        if (is_setup_candidate(name)) listing.setup_candidates.push_back(name);
        listing.member_names.push_back(std::move(name));
        listing.own_names.push_back(zip_real_name(ctx.zip));
        fill_zip_row(row, listing.member_names.back(), info, listing.own_names.back());
        ctx.view.add_row(row);
    }
}

}  // namespace

std::string right_align(const std::string& text, size_t width) {
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

std::string format_size(uint64_t size) {
    std::string out;
    put_size(out, size);
    return out;
}

std::string format_date(int year, int month, int day) {
    std::string out;
    put_date(out, year, month, day);
    return out;
}

float member_rate(uint64_t unpacked, uint64_t packed) {
    if (unpacked == 0) return 0;
    return static_cast<float>(packed) * 100.0f / static_cast<float>(unpacked);
}

std::string format_rate(float rate) {
    std::string out;
    put_rate(out, rate);
    return out;
}

ArchiveEntry zip_row(const std::string& name, const ZipMemberInfo& info, const std::string& own) {
    ArchiveEntry row;
    fill_zip_row(row, name, info, own);
    return row;
}

int member_of_row(const ListingState& listing, const ArchiveView& view, int row) {
    const std::string own = view.row_text(row, kOwnNameColumn);
    const bool by_own = !own.empty();
    const std::vector<std::string>& names = by_own ? listing.own_names : listing.member_names;
    const auto found = std::find(names.begin(), names.end(), by_own ? own : view.row_text(row, 1));
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

bool is_setup_candidate(const std::string& name) {
    const std::string extension = lower_case(extension_of(name));
    if (extension != "exe" && extension != "bat" && extension != "msi" && extension != "com")
        return false;
    const std::string lower = lower_case(name);
    return lower.find("setup") != std::string::npos || lower.find("install") != std::string::npos;
}

int compare_row_texts(const std::string& a, const std::string& b, int direction) {
    const int order = lower_case(a.substr(0, kSortedCharacters))
                          .compare(lower_case(b.substr(0, kSortedCharacters)));
    if (order == 0) return 0;
    const int ascending = order > 0 ? 1 : -1;
    return direction == 1 ? ascending : -ascending;
}

void show_nothing_listed(ArchiveContext& ctx) {
    ctx.state.close_archive();
    ctx.view.clear_rows();
    ctx.listing = ListingState();
    ctx.program.stored_password = StoredPassword();
    ctx.view.set_commands({});
    ctx.view.reset_title();
    ctx.view.set_status_text(0, "--");
    ctx.view.set_status_text(1, ctx.messages.message(8));
}

void show_open_failed(ArchiveContext& ctx) {
    const MessageTable& m = ctx.messages;
    ctx.prompter.show(m.message(42), m.message(55) + "\n" + m.message(56), BoxIcon::kError);
}

void begin_listing(ArchiveContext& ctx) {
    // A stored password belongs to its archive alone.
    if (!same_path(ctx.program.stored_password.archive, ctx.state.archive_path()))
        ctx.program.stored_password = StoredPassword();
    ctx.view.clear_rows();
    ctx.listing = ListingState();
    ctx.view.reset_sort_indicators();
}

void finish_listing(ArchiveContext& ctx) {
    const std::string& path = ctx.state.archive_path();
    ListingState& listing = ctx.listing;
    ArchiveView& view = ctx.view;
    listing.member_count = static_cast<int>(listing.member_names.size());
    listing.archive_folder = folder_of(path);
    listing.archive_file_name = file_name_of(path);
    if (listing.unpacked_total != 0)
        listing.overall_rate = listing.packed_total * 100.0f / listing.unpacked_total;
    view.set_title(ctx.messages.message(29) + " V" + kVersion + " - " + listing.archive_file_name);
    view.show_rows();
    view.set_commands(listing.setup_candidates);
    view.activate();
    if (ctx.settings.sort == 1) view.sort_list_on_open();
    view.set_status_text(0, std::to_string(listing.member_count) + ctx.messages.message(57));
    view.set_status_text(1, path);
}

void list_zip_archive(ArchiveContext& ctx) {
    begin_listing(ctx);
    // A protected archive is deciphered in place first; a cancelled password lists nothing.
    if (!make_archive_writable(ctx) || !check_enciphered(ctx)) {
        show_nothing_listed(ctx);
        return;
    }
    const bool opened = zip_open(ctx.zip, ctx.state.archive_path()) == kZipOk;
    const int count = opened ? zip_count(ctx.zip) : 0;
    if (count < 1) {
        const bool empty_archive = opened && zip_declares_no_members(ctx.zip);
        zip_close(ctx.zip);
        if (!list_archive_without_members(ctx, empty_archive)) return;
    } else {
        walk_members(ctx, count);
        zip_close(ctx.zip);
    }
    finish_listing(ctx);
}
