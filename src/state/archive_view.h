// What the listing and extraction logic needs of the main window. The window implements it;
// host tests use a plain recording view, so the logic runs and is tested in both builds.
#ifndef MARLOX_STATE_ARCHIVE_VIEW_H
#define MARLOX_STATE_ARCHIVE_VIEW_H

#include <array>
#include <functional>
#include <string>
#include <vector>

// One row of the archive list: column 0 (empty), name, unpacked size, packed size, date, rate;
// column 6 is not shown: the member's own name in UTF-8 where the format gives one (ZIP, RAR,
// cabinets), by which the row finds its member, as the name shown may have lost characters.
using ArchiveEntry = std::array<std::string, 7>;
constexpr int kOwnNameColumn = 6;

// What the add dialog chose: the path mode (0 without path, 1 relative to the list folder,
// 2 absolute less the drive, -1 cancelled) and the folder its file list showed on OK (ending
// in "\"; empty when the list showed no folder or was disabled).
struct AddChoice {
    int path_mode = -1;
    std::string list_folder;
};

// What the confirmation of a password in the decipher dialog came to.
enum class PasswordAnswer { kUnreadable, kWrong, kRight };

class ArchiveView {
  public:
    virtual ~ArchiveView() = default;

    // Rows, in display order (after any sorting).
    virtual void clear_rows() = 0;
    virtual void add_row(const ArchiveEntry& row) = 0;
    virtual int row_count() const = 0;
    virtual std::string row_text(int row, int column) const = 0;
    virtual bool row_selected(int row) const = 0;
    virtual int selected_count() const = 0;
    // Shows the rows added so far; called once the rows of a listing are complete.
    virtual void show_rows() = 0;
    virtual void enable_list(bool enabled) = 0;

    // Column header sort indicators back to "none"; and the ascending sort by name.
    virtual void reset_sort_indicators() = 0;
    virtual void sort_list_on_open() = 0;

    // Status bar field 0 or 1, and the window title; reset_title gives the window the title it
    // has while no archive is shown.
    virtual void set_status_text(int field, const std::string& text) = 0;
    virtual void set_title(const std::string& text) = 0;
    virtual void reset_title() = 0;

    // The progress bar: range 0..maximum and its value; redraws at once.
    virtual void set_progress_range(int maximum) = 0;
    virtual void set_progress(int value) = 0;

    // Offers the commands the open archive allows (none when no archive is open), and the setup
    // pop-up with one item per candidate (commands 1000, 1001, ...).
    virtual void set_commands(const std::vector<std::string>& setup_candidates) = 0;
    // Brings the main window to the front.
    virtual void activate() = 0;

    // Runs the add dialog and returns its choice. On OK the dialog hands its file list to
    // take_add_selection (archive/adding.h), which fills the pending items. With `items_given`
    // (a drop or the command line handed the items) it shows no file list and takes nothing.
    // A view without the dialog cancels.
    virtual AddChoice run_add_dialog(bool /*items_given*/) { return AddChoice(); }

    // Runs the decipher dialog: each password the user confirms goes to `attempt`; the dialog
    // closes on kRight (true) or on cancel (false); after kWrong it stays open, empties its
    // field and says "FALSCHES Passwort!!" (message 190) as its title. A view without the
    // dialog cancels.
    virtual bool run_decipher_dialog(
        const std::function<PasswordAnswer(const std::string& password)>& /*attempt*/) {
        return false;
    }
};

#endif
