// Associations through the registry of the test session, in both layouts, read back value by
// value: what the shell then finds, what removing one extension leaves, what other programs keep.
#include "system/associations.h"

#include <map>

#include "dialog_driver.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Marlox\\marlox.exe";
const std::string kCommand = "\"" + kProgram + "\" \"%1\"";
const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr RegistryLayout kNt = RegistryLayout::kNt;

Association association(const std::string& extension) {
    return {extension, extension + " archive", kProgram, kProgram, "marlox.exe", "Marlox",
            "Marlox"};
}

// "<root>\<key>|<value name>" -> data of each value, "<root>\<key>\" -> "" for a key holding
// nothing.
using Registry = std::map<std::string, std::string>;

void read_tree(HKEY root, const std::string& where, const std::string& path, Registry& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char name[256], data[1024];
    DWORD values = 0, keys = 0;
    for (DWORD length = sizeof name, size = sizeof data;
         RegEnumValueA(key, values, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                       &size) == ERROR_SUCCESS;
         ++values, length = sizeof name, size = sizeof data)
        out[where + path + "|" + name] = data;
    for (; RegEnumKeyA(key, keys, name, sizeof name) == ERROR_SUCCESS; ++keys)
        read_tree(root, where, path + "\\" + name, out);
    RegCloseKey(key);
    if (values + keys == 0) out[where + path + "\\"] = "";
}

// Where a layout keeps its classes, and the name of that root in a Registry.
struct Layout {
    RegistryLayout id;
    HKEY root;
    std::string classes;
    std::string shown;
};
const Layout kLayouts[] = {
    {kNt, HKEY_CLASSES_ROOT, "", "HKCR\\"},
    {RegistryLayout::k9x, HKEY_LOCAL_MACHINE, "Software\\Classes\\", "HKLM\\"}};

// Every key the layout may write for the three extensions, read, or deleted.
Registry registry(const Layout& l, bool clear = false) {
    std::vector<std::pair<HKEY, std::string>> keys = {
        {l.root, l.classes + "Applications\\marlox.exe"}, {l.root, l.classes + "marlox.exe"}};
    for (const std::string extension : {"zip", "rar", "cab"}) {
        keys.push_back({l.root, l.classes + "." + extension});
        keys.push_back({l.root, l.classes + extension + "_auto_file"});
        keys.push_back({HKEY_CURRENT_USER, kExplorer + "." + extension});
    }
    Registry r;
    for (const auto& key : keys) {
        if (clear) RegDeleteTreeA(key.first, key.second.c_str());
        read_tree(key.first, key.first == HKEY_CURRENT_USER ? "HKCU\\" : l.shown, key.second, r);
    }
    return r;
}

void clear_registry() {
    for (const Layout& layout : kLayouts) registry(layout, true);
}

void write(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
    RegSetKeyValueA(root, key.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>(data.size() + 1));
}

std::string at(const Registry& r, const std::string& where) {
    return r.count(where) ? r.at(where) : std::string();
}

// What the shell of the layout shows for the extension: the type's name, its icon and the
// command that opens it.
std::vector<std::string> shown_for(const Registry& r, const Layout& layout,
                                   const std::string& extension) {
    const std::string classes = layout.shown + layout.classes;
    const std::string type = classes + at(r, classes + "." + extension + "|");
    const std::string program =
        layout.id == kNt ? classes + "Applications\\" +
                               at(r, "HKCU\\" + kExplorer + "." + extension + "|Application")
                         : type;
    return {at(r, type + "|"), at(r, type + "\\DefaultIcon|"),
            at(r, program + "\\shell\\Marlox\\command|")};
}

Registry entries_of(const Registry& r, const std::string& extension) {
    Registry out;
    for (const auto& entry : r)
        if (entry.first.find(extension) != std::string::npos) out.insert(entry);
    return out;
}

// Another archiver had .zip and .rar, with a content type and the user's Explorer choice for
// .zip; the system's "Open with" had made cab_auto_file, with a command of its own, the class of
// .cab. Registering twice writes the same; removing .rar gives it back and keeps .zip and .cab
// Marlox's; removing the rest leaves the registry as it was. A value that cannot be written
// shows a box.
TEST(Association, RegisteringTwiceIsAlikeRemovingGivesBackWhatOthersHadAndFailuresShowABox) {
    EXPECT_EQ(current_registry_layout(), kNt);  // Wine shows Windows 7 unless told otherwise
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.shown);
        clear_registry();
        write(layout.root, layout.classes + ".zip", "", "OtherArchiver.zip");
        write(layout.root, layout.classes + ".zip", "Content Type", "application/zip");
        write(layout.root, layout.classes + ".rar", "", "OtherArchiver.rar");
        write(HKEY_CURRENT_USER, kExplorer + ".zip", "Application", "other.exe");
        write(HKEY_CURRENT_USER, kExplorer + ".zip\\OpenWithList", "a", "other.exe");
        write(layout.root, layout.classes + ".cab", "", "cab_auto_file");
        write(layout.root, layout.classes + "cab_auto_file\\shell\\open\\command", "",
              "\"C:\\o.exe\" \"%1\"");
        const Registry before = registry(layout);

        ScriptedPrompter prompter;
        for (const char* extension : {"rar", "cab", "zip"}) {
            set_association(prompter, layout.id, association(extension));
            EXPECT_EQ(
                shown_for(registry(layout), layout, extension),
                (std::vector<std::string>{association(extension).description, kProgram, kCommand}));
        }
        const Registry registered = registry(layout);
        set_association(prompter, layout.id, association("zip"));
        EXPECT_EQ(registry(layout), registered);

        remove_association(layout.id, "rar", "marlox.exe", true);
        const Registry after = registry(layout);
        EXPECT_EQ(shown_for(after, layout, "zip")[2], kCommand);
        EXPECT_EQ(shown_for(after, layout, "cab")[2], kCommand);
        EXPECT_EQ(entries_of(after, "rar"), entries_of(before, "rar"));
        remove_association(layout.id, "zip", "marlox.exe", true);
        remove_association(layout.id, "cab", "marlox.exe", false);
        EXPECT_EQ(registry(layout), before);
        EXPECT_TRUE(prompter.boxes.empty());
    }

    // Below a volatile key no lasting key can be made: the command's and the icon's keys fail,
    // each with a box, and the values after each are still written.
    clear_registry();
    for (const char* key : {"Applications\\marlox.exe", "zip_auto_file"}) {
        HKEY made = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &made, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(made);
    }
    ScriptedPrompter prompter;
    set_association(prompter, kNt, association("zip"));
    ASSERT_EQ(prompter.boxes.size(), 2u);
    for (const MessageBoxRequest& box : prompter.boxes) {
        expect_box(box, "Fehler", "Ein Fehler ist aufgetreten", BoxIcon::kNone);
        EXPECT_EQ(box.buttons, BoxButtons::kOk);
    }
    const Registry partly = registry(kLayouts[0]);
    EXPECT_EQ(at(partly, "HKCR\\zip_auto_file|"), "zip archive");
    EXPECT_EQ(at(partly, "HKCU\\" + kExplorer + ".zip|Application"), "marlox.exe");
    clear_registry();
}

}  // namespace
