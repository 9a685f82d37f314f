// Adding and deleting through the real window: the new-archive command, dropped files and the
// add dialog, driven through the dialog's test hook with window messages; the dialog's option
// rules and its file-system list; the remove command on sorted rows and on an archive another
// program holds.
#include "dialog_driver.h"

namespace {

int row_of(HWND dialog, const std::string& name) {
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    return static_cast<int>(SendDlgItemMessageA(
        dialog, kAddList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void select_entries(HWND dialog, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        ListView_SetItemState(GetDlgItem(dialog, kAddList), row_of(dialog, name), LVIS_SELECTED,
                              LVIS_SELECTED);
}

void double_click(HWND dialog, const std::string& name) {
    HWND list = GetDlgItem(dialog, kAddList);
    RECT box;
    ASSERT_TRUE(ListView_GetItemRect(list, row_of(dialog, name), &box, LVIR_LABEL)) << name;
    click(list, box, true);
}

class AddDialogTest : public AppTest {
  protected:
    // Daten\Bilder\a.jpg, Daten\Bilder\Urlaub\b.jpg, Daten\Leer\ (empty), Daten\notes.txt; the
    // program started without an archive.
    void SetUp() override {
        for (const char* folder : {"", "Bilder\\", "Bilder\\Urlaub\\", "Leer\\"})
            CreateDirectoryA((daten + folder).c_str(), nullptr);
        for (const char* file : {"Bilder\\a.jpg", "Bilder\\Urlaub\\b.jpg", "notes.txt"})
            ASSERT_TRUE(write_bytes(daten + file, file));
        start("");
    }
    // The new-archive command answered with `name` in the work folder; `drive` acts on the
    // add dialog.
    void new_archive(const std::string& name, const std::function<void(HWND)>& drive) {
        prompter.saves = {work.path() + name};
        run_dialog(kButtonNew, drive);
    }

    const std::string daten = work.path() + "Daten\\";
};

// Files dropped on the window (a drop handle as the shell builds it) or given on the command
// line, with nothing open: packed into a new archive named after the first file, through the
// add dialog in the state the items call for (a folder among them: mode 1 without a list
// folder, names from below the drive). Then the new-archive command: the dialog's option rules,
// list navigation and help, "Abbruch" leaving an empty archive, and the tree added; and the
// remove command.
TEST_F(AddDialogTest, DroppedOrGivenItemsOptionRulesNavigationHelpCancelTheTreeAddedAndRemoved) {
    bool ran = false;
    Dialog::test_hook = [&](HWND dialog) {
        ran = true;
        EXPECT_TRUE(is_checked(dialog, kAddRelative));
        EXPECT_FALSE(is_enabled(dialog, kAddWithoutPath));
        EXPECT_FALSE(is_enabled(dialog, kAddList));
        EXPECT_TRUE(is_checked(dialog, kAddIncludeFolders));
        EXPECT_FALSE(is_enabled(dialog, kAddIncludeFolders));
        press(dialog, kAddOk);
    };
    SendMessageA(window().handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(drop_handle({daten + "Bilder", daten + "notes.txt"})), 0);
    EXPECT_TRUE(ran);
    const std::string packed_archive = daten + "notes.zip";
    EXPECT_EQ(app->state().archive_path(), packed_archive);
    std::string below = daten.substr(3);
    std::replace(below.begin(), below.end(), '\\', '/');
    const std::vector<std::string> packed = {below + "notes.txt", below + "Bilder/a.jpg",
                                             below + "Bilder/Urlaub/b.jpg"};
    EXPECT_EQ(names_in(packed_archive), packed);
    EXPECT_EQ(column(1), packed);
    EXPECT_TRUE(prompter.boxes.empty());

    // As the Send To shortcut gives them.
    Dialog::test_hook = [](HWND dialog) { press(dialog, kAddOk); };
    start(daten + "notes.txt\" \"" + daten + "Bilder\\a.jpg");
    EXPECT_EQ(names_in(packed_archive), (std::vector<std::string>{"notes.txt", "a.jpg"}));
    EXPECT_EQ(app->state().archive_path(), packed_archive);

    new_archive("cancelled.zip", [&](HWND dialog) {
        EXPECT_EQ(text_of(dialog), message(41));
        EXPECT_FALSE(IsWindowEnabled(window().handle()));

        // "inc. Verzeichnisse" takes mode 0 away, moving its check to mode 1, and gives it back.
        EXPECT_TRUE(is_checked(dialog, kAddWithoutPath));
        press(dialog, kAddIncludeFolders);
        EXPECT_FALSE(is_enabled(dialog, kAddWithoutPath));
        EXPECT_TRUE(is_checked(dialog, kAddRelative));
        press(dialog, kAddIncludeFolders);
        EXPECT_TRUE(is_enabled(dialog, kAddWithoutPath));
        EXPECT_TRUE(is_checked(dialog, kAddRelative));
        press(dialog, kAddAbsolute);
        press(dialog, kAddIncludeFolders);
        EXPECT_TRUE(is_checked(dialog, kAddAbsolute));

        // The list starts with the drives; a double click enters a folder (not a file), ".."
        // and Backspace go up.
        EXPECT_EQ(shown_folder(dialog), "");
        EXPECT_GE(row_of(dialog, "C:"), 0);
        ASSERT_TRUE(show_folder(dialog, work.path()));
        double_click(dialog, "Daten");
        EXPECT_EQ(shown_folder(dialog), daten);
        EXPECT_EQ(row_of(dialog, ".."), 0);
        EXPECT_EQ(row_of(dialog, "Bilder"), 1);
        double_click(dialog, "Bilder");
        double_click(dialog, "a.jpg");
        EXPECT_EQ(shown_folder(dialog), daten + "Bilder\\");
        double_click(dialog, "..");
        EXPECT_EQ(shown_folder(dialog), daten);
        SendDlgItemMessageA(dialog, kAddList, WM_KEYDOWN, VK_BACK, 0);
        EXPECT_EQ(shown_folder(dialog), work.path());

        press(dialog, kAddHelp);
        ASSERT_EQ(prompter.boxes.size(), 2u);  // after the question before replacing notes.zip
        expect_box(prompter.boxes[1], message(77), add_help_text(app->messages()),
                   BoxIcon::kInformation);

        // The close box does nothing; "Abbruch" ends the dialog, whatever is selected.
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(dialog));
        select_entries(dialog, {"Daten"});
        press(dialog, kAddCancel);
    });
    EXPECT_TRUE(IsWindowEnabled(window().handle()));
    EXPECT_EQ(read_bytes(work.path() + "cancelled.zip"), "");
    EXPECT_EQ(window().row_count(), 0);
    ASSERT_EQ(prompter.save_requests.size(), 1u);
    EXPECT_EQ(prompter.save_requests[0].title, message(26));
    EXPECT_EQ(prompter.save_requests[0].filters, message(59));

    // A cancelled requester leaves the archive path as it was.
    app->dispatch_command(kButtonNew);
    EXPECT_EQ(app->state().archive_path(), work.path() + "cancelled.zip");

    // The dialog's list, options and "inc. Verzeichnisse" reach the addition (the path modes
    // themselves are the host tests'); the ".dat" answer gets ".zip" appended.
    new_archive("relative.dat", [&](HWND dialog) {
        ASSERT_TRUE(show_folder(dialog, daten));
        select_entries(dialog, {"notes.txt", "Bilder", "Leer"});
        press(dialog, kAddIncludeFolders);
        press(dialog, kAddOk);
    });
    const std::vector<std::string> names = {"notes.txt", "Bilder/a.jpg", "Bilder/Urlaub/b.jpg"};
    EXPECT_EQ(app->state().archive_path(), work.path() + "relative.dat.zip");
    EXPECT_EQ(column(1), names);
    EXPECT_EQ(names_in(work.path() + "relative.dat.zip"), names);
    EXPECT_TRUE(IsWindowEnabled(window().list()));
    EXPECT_EQ(SendMessageA(window().progress_bar(), PBM_GETPOS, 0, 0), 0);

    // The remove command: the rows selected and sorted in the real list decide what goes and in
    // which order the rest is rebuilt; No to the question changes nothing. An archive another
    // program holds keeps every member.
    prompter.boxes.clear();
    const std::string archive = start_on(
        "three.zip", {{"c.txt", "gamma"}, {"a.txt", "alpha"}, {"B.txt", "beta"}, {"sub/", ""}});
    window().sort_by_column(1);
    select({"B.txt"});
    prompter.answers = {kAnswerNo, kAnswerYes};
    app->dispatch_command(kCmdRemove);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message(171) + "\n");
    EXPECT_EQ(names_in(archive), (std::vector<std::string>{"c.txt", "a.txt", "B.txt", "sub/"}));
    app->dispatch_command(kButtonRemove);
    // The folder entry stays with the other members.
    EXPECT_EQ(names_in(archive), (std::vector<std::string>{"a.txt", "c.txt", "sub/"}));
    EXPECT_EQ(column(1), (std::vector<std::string>{"a.txt", "c.txt", "sub/"}));
    EXPECT_TRUE(IsWindowEnabled(window().list()));

    const std::string before = read_bytes(archive);
    HANDLE held = CreateFileA(archive.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    select({"a.txt"});
    app->settings().safe = 0;
    app->dispatch_command(kCmdRemove);
    CloseHandle(held);
    EXPECT_EQ(prompter.boxes.size(), 3u);  // its text is the host tests'
    EXPECT_EQ(read_bytes(archive), before);
    EXPECT_EQ(window().row_count(), 3);
    EXPECT_TRUE(IsWindowEnabled(window().list()));
    EXPECT_EQ(window().status_text(1), "");
}

}  // namespace
