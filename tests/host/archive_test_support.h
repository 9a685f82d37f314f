// What the tests of the archive operations share: a main window that records what the logic did
// to it, a prompter that answers from a script, and a context bundling them with fresh state.
#ifndef MARLOX_TESTS_HOST_ARCHIVE_TEST_SUPPORT_H
#define MARLOX_TESTS_HOST_ARCHIVE_TEST_SUPPORT_H

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "archive/listing.h"
#include "formats/cab.h"
#include "formats/rar.h"
#include "formats/zip_backend.h"
#include "scripted_prompter.h"
#include "state/archive_context.h"
#include "zip_test_support.h"

class RecordingView : public ArchiveView {
  public:
    struct Row {
        ArchiveEntry texts;
        bool selected = false;
    };
    std::vector<Row> rows;
    std::string status[2] = {"--", "--"};
    std::vector<std::string> status1_history;  // every text written into field 1
    std::string title;
    std::vector<int> ranges, values;  // every progress range and value set
    std::vector<bool> list_enabled;
    int commands_offered = 0;  // set_commands calls
    std::vector<std::string> setup_candidates;
    int sorted_on_open = 0;
    mutable int row_reads = 0;  // row_text calls, for what an operation costs
    static constexpr const char* kProgramTitle = "(the program's own title)";

    void clear_rows() override { rows.clear(); }
    void add_row(const ArchiveEntry& row) override { rows.push_back({row, false}); }
    int row_count() const override { return static_cast<int>(rows.size()); }
    std::string row_text(int row, int column) const override {
        ++row_reads;
        return rows.at(static_cast<size_t>(row)).texts.at(static_cast<size_t>(column));
    }
    bool row_selected(int row) const override { return rows.at(static_cast<size_t>(row)).selected; }
    int selected_count() const override {
        return static_cast<int>(
            std::count_if(rows.begin(), rows.end(), [](const Row& r) { return r.selected; }));
    }
    void show_rows() override {}
    void enable_list(bool enabled) override { list_enabled.push_back(enabled); }
    void reset_sort_indicators() override {}
    void sort_list_on_open() override {
        ++sorted_on_open;
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return compare_row_texts(a.texts[1], b.texts[1], 1) < 0;
        });
    }
    void set_status_text(int field, const std::string& text) override {
        status[field] = text;
        if (field == 1) status1_history.push_back(text);
    }
    void set_title(const std::string& text) override { title = text; }
    void reset_title() override { title = kProgramTitle; }
    void set_progress_range(int maximum) override { ranges.push_back(maximum); }
    void set_progress(int value) override { values.push_back(value); }
    void set_commands(const std::vector<std::string>& candidates) override {
        ++commands_offered;
        setup_candidates = candidates;
    }
    void activate() override {}

    // The add dialog: runs `add_dialog` when a test set one, otherwise cancels.
    std::function<AddChoice(bool items_given)> add_dialog;
    int add_dialogs = 0;
    AddChoice run_add_dialog(bool items_given) override {
        ++add_dialogs;
        return add_dialog ? add_dialog(items_given) : AddChoice();
    }

    // The decipher dialog: confirms `passwords` in turn, then cancels; records each answer.
    std::deque<std::string> passwords;
    std::vector<PasswordAnswer> password_answers;
    bool run_decipher_dialog(
        const std::function<PasswordAnswer(const std::string&)>& attempt) override {
        while (!passwords.empty()) {
            password_answers.push_back(attempt(passwords.front()));
            passwords.pop_front();
            if (password_answers.back() == PasswordAnswer::kRight) return true;
        }
        return false;
    }

    void select(const std::string& name) {
        for (Row& r : rows)
            if (r.texts[1] == name) return void(r.selected = true);
        ADD_FAILURE() << "no row " << name;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const Row& r : rows) out.push_back(r.texts[1]);
        return out;
    }
};

// The temporary folder is `folder` while this lives, then again the one before.
class TempFolderIn {
  public:
    explicit TempFolderIn(const std::string& folder)
        : before_(getenv("TMPDIR") ? getenv("TMPDIR") : "") {
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TempFolderIn() { before_.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", before_.c_str(), 1); }
    TempFolderIn(const TempFolderIn&) = delete;
    TempFolderIn& operator=(const TempFolderIn&) = delete;

  private:
    std::string before_;
};

// Fresh program state for one test, with the built-in texts and every format, no library bound.
struct ArchiveFixture {
    ProgramState program;
    ZipBackend& zip_format = program.state.formats.add<ZipBackend>();
    RarBackend& rar_format = program.state.formats.add<RarBackend>();
    CabBackend& cab_format = program.state.formats.add<CabBackend>();
    RecordingView view;
    ScriptedPrompter prompter;
    ArchiveContext ctx{program, view, prompter};
    AppState& state = program.state;
    Settings& settings = program.settings;
    ListingState& listing = program.listing;

    ArchiveFixture() { load_default_messages(program.messages); }
    ~ArchiveFixture() { program.temp_files.remove_all(); }

    const std::string& message(int n) const { return program.messages.message(n); }
    // Box `n` shown so far, as its title, text and icon.
    std::tuple<std::string, std::string, BoxIcon> box(size_t n) const {
        const MessageBoxRequest& b = prompter.boxes.at(n);
        return {b.title, b.text, b.icon};
    }

    void list(const std::string& path) {
        state.open_archive(path);
        list_zip_archive(ctx);
    }
};

#endif
