// Every back-end through the same cases: ZIP, RAR through the real UnRAR.dll and cabinets
// through the system's setup library, each archive made by the real tools
// (make_matrix_fixtures.sh), in a working folder that holds a stranger's file. Each case is opened,
// extracted whole through the extract dialog and converted to ZIP, and comes out the same for every
// format that can carry it: good members arrive byte-identical; a member that cannot be extracted
// leaves the user's file as it was, leaves no work file and is named in the one warning box;
// nothing lands outside the target; a conversion delivers every member under its own name and
// lists the new archive, or shows message 76 and changes nothing. A RAR archive asks for its
// password once (again after a wrong one, which is refused with message 190), and a volume set
// opens from its first part and takes the others from beside it.
#include "dialog_driver.h"

namespace {

const std::string kMine(50000, 'm');  // the user's file that a damaged member must not replace
const std::string kBig(60000, 'v');   // the member that spans the three volumes

enum class Overwrite { kWithoutAsking, kAskYes, kAskNo };
enum class Conversion { kExact, kExactOrRefused, kRefused };

// The file lists are "NAME=BYTES ...", names in UTF-8, where "<mine>" stands for kMine, "<big>"
// for kBig and "<missing>" for no file.
struct Case {
    const char* archive;  // CASE of CASE.zip, CASE.rar and CASE.cab
    const char* skipped;  // the formats that cannot carry the case ("cab": no links there)
    const char* before;   // the user's files in the target
    Overwrite overwrite;
    const char* after;     // what the target holds afterwards
    const char* reported;  // the names the warning box lists
    Conversion conversion;
    const char* converted;       // the members of the converted archive, "/" between folders
    const char* passwords = "";  // the answers to the password requester, in turn
    const char* volumes = "";    // the further volumes beside the archive
};

const Case kCases[] = {
    {"damaged", "", "b.txt=<mine>", Overwrite::kWithoutAsking,
     "a.txt=alpha b.txt=<mine> c.txt=gamma", "b.txt", Conversion::kRefused, ""},
    {"plain", "", "a.txt=mine", Overwrite::kWithoutAsking, "a.txt=alpha sub\\b.txt=beta", "",
     Conversion::kExact, "a.txt=alpha sub/b.txt=beta"},
    {"plain", "", "a.txt=mine", Overwrite::kAskYes, "a.txt=alpha sub\\b.txt=beta", "",
     Conversion::kExact, "a.txt=alpha sub/b.txt=beta"},
    {"plain", "", "a.txt=mine", Overwrite::kAskNo, "a.txt=mine sub\\b.txt=beta", "",
     Conversion::kExact, "a.txt=alpha sub/b.txt=beta"},
    {"hostile", "", "", Overwrite::kWithoutAsking, "x.txt=x y.txt=y", "", Conversion::kExact,
     "x.txt=x y.txt=y"},
    // One file system name for both: the later member replaces the earlier, as asked.
    {"case", "", "", Overwrite::kWithoutAsking, "makefile=lower", "", Conversion::kExactOrRefused,
     "Makefile=upper makefile=lower"},
    {"dups", "", "", Overwrite::kWithoutAsking, "dup.txt=second", "", Conversion::kExactOrRefused,
     "dup.txt=first dup.txt=second"},
    {"link", "cab", "", Overwrite::kWithoutAsking, "a.txt=alpha ln=<missing> c.txt=gamma", "ln",
     Conversion::kRefused, ""},
    // A RAR member stored as a reference to an earlier one, or as a hard link to it, takes that
    // member's bytes, never those of a file of its name in the working folder.
    {"ref", "zip cab", "", Overwrite::kWithoutAsking, "a.txt=alpha copy.txt=alpha z.txt=zeta", "",
     Conversion::kExact, "a.txt=alpha copy.txt=alpha z.txt=zeta"},
    {"hard", "zip cab", "", Overwrite::kWithoutAsking, "a.txt=alpha hard.txt=alpha z.txt=zeta", "",
     Conversion::kExact, "a.txt=alpha hard.txt=alpha z.txt=zeta"},
    {"filefolder", "", "", Overwrite::kWithoutAsking, "zz\\x.txt=x", "zz", Conversion::kRefused,
     ""},
    {"names", "", "", Overwrite::kWithoutAsking, u8"Grüße.txt=gruss Straße.txt=strasse", "",
     Conversion::kExact, u8"Grüße.txt=gruss Straße.txt=strasse"},
    // Encrypted members ask when extracted, encrypted headers already when listed.
    {"secret", "zip cab", "a.txt=mine", Overwrite::kWithoutAsking, "a.txt=alpha sub\\b.txt=beta",
     "", Conversion::kExact, "a.txt=alpha sub/b.txt=beta", "wrong secret"},
    {"headers", "zip cab", "", Overwrite::kWithoutAsking, "a.txt=alpha sub\\b.txt=beta", "",
     Conversion::kExact, "a.txt=alpha sub/b.txt=beta", "wrong secret"},
    {"volumes.part1", "zip cab", "", Overwrite::kWithoutAsking, "big.txt=<big> a.txt=alpha", "",
     Conversion::kExact, "big.txt=<big> a.txt=alpha", "", "volumes.part2.rar volumes.part3.rar"},
    // Names in Unicode: a file gets its own name, also where the code page lacks its characters
    // (Polish, with no look-alike taken for them, and Cyrillic); such a name cannot be packed
    // anew from the file, so the conversion refuses.
    {"unicode", "", "", Overwrite::kWithoutAsking, u8"Grüße.txt=gruss Łódź.txt=lodz Мир.txt=mir",
     "", Conversion::kRefused, ""},
};

std::vector<std::string> words(const std::string& list) {
    std::istringstream in(list);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::vector<std::pair<std::string, std::string>> files(const std::string& list) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& item : words(list)) {
        const std::string bytes = item.substr(item.find('=') + 1);
        out.emplace_back(item.substr(0, item.find('=')), bytes == "<mine>"  ? kMine
                                                         : bytes == "<big>" ? kBig
                                                                            : bytes);
    }
    return out;
}

// The file at `path` (UTF-8), or "<missing>".
std::string read_own(const std::string& path) {
    os::File* file = os::unicode::open_file(path, os::OpenMode::kRead);
    if (!file) return "<missing>";
    std::string out(static_cast<size_t>(os::file_size(file)), '\0');
    EXPECT_EQ(os::read_file(file, &out[0], out.size()), os::file_size(file));
    os::close_file(file);
    return out;
}

// A UTF-8 name as the list shows it: in the code page, "?" for what it lacks (no best fit).
std::string shown(const std::string& name) {
    wchar_t wide[MAX_PATH];
    char out[MAX_PATH];
    MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide, MAX_PATH);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, MAX_PATH, "?", nullptr);
    return out;
}

// The names in `folder`, sorted; with `deep`, those of its folders too, with their paths.
std::vector<std::string> entries(const std::string& folder, bool deep = false) {
    std::vector<std::string> out;
    std::vector<os::FolderEntry> found;
    os::list_folder(folder, found);
    for (const os::FolderEntry& entry : found) {
        out.push_back(entry.name);
        if (deep && (entry.attributes & os::kAttrDirectory)) {
            for (const std::string& inner : entries(folder + entry.name + "\\", true))
                out.push_back(entry.name + "\\" + inner);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The process's working folder is `folder` while this lives.
struct WorkingFolder {
    char before[MAX_PATH] = {};
    explicit WorkingFolder(const std::string& folder) {
        GetCurrentDirectoryA(MAX_PATH, before);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~WorkingFolder() { SetCurrentDirectoryA(before); }
};

class BackendMatrixTest : public AppTest {
  protected:
    void run(const std::string& format) {
        for (size_t row = 0; row < std::size(kCases); ++row) {
            const Case& c = kCases[row];
            if (std::string(c.skipped).find(format) != std::string::npos) continue;
            SCOPED_TRACE(std::string(c.archive) + "." + format + ", row " + std::to_string(row));
            check(c, format, work.path() + format + std::to_string(row) + "\\");
        }
    }

    void check(const Case& c, const std::string& format, const std::string& folder) {
        const std::string name = std::string(c.archive) + "." + format;
        const std::string archive = folder + name, target = folder + "out\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA(target.c_str(), nullptr);
        for (const std::string& file : words(name + " " + c.volumes))
            ASSERT_TRUE(write_bytes(folder + file, read_bytes(kMatrix + file)));
        const std::string bytes = read_bytes(archive);
        for (const auto& file : files(c.before))
            ASSERT_TRUE(write_bytes(target + file.first, file.second));
        // The program works in a folder of its own, which holds a stranger's a.txt.
        const std::string cwd = folder + "cwd\\";
        CreateDirectoryA(cwd.c_str(), nullptr);
        ASSERT_TRUE(write_bytes(cwd + "a.txt", "a stranger"));
        const WorkingFolder working(cwd);
        const std::vector<std::string> around = entries(work.path());
        const std::vector<std::string> passwords = words(c.passwords);
        prompter.lines.assign(passwords.begin(), passwords.end());
        prompter.line_requests.clear();
        prompter.boxes.clear();

        start(archive);
        // Names outside ASCII are listed in Windows-1252 whatever the format stores.
        std::vector<std::string> listed;
        for (const auto& file : files(c.after)) listed.push_back(shown(file.first));
        if (std::string(c.archive) == "names" || std::string(c.archive) == "unicode") {
            EXPECT_EQ(column(1), listed);
        }
        prompter.answers = {c.overwrite == Overwrite::kAskNo ? kAnswerNo : kAnswerYes};
        extract(target, [&c](HWND dialog) {
            press(dialog,
                  c.overwrite == Overwrite::kWithoutAsking ? kExtractOverwrite : kExtractAsk);
        });
        for (const auto& file : files(c.after)) {
            const std::string got = read_own(target + file.first);
            EXPECT_TRUE(got == file.second) << file.first << " holds " << got.substr(0, 40);
        }
        for (const std::string& entry : entries(target, true)) {
            const std::string leaf = entry.substr(entry.find_last_of('\\') + 1);
            EXPECT_TRUE(leaf.find(".~mlx") == std::string::npos && leaf.find("~mlx") != 0)
                << "work file " << entry;
        }
        EXPECT_EQ(entries(work.path()), around);
        EXPECT_EQ(prompter.line_requests.size(), passwords.size());  // and each answer taken
        std::vector<std::string> own = words(name + " cwd out " + c.volumes);
        std::sort(own.begin(), own.end());
        EXPECT_EQ(entries(folder), own);
        EXPECT_EQ(entries(cwd), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(read_bytes(cwd + "a.txt"), "a stranger");
        size_t questions = 0, refusals = 0;
        std::vector<std::string> warnings;
        for (const MessageBoxRequest& box : prompter.boxes) {
            if (box.buttons == BoxButtons::kYesNo)
                ++questions;
            else if (box.text == message(190))
                ++refusals;
            else
                warnings.push_back(box.text);
        }
        EXPECT_EQ(questions, c.overwrite == Overwrite::kWithoutAsking ? 0u : 1u);
        EXPECT_EQ(refusals, passwords.empty() ? 0u : passwords.size() - 1);
        ASSERT_EQ(warnings.size(), *c.reported ? 1u : 0u);
        for (const std::string& member : words(c.reported))
            EXPECT_NE(warnings[0].find("\n" + member), std::string::npos) << warnings[0];

        prompter.boxes.clear();
        app->dispatch_command(kButtonConvert);
        const std::string converted = folder + c.archive + ".zip";
        const bool refused = prompter.boxes.size() == 1 && prompter.boxes[0].text == message(76);
        if (refused || c.conversion == Conversion::kRefused) {
            EXPECT_TRUE(refused && c.conversion != Conversion::kExact);
            EXPECT_EQ(read_bytes(archive), bytes);
            EXPECT_EQ(entries(folder), own);  // no new archive, whole or half-written
            return;
        }
        EXPECT_TRUE(prompter.boxes.empty());
        std::vector<std::string> expected, got = names_in(converted, true);
        for (const auto& file : files(c.converted))
            expected.push_back(shown(file.first) + " " + std::to_string(crc_of(file.second)));
        // Member names with their CRC-32s, by name alone.
        const auto by_name = [](const std::string& a, const std::string& b) {
            return a.substr(0, a.find(' ')) < b.substr(0, b.find(' '));
        };
        std::stable_sort(expected.begin(), expected.end(), by_name);
        std::stable_sort(got.begin(), got.end(), by_name);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(text_of(window().handle()),
                  message(29) + " V" + kVersion + " - " + c.archive + ".zip");
    }
};

TEST_F(BackendMatrixTest, ZipRarAndCab) {
    for (const char* format : {"zip", "rar", "cab"}) run(format);
}

}  // namespace
