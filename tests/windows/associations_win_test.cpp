// Associations through the registry of the test session, in both layouts, read back value by
// value: what registering writes, what removing one extension leaves, what other programs keep.
#include "system/associations.h"

#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scripted_prompter.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Marlox\\marlox.exe";
const std::string kCommand = "\"" + kProgram + "\" \"%1\"";
const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr RegistryLayout kNt = RegistryLayout::kNt;

Association association(const std::string& extension, const std::string& description) {
    return {extension, description, kProgram, kProgram, "marlox.exe", "Marlox", "Marlox"};
}
const Association kZip = association("zip", "Zip-Compressed File");
const Association kRar = association("rar", "Rar-Compressed File");
const Association kCab = association("cab", "Cabinet-Compressed File");

// "<root>\<key>|<value name>" -> data of each value, "<root>\<key>\" -> "" for a key holding
// nothing.
using Registry = std::map<std::string, std::string>;

void read_tree(HKEY root, const std::string& where, const std::string& path, Registry& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char name[256];
    DWORD length = sizeof name;
    char data[1024];
    DWORD size = sizeof data;
    DWORD values = 0;
    for (; RegEnumValueA(key, values, name, &length, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
         ++values, length = sizeof name, size = sizeof data)
        out[where + path + "|" + name] = data;
    DWORD keys = 0;
    for (; RegEnumKeyA(key, keys, name, sizeof name) == ERROR_SUCCESS; ++keys)
        read_tree(root, where, path + "\\" + name, out);
    RegCloseKey(key);
    if (values + keys == 0) out[where + path + "\\"] = "";
}

// The keys a layout writes, and the name their root is shown under.
struct Place {
    HKEY root;
    std::string shown;
    std::string path;
};

// Where a layout keeps its classes.
struct Classes {
    HKEY root;
    std::string path;
};
Classes classes_of(RegistryLayout layout) {
    if (layout == kNt) return {HKEY_CLASSES_ROOT, ""};
    return {HKEY_LOCAL_MACHINE, "Software\\Classes\\"};
}

std::vector<Place> places(RegistryLayout layout) {
    const HKEY classes = classes_of(layout).root;
    const std::string prefix = classes_of(layout).path;
    const std::string shown = layout == kNt ? "HKCR\\" : "HKLM\\";
    std::vector<Place> keys = {{classes, shown, prefix + "Applications\\marlox.exe"},
                               {classes, shown, prefix + "marlox.exe"}};
    for (const std::string extension : {"zip", "rar", "cab"}) {
        keys.push_back({classes, shown, prefix + "." + extension});
        keys.push_back({classes, shown, prefix + extension + "_auto_file"});
        keys.push_back({HKEY_CURRENT_USER, "HKCU\\", kExplorer + "." + extension});
    }
    return keys;
}

Registry registry(RegistryLayout layout) {
    Registry r;
    for (const Place& place : places(layout)) read_tree(place.root, place.shown, place.path, r);
    return r;
}

void clear_registry() {
    for (const RegistryLayout layout : {kNt, RegistryLayout::k9x})
        for (const Place& place : places(layout)) RegDeleteTreeA(place.root, place.path.c_str());
}

void write(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
    RegSetKeyValueA(root, key.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>(data.size() + 1));
}

std::string at(const Registry& r, const std::string& where) {
    const auto found = r.find(where);
    return found == r.end() ? std::string() : found->second;
}

// The command the shell of the layout finds for the extension.
std::string command_for(const Registry& r, RegistryLayout layout, const std::string& extension) {
    if (layout == kNt) {
        const std::string program = at(r, "HKCU\\" + kExplorer + "." + extension + "|Application");
        return at(r, "HKCR\\Applications\\" + program + "\\shell\\Marlox\\command|");
    }
    const std::string program = at(r, "HKLM\\Software\\Classes\\." + extension + "|");
    return at(r, "HKLM\\Software\\Classes\\" + program + "\\shell\\Marlox\\command|");
}

Registry entries_of_rar(const Registry& r) {
    Registry rar;
    for (const auto& entry : r)
        if (entry.first.find("rar") != std::string::npos) rar.insert(entry);
    return rar;
}

// GetVersion as a program is shown it when Wine's AppDefaults key for it names `version`.
DWORD version_shown_as(const char* version) {
    const std::string defaults = "Software\\Wine\\AppDefaults\\version_probe.exe";
    write(HKEY_CURRENT_USER, defaults, "Version", version);
    char path[MAX_PATH];
    std::string probe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    probe = probe.substr(0, probe.find_last_of('\\') + 1) + "version_probe.exe";
    const DWORD shown = static_cast<DWORD>(_spawnl(_P_WAIT, probe.c_str(), probe.c_str(), nullptr));
    RegDeleteTreeA(HKEY_CURRENT_USER, defaults.c_str());
    return shown;
}

TEST(Association, EachLayoutRegistersTwiceAlikeAndRemovingOneOfThreeKeepsTheOthers) {
    EXPECT_EQ(current_registry_layout(), kNt);  // Wine shows Windows 7 unless told otherwise
    EXPECT_EQ(registry_layout_of(version_shown_as("win98")), RegistryLayout::k9x);

    for (const RegistryLayout layout : {kNt, RegistryLayout::k9x}) {
        SCOPED_TRACE(layout == kNt ? "NT" : "9x");
        clear_registry();
        const Classes classes = classes_of(layout);
        write(classes.root, classes.path + ".rar", "", "OtherArchiver.rar");
        const Registry before = registry(layout);
        ScriptedPrompter prompter;
        set_association(prompter, layout, kZip);
        Registry expected = before;
        if (layout == kNt) {
            expected["HKCR\\Applications\\marlox.exe\\shell\\Marlox\\command|"] = kCommand;
            expected["HKCR\\.zip|"] = "zip_auto_file";
            expected["HKCR\\zip_auto_file|"] = "Zip-Compressed File";
            expected["HKCR\\zip_auto_file\\DefaultIcon|"] = kProgram;
            expected["HKCU\\" + kExplorer + ".zip|Application"] = "marlox.exe";
        } else {
            const std::string shown = "HKLM\\Software\\Classes\\";
            expected[shown + ".zip|"] = "marlox.exe";
            expected[shown + "marlox.exe|"] = "Zip-Compressed File";
            expected[shown + "marlox.exe\\DefaultIcon|"] = kProgram;
            expected[shown + "marlox.exe\\shell\\Marlox\\command|"] = kCommand;
        }
        EXPECT_EQ(registry(layout), expected);
        set_association(prompter, layout, kZip);
        EXPECT_EQ(registry(layout), expected);

        set_association(prompter, layout, kRar);
        set_association(prompter, layout, kCab);
        remove_association(layout, "rar", "marlox.exe", true);
        const Registry after = registry(layout);
        EXPECT_EQ(command_for(after, layout, "zip"), kCommand);
        EXPECT_EQ(command_for(after, layout, "cab"), kCommand);
        EXPECT_EQ(entries_of_rar(after), entries_of_rar(before));
        remove_association(layout, "zip", "marlox.exe", true);
        remove_association(layout, "cab", "marlox.exe", false);
        EXPECT_EQ(registry(layout), before);
        EXPECT_TRUE(prompter.boxes.empty());
    }
    clear_registry();
}

TEST(Association, OtherProgramsEntriesSurviveAndEachUnwritableValueShowsABox) {
    clear_registry();
    // Another archiver had .zip and the user's Explorer choice for it; the system's "Open with"
    // had made cab_auto_file, with a command of its own, the class of .cab.
    write(HKEY_CLASSES_ROOT, ".zip", "", "OtherArchiver.zip");
    write(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/zip");
    write(HKEY_CURRENT_USER, kExplorer + ".zip", "Application", "other.exe");
    write(HKEY_CURRENT_USER, kExplorer + ".zip\\OpenWithList", "a", "other.exe");
    write(HKEY_CLASSES_ROOT, ".cab", "", "cab_auto_file");
    write(HKEY_CLASSES_ROOT, "cab_auto_file\\shell\\open\\command", "", "\"C:\\o.exe\" \"%1\"");
    const Registry before = registry(kNt);
    ScriptedPrompter prompter;
    for (int round = 0; round < 2; ++round) {
        set_association(prompter, kNt, kZip);
        set_association(prompter, kNt, kCab);
    }
    const Registry registered = registry(kNt);
    EXPECT_EQ(at(registered, "HKCR\\.zip|"), "zip_auto_file");
    EXPECT_EQ(command_for(registered, kNt, "zip"), kCommand);
    EXPECT_EQ(command_for(registered, kNt, "cab"), kCommand);
    remove_association(kNt, "zip", "marlox.exe", true);
    remove_association(kNt, "cab", "marlox.exe", false);
    EXPECT_EQ(registry(kNt), before);
    EXPECT_TRUE(prompter.boxes.empty());
    clear_registry();

    // Below a volatile key no lasting key can be made: the command's and the icon's keys fail,
    // and the values after each are still written.
    for (const char* key : {"Applications\\marlox.exe", "zip_auto_file"}) {
        HKEY made = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &made, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(made);
    }
    set_association(prompter, kNt, kZip);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    for (const MessageBoxRequest& box : prompter.boxes) {
        EXPECT_EQ(box.title, "Fehler");
        EXPECT_EQ(box.text, "Ein Fehler ist aufgetreten");
        EXPECT_EQ(box.icon, BoxIcon::kNone);
        EXPECT_EQ(box.buttons, BoxButtons::kOk);
    }
    const Registry partly = registry(kNt);
    EXPECT_EQ(at(partly, "HKCR\\zip_auto_file|"), "Zip-Compressed File");
    EXPECT_EQ(at(partly, "HKCU\\" + kExplorer + ".zip|Application"), "marlox.exe");
    clear_registry();
}

}  // namespace
