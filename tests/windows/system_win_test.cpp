// What the program takes from the system, against Wine's real calls and DLLs: the system's own
// boxes and requesters, answered through a CBT hook as a user would (and one operation at a
// time while such a box is up); binding the mail and cabinet libraries; the catalog's bytes; the
// file-time helpers, in a time zone east of UTC; encrypted ZIP members through the system's
// cryptography (CNG).
#include "dialog_driver.h"
#include "formats/cab.h"
#include "protect/mail_library.h"
#include "runtime/file_meta.h"
#include "runtime/ui_prompt.h"

namespace {

std::function<void(HWND)> g_on_box;  // called for each box or requester of this thread

// A CBT hook: under ctest -j2 it may see another process's window becoming active too.
LRESULT CALLBACK on_box(int code, WPARAM wp, LPARAM lp) {
    HWND box = reinterpret_cast<HWND>(wp);
    char window_class[32] = "";
    if (code == HCBT_ACTIVATE && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() &&
        GetClassNameA(box, window_class, sizeof window_class) &&
        std::strcmp(window_class, "#32770") == 0)
        g_on_box(box);
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Each gives its answer on OK and nothing on Cancel: the input box the line, the open requester
// an existing file, the save requester a new one; both take bar-separated filters.
TEST(SystemPrompter, InputBoxAndFileRequestersGiveTheAnswerOnOkAndNothingOnCancel) {
    WPARAM button = IDOK;
    std::string title, file;  // file: typed into the open requester's name box before OK
    g_on_box = [&](HWND box) {
        title = text_of(box);
        // The name box of the open requester (cmb13, or edt1 in older layouts).
        if (!file.empty() && !SetDlgItemTextA(box, 0x47C, file.c_str()))
            SetDlgItemTextA(box, 0x480, file.c_str());
        PostMessageA(box, WM_COMMAND, button, 0);
    };
    HHOOK hook = SetWindowsHookExA(WH_CBT, on_box, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const InputRequest input = {
        nullptr, "Verzeichnisname \xE4", "Bitte Verzeichnisnamen eingeben", "neu \xFC", "Cancel",
        false};
    EXPECT_EQ(system_prompter().input_line(input), "neu \xFC");
    EXPECT_EQ(title, input.title);
    button = IDCANCEL;
    EXPECT_EQ(system_prompter().input_line(input), "");

    WorkFolder work;
    const std::string path = work.path() + "req.zip";
    const OpenFileRequest open_request = {nullptr, "Archiv w\xE4hlen",
                                          "ZIP (*.zip)|*.zip|Alle (*.*)|*.*", 2};
    const SaveFileRequest save_request = {nullptr, "Archivdatei erstellen...",
                                          "ZIP-Dateien (*.zip)|*.zip", ""};
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        ASSERT_TRUE(open ? write_bytes(path, "") : DeleteFileA(path.c_str()) != FALSE);
        const auto ask = [&] {
            return open ? system_prompter().open_file(open_request)
                        : system_prompter().save_file(save_request);
        };
        button = IDOK;
        file = path;
        EXPECT_EQ(ask(), path);
        EXPECT_EQ(title, open ? open_request.title : save_request.title);
        file.clear();
        button = IDCANCEL;
        EXPECT_EQ(ask(), "");
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// While an extraction's overwrite question is up, the main window is disabled (the box is owned
// by it), and a command, a drop and the close box that still reach it are refused; the
// extraction finishes every member.
class OneOperationAtATime : public AppTest {};

TEST_F(OneOperationAtATime, CommandsDropsAndCloseWaitWhileTheOverwriteQuestionIsUp) {
    const std::string archive =
        start_on("a.zip", {{"one.txt", "first"}, {"two.txt", "second"}, {"three.txt", "third"}});
    const std::string archive_bytes = read_bytes(archive), dropped = work.path() + "dropped.txt";
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "two.txt", "older"));
    ASSERT_TRUE(write_bytes(dropped, "dropped"));
    start(archive, &system_prompter());
    HWND main = window().handle();
    std::vector<std::string> titles;
    bool main_enabled = true;
    HWND owner = nullptr;
    // The first box gets what a user might still get to the window, which its own loop delivers
    // before the answer Yes; any later one is answered No.
    g_on_box = [&](HWND box) {
        titles.push_back(text_of(box));
        if (titles.size() > 1) {
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return;
        }
        main_enabled = IsWindowEnabled(main) != FALSE;
        owner = GetWindow(box, GW_OWNER);
        PostMessageA(main, WM_COMMAND, kButtonAdd, 0);
        PostMessageA(main, WM_COMMAND, kCmdRemove, 0);
        PostMessageA(main, WM_DROPFILES, reinterpret_cast<WPARAM>(drop_handle({dropped})), 0);
        PostMessageA(main, WM_CLOSE, 0, 0);
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    };
    // The extract dialog goes to "out"; any other dialog (the add dialog) is counted and
    // cancelled.
    int other_dialogs = 0;
    Dialog::test_hook = [&](HWND dialog) {
        if (text_of(dialog) != message(107)) {
            ++other_dialogs;
            press(dialog, IDCANCEL);
            return;
        }
        show_folder(dialog, out());
        press(dialog, kExtractOk);
    };
    HHOOK hook = SetWindowsHookExA(WH_CBT, on_box, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    app->dispatch_command(kButtonExtract);
    pump();  // whatever is still queued is handled the way the main loop handles it
    UnhookWindowsHookEx(hook);

    EXPECT_EQ(titles, std::vector<std::string>{message(50)});
    EXPECT_FALSE(main_enabled);
    EXPECT_EQ(owner, main);
    EXPECT_EQ(other_dialogs, 0);
    EXPECT_EQ(read_bytes(out() + "one.txt"), "first");
    EXPECT_EQ(read_bytes(out() + "two.txt"), "second");
    EXPECT_EQ(read_bytes(out() + "three.txt"), "third");
    EXPECT_EQ(read_bytes(archive), archive_bytes);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_FALSE(window().busy());
    EXPECT_EQ(window().row_count(), 3);
}

// A missing second mail library names itself in an error box, one without the entry points
// names the first one missing (every start binds the system's library; the end-to-end tests
// start without the first). A missing setup library is explained with message 43, one without
// the function means no cabinets, silently (the cabinet tests bind the system's library).
TEST(Libraries, ShowWhatIsMissing) {
    ScriptedPrompter prompter;
    MailLibrary mail;
    EXPECT_FALSE(bind_mail_library(mail, prompter, "mapi32.dll", "nosuchmapi2.dll"));
    EXPECT_FALSE(bind_mail_library(mail, prompter, "kernel32.dll", "kernel32.dll"));
    ASSERT_EQ(prompter.boxes.size(), 2u);
    expect_box(prompter.boxes[0], "nosuchmapi2.dll", "Cant load dynamic link library !",
               BoxIcon::kError);
    EXPECT_EQ(prompter.boxes[0].owner, nullptr);
    EXPECT_EQ(prompter.boxes[1].title, "kernel32.dll");
    EXPECT_EQ(prompter.boxes[1].text, "MAPILogon");
    EXPECT_EQ(mail.first, nullptr);

    MessageTable messages;
    load_default_messages(messages);
    // The catalog's bytes, which every end-to-end test finds the windows by.
    EXPECT_EQ(messages.message(10), "\x47\x72\xF6\xDF\x65");
    CabLibrary cab;
    bind_cab_library(cab, prompter, messages, "nosuchsetupapi.dll");
    EXPECT_FALSE(cab.available());
    ASSERT_EQ(prompter.boxes.size(), 3u);
    expect_box(prompter.boxes[2], messages.message(42), messages.message(43), BoxIcon::kError);
    bind_cab_library(cab, prompter, messages, "kernel32.dll");
    EXPECT_FALSE(cab.available());
    EXPECT_EQ(prompter.boxes.size(), 3u);
    release_cab_library(cab);
}

// A calendar moment in UTC as a file time, through the system's own conversion.
uint64_t utc_filetime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    const SYSTEMTIME st = {year, month, 0, day, hour, minute, second, 0};
    ULARGE_INTEGER value;
    SystemTimeToFileTime(&st, reinterpret_cast<FILETIME*>(&value));
    return value.QuadPart;
}

uint64_t write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// Packing agrees with FileTimeToDosDateTime of the local time; a date is set back through local
// time, and not at all on a file another handle holds without write sharing.
TEST(FileTimesEastOfUtc, PackAndSetThroughLocalTimeAsWin32Does) {
    TIME_ZONE_INFORMATION tz;
    GetTimeZoneInformation(&tz);
    ASSERT_EQ(tz.Bias, -60) << "the test runs one hour east of UTC (TZ=CET-1)";
    WorkFolder work;
    const std::string path = work.path() + "a.txt";
    ASSERT_TRUE(write_bytes(path, "x"));
    for (const uint64_t moment :
         {utc_filetime(2005, 4, 22, 10, 0, 1), utc_filetime(1999, 12, 31, 23, 30, 58),
          utc_filetime(2024, 2, 29, 0, 0, 0)}) {
        ASSERT_TRUE(os::set_last_write_time(path, moment));
        ULARGE_INTEGER utc;
        utc.QuadPart = moment;
        FILETIME local;
        WORD date = 0, time = 0;
        FileTimeToLocalFileTime(reinterpret_cast<FILETIME*>(&utc), &local);
        FileTimeToDosDateTime(&local, &date, &time);
        EXPECT_EQ(file_time_to_dos(path).date, date);
        EXPECT_EQ(file_time_to_dos(path).time, time);
    }

    const LocalDate date = make_local_date(2005, 4, 22, 11, 0, 0);
    EXPECT_EQ(local_date_to_file_time(date), utc_filetime(2005, 4, 22, 10, 0, 0));
    set_file_date(path, date);
    EXPECT_EQ(write_time(path), utc_filetime(2005, 4, 22, 10, 0, 0));

    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    set_file_date(path, make_local_date(2010, 5, 5, 5, 5, 0));
    CloseHandle(h);
    EXPECT_EQ(write_time(path), utc_filetime(2005, 4, 22, 10, 0, 0));
}

// The archives the peers encrypt (make_matrix_fixtures.sh) read as with the host's library.
TEST(ZipCryptWin, PeerArchivesReadWithTheSystemsCryptography) {
    WorkFolder work;
    for (const char* archive : {"crypt-zip", "crypt-aes128", "crypt-aes256"}) {
        SCOPED_TRACE(archive);
        const std::string out = work.path() + archive + "\\";
        ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
        ZipEngine z;
        ASSERT_EQ(zip_open(z, kMatrix + archive + ".zip"), kZipOk);
        zip_set_password(z, "Secret");
        EXPECT_EQ(zip_extract(z, out, 1), kZipBadPassword);
        zip_set_password(z, "secret");
        for (int member = 1; member <= 2; ++member) EXPECT_EQ(zip_extract(z, out, member), kZipOk);
        zip_close(z);
        for (const char* name : {"n.txt", "r.bin"})
            EXPECT_EQ(read_bytes(out + name), read_bytes(kMatrix + "crypt\\" + name)) << name;
    }
}

}  // namespace
