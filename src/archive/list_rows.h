// The rows of the archive list, kept compactly: a listing of a million members must fit in the
// memory of a 32-bit program. The seven texts of a row lie one after the other in large blocks,
// each after its length and before a closing NUL, so the list can be handed a row's text without
// a copy; a row that repeats its shown name as its own name keeps it once. The rows are reached
// through one pointer each, in display order, which sorting rearranges.
#ifndef MARLOX_ARCHIVE_LIST_ROWS_H
#define MARLOX_ARCHIVE_LIST_ROWS_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "state/archive_view.h"

class ListRows {
  public:
    void clear();
    void add(const ArchiveEntry& row);
    int size() const { return static_cast<int>(rows_.size()); }

    // Column `column` (0 to kOwnNameColumn) of row `row`, in display order; both must exist.
    std::string text(int row, int column) const;
    // The same text, NUL-terminated (a NUL within it ends it early); valid until clear().
    const char* c_str(int row, int column) const;

    // Sorts the rows by the texts of `column` as compare_row_texts (listing.h) orders them in
    // `direction`; rows of equal texts keep their order. Returns, for each row, the row it was
    // before.
    std::vector<size_t> sort(int column, int direction);

  private:
    // Where the text of `column` starts in the row at `row_start`, and its length.
    static const char* find(const char* row_start, int column, size_t& length);

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;   // the first free byte of the last block
    size_t block_left_ = 0;  // and how many follow it
    std::vector<const char*> rows_;
};

#endif
