// The archive listing: the row texts every format shares, the setup
// candidates, the comparison behind header sorting, and the complete listing of a ZIP archive.
#ifndef MARLOX_ARCHIVE_LISTING_H
#define MARLOX_ARCHIVE_LISTING_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "state/archive_context.h"
#include "zip/zip.h"

// Pads `text` on the left with spaces to `width` characters; a longer text keeps its first
// `width` characters.
std::string right_align(const std::string& text, size_t width);

// A size column: the decimal number right-aligned in 15 characters.
std::string format_size(uint64_t size);

// The date column: "dd.mm.yyyy" with two-digit day and month and the plain year, or
// "--.--.----" when the day is 0 (a zero date word).
std::string format_date(int year, int month, int day);

// packed x 100 / unpacked in single precision. A member without unpacked bytes has the rate 0,
// whatever it packs to: an empty file reads the same whether it was stored or deflated (to the
// two bytes of an empty deflate stream), instead of showing an infinite rate.
float member_rate(uint64_t unpacked, uint64_t packed);

// The rate column: two decimals with a "." right-aligned in 6 characters; a negative or
// undefined rate shows as 0.
std::string format_rate(float rate);

// The row of one ZIP member, shown as `name`, with its own name `own` (UTF-8) and its true
// sizes, also those of 2 GiB, 4 GiB and more.
ArchiveEntry zip_row(const std::string& name, const ZipMemberInfo& info,
                     const std::string& own = std::string());

// The entry (from 0, archive order) of the first member that row `row` of `view` shows: found
// by its own name where the row carries one, else by the name shown; -1 when there is none.
int member_of_row(const ListingState& listing, const ArchiveView& view, int row);

// A member that looks like an installer: its lower-cased name contains "setup" or "install" and
// its file name's extension is exe, bat, msi or com.
bool is_setup_candidate(const std::string& name);

// The comparison behind sorting by a column header, for the texts of that column in rows a and
// b: both lower-cased, at most their first 200 characters, compared in byte order. Returns 0 for
// equal texts. With `direction` 1 the row with the greater text comes later (a positive result
// when a's text is greater); with `direction` 0 it comes first.
// The window's rows (ListRows, list_rows.h) sort so.
int compare_row_texts(const std::string& a, const std::string& b, int direction);

// The listing contract every format keeps. begin_listing empties the rows, the listing state and
// the sort indicators; the format then adds one row and one member name per member in archive
// order, with its totals and (ZIP only) setup candidates; finish_listing does what every listing
// shares: member count, archive folder and file name, overall rate, the title, the rows shown,
// the commands of the open archive, the window in front, the sort on open when
// settings.sort is 1, and the status fields (the member count, the archive path).
void begin_listing(ArchiveContext& ctx);
void finish_listing(ArchiveContext& ctx);

// Lists the ZIP archive at ctx.state.archive_path() into the view and ctx.listing.
//
// A read-only archive is made writable first; when that fails it is copied into a private
// folder in the temporary folder (tracked in ctx.temp_files) and the copy is listed instead.
// An archive that can be neither made writable nor copied is reported (title message 42,
// messages 55 and 56, error icon) and nothing is listed.
//
// Every member gives one row, one entry in the name list and its share of the totals; a
// member without a name does not end the walk. Afterwards the archive is closed and the listing
// finished (finish_listing).
//
// A file that zip_open refuses, or that holds no members, is never overwritten: a non-empty file
// that is not a readable ZIP archive (no end record, or a directory the engine cannot read, such
// as a damaged one) is reported with message 45 under title 42 and a warning icon,
// nothing is listed and no archive is open. A missing or 0-byte file, or a
// real archive without members, starts a new archive there (start_new_archive, adding.h): when
// files are added the archive is listed with them; when the add dialog is cancelled it is listed
// with no rows.
void list_zip_archive(ArchiveContext& ctx);

// Leaves the window showing no archive, as at start-up: no rows, no member commands, the
// program's own title, the status bar's first texts, and no archive open.
void show_nothing_listed(ArchiveContext& ctx);

// The box for an archive that can be neither opened nor created: messages 55 and 56 under
// title 42, error icon.
void show_open_failed(ArchiveContext& ctx);

#endif
