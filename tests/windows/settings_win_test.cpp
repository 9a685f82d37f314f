// The settings dialog and the text viewers driven through their real windows: the controls as
// laid out, the file "Ok" writes, what is refused, and the texts the viewers show.
#include <richedit.h>

#include "app/settings_dialog.h"
#include "dialog_driver.h"
#include "system/text_viewer.h"
#include "system/viewer_texts.h"

namespace {

std::vector<std::string> rows_of(HWND list) {
    std::vector<std::string> rows;
    for (LRESULT r = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); r < n; ++r) {
        char row[MAX_PATH] = "";
        SendMessageA(list, LB_GETTEXT, r, reinterpret_cast<LPARAM>(row));
        rows.push_back(row);
    }
    return rows;
}

HWND open_viewer;
int found_open;  // how often the timer found the viewer still open

void CALLBACK press_ok_if_open(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!IsWindow(open_viewer)) return;
    ++found_open;
    PostMessageA(open_viewer, WM_COMMAND, MAKEWPARAM(kViewerOk, BN_CLICKED), 0);
}

TEST(SettingsDialog, ControlsShowTheFileOkWritesItAnewWhatIsRefusedChangesNothingAndViewers) {
    WorkFolder work;
    MessageTable messages;
    load_default_messages(messages);
    Settings settings;
    settings.language = "de";
    ScriptedPrompter prompter;
    // Runs the dialog on the configuration `config`, driven by `drive`; the file afterwards.
    const auto run = [&](const std::string& config, const std::function<void(HWND)>& drive) {
        const std::string path = work.path() + "marlox.ini";
        write_bytes(path, config);
        const SettingsSubject subject = {settings,         messages,           prompter, path,
                                         "C:\\marlox.exe", {30, 40, 500, 300}, true};
        Dialog::test_hook = drive;
        SettingsDialog(subject).run(nullptr);
        Dialog::test_hook = nullptr;
        return read_bytes(path);
    };
    // Each control's text (the catalog's message).
    const std::pair<int, int> texts[] = {
        {kSettingsZip, 30},   {kSettingsRar, 31},           {kSettingsCab, 32},
        {kSettingsSafe, 168}, {kSettingsPosition, 169},     {kSettingsSize, 13},
        {kSettingsAdd, 112},  {kSettingsRemove, 111},       {kSettingsUp, 166},
        {kSettingsDown, 167}, {kSettingsCancel, 34},        {kSettingsHelp, 40},
        {kSettingsOk, 35},    {kSettingsLanguageLabel, 79}, {kSettingsViewersLabel, 114}};
    std::vector<std::string> seen;
    const std::string written =
        run("zip = 1\r\nsafe = 0\r\nsort = 1\r\ncount = 3\r\n0 = a.exe\r\n1 = \r\n2 = c.exe\r\n"
            "3 = d.exe\r\n4 = e.exe\r\n",
            [&](HWND dialog) {
                for (const auto& t : texts)
                    EXPECT_EQ(text_of(dialog, t.first), messages.message(t.second)) << t.first;
                RECT client;
                GetClientRect(dialog, &client);
                EXPECT_EQ(client.right, 390);
                EXPECT_EQ(client.bottom, 295);
                EXPECT_EQ(text_of(dialog, kSettingsSort), "Beim öffnen sortieren");
                EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU, 0);
                // The file's boxes, the language in memory, the viewers up to key "count".
                for (int id : {kSettingsZip, kSettingsSort}) EXPECT_TRUE(is_checked(dialog, id));
                for (int id : {kSettingsRar, kSettingsSafe}) EXPECT_FALSE(is_checked(dialog, id));
                EXPECT_EQ(text_of(dialog, kSettingsLanguage), "de");
                HWND list = GetDlgItem(dialog, kSettingsViewers);
                EXPECT_EQ(rows_of(list), (std::vector<std::string>{"a.exe", "c.exe", "d.exe"}));

                // Removed from the middle, one typed in, the last moved up twice; "hoch" on the
                // first row and "runter" on the last do nothing.
                SendMessageA(list, LB_SETCURSEL, 1, 0);
                press(dialog, kSettingsRemove);
                SetDlgItemTextA(dialog, kSettingsViewerField, "Z:\\view me.exe");
                press(dialog, kSettingsAdd);
                EXPECT_EQ(text_of(dialog, kSettingsViewerField), "");
                SendMessageA(list, LB_SETCURSEL, 2, 0);
                for (int i = 0; i < 3; ++i) press(dialog, kSettingsUp);
                SendMessageA(list, LB_SETCURSEL, 2, 0);
                for (int i = 0; i < 2; ++i) press(dialog, kSettingsDown);
                seen = rows_of(list);
                SetDlgItemTextA(dialog, kSettingsLanguage, "EN");
                press(dialog, kSettingsPosition);
                press(dialog, kSettingsOk);
            });
    EXPECT_EQ(seen, (std::vector<std::string>{"Z:\\view me.exe", "a.exe", "d.exe"}));
    EXPECT_EQ(written,
              "zip = 1\r\nrar = 0\r\ncab = 0\r\nsafe = 0\r\npos = 1\r\nsize = 0\r\n"
              "winx = 30\r\nwiny = 40\r\nsort = 1\r\nlanguage = en\r\ncount = 3\r\n"
              "0 = Z:\\view me.exe\r\n1 = a.exe\r\n2 = d.exe\r\n");
    EXPECT_EQ(settings.language, "en");
    EXPECT_EQ(settings.pos, 1);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, messages.message(83));
    EXPECT_EQ(prompter.boxes[0].text, messages.message(84));

    // What is refused changes nothing, and "Abbruch" keeps the file.
    const std::string config = "zip = 0\r\nlanguage = de\r\ncount = 0\r\n";
    prompter.files = {"Z:\\picked.exe"};
    seen.clear();
    const std::string after = run(config, [&](HWND dialog) {
        SetDlgItemTextA(dialog, kSettingsLanguage, "e");
        press(dialog, kSettingsOk);
        seen.push_back(IsWindowVisible(dialog) ? "still open" : "closed");
        // The field empty: the file requester; then typed ones up to five, the sixth refused.
        press(dialog, kSettingsAdd);
        for (const char* typed : {"2.exe", "3.exe", "4.exe", "5.exe", "6.exe"}) {
            SetDlgItemTextA(dialog, kSettingsViewerField, typed);
            press(dialog, kSettingsAdd);
        }
        seen.push_back(text_of(dialog, kSettingsViewerField));
        const std::vector<std::string> rows = rows_of(GetDlgItem(dialog, kSettingsViewers));
        seen.insert(seen.end(), rows.begin(), rows.end());
        press(dialog, kSettingsZip);
        press(dialog, kSettingsZip);
        press(dialog, kSettingsCancel);
    });
    EXPECT_EQ(after, config);
    EXPECT_EQ(settings.language, "en");
    EXPECT_EQ(seen, (std::vector<std::string>{"still open", "6.exe", "Z:\\picked.exe", "2.exe",
                                              "3.exe", "4.exe", "5.exe"}));
    ASSERT_EQ(prompter.file_requests.size(), 1u);
    EXPECT_EQ(prompter.file_requests[0].title, "Programm");
    ASSERT_EQ(prompter.boxes.size(), 3u);  // no language notice after "Abbruch"
    EXPECT_EQ(prompter.boxes[1].text, messages.message(80));
    EXPECT_EQ(prompter.boxes[1].icon, BoxIcon::kWarning);
    EXPECT_EQ(prompter.boxes[2].title, messages.message(124));
    EXPECT_EQ(prompter.boxes[2].text, messages.message(125));

    // The text viewers show the shipped texts or name what is missing.
    seen.clear();
    Dialog::test_hook = [&](HWND viewer) {
        HWND text = GetDlgItem(viewer, kViewerText);
        GETTEXTLENGTHEX how = {GTL_DEFAULT, CP_ACP};
        const LRESULT length =
            SendMessageA(text, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
        std::string shown(static_cast<size_t>(length) + 1, '\0');
        GETTEXTEX get = {static_cast<DWORD>(shown.size()), GT_DEFAULT, CP_ACP, nullptr, nullptr};
        SendMessageA(text, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                     reinterpret_cast<LPARAM>(&shown[0]));
        shown.resize(static_cast<size_t>(length));
        seen.push_back(shown);
        seen.push_back(text_of(viewer, kViewerVersion));
        // Escape and the system's close leave the viewer open; then OK, from a timer that runs
        // after them in the viewer's own loop.
        PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        open_viewer = viewer;
        SetTimer(nullptr, 0, 10, press_ok_if_open);
    };
    // The texts as the build ships them beside marlox.exe, one folder up.
    const std::string shipped = os::program_folder() + "..\\";
    show_help_window({nullptr, messages, shipped, "xx", "banner"});
    show_history_window({nullptr, messages, shipped, "en", "banner"});
    Dialog::test_hook = nullptr;
    EXPECT_EQ(found_open, 2);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], "Helptext not found: hlp_xx");
    EXPECT_EQ(seen[1], "banner");
    // The shipped history and license, whole (the host tests check how they are joined).
    EXPECT_EQ(seen[2], history_text(shipped, "en"));
    EXPECT_EQ(seen[2].find("not found"), std::string::npos);
}

}  // namespace
