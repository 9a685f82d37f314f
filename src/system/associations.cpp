#include "system/associations.h"

#include <windows.h>

#include "runtime/file_meta.h"

namespace {

// The value in which Marlox keeps what it replaced in a value other programs use too.
constexpr const char* kKeptValue = "Marlox.Previous";
constexpr const char* kExplorerExtensions =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";

std::string without_leading_backslash(const std::string& subkey) {
    return !subkey.empty() && subkey[0] == '\\' ? subkey.substr(1) : subkey;
}

// A key opened with full access, closed when it goes; false when it cannot be opened.
class OpenKey {
  public:
    OpenKey(HKEY root, const std::string& subkey) {
        if (RegOpenKeyExA(root, without_leading_backslash(subkey).c_str(), 0, KEY_ALL_ACCESS,
                          &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// REG_SZ with its terminating NUL.
void store_text(HKEY key, const std::string& name, const std::string& data) {
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

int reg_create_key(HKEY root, const std::string& subkey) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, without_leading_backslash(subkey).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

int reg_set_value(Prompter& prompter, HKEY root, const std::string& subkey, const std::string& name,
                  const std::string& data) {
    const OpenKey key(root, subkey);
    if (!key) {
        prompter.show("Fehler", "Ein Fehler ist aufgetreten", BoxIcon::kNone);
        return 0;
    }
    store_text(key.get(), name, data);
    return 1;
}

int reg_write_value(Prompter& prompter, HKEY root, const std::string& subkey,
                    const std::string& name, const std::string& data) {
    reg_create_key(root, subkey);
    return reg_set_value(prompter, root, subkey, name, data);
}

std::string reg_first_subkey(HKEY root, const std::string& subkey) {
    const OpenKey key(root, subkey);
    char name[256];  // the longest key name and its NUL
    DWORD length = sizeof name;
    if (!key || RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
        return std::string();
    return std::string(name, length);
}

int reg_delete_key(HKEY root, const std::string& subkey) {
    return RegDeleteKeyA(root, without_leading_backslash(subkey).c_str()) == ERROR_SUCCESS ? 1 : 0;
}

// Subkeys first, the key last. A subkey that cannot be deleted comes back first twice in a
// row, which ends the loop; the key's own deletion then fails quietly.
void reg_delete_tree(HKEY root, const std::string& subkey) {
    const std::string path = without_leading_backslash(subkey);
    std::string previous;
    std::string current;
    do {
        previous = current;
        current = reg_first_subkey(root, path);
        if (!current.empty()) reg_delete_tree(root, path + "\\" + current);
    } while (current != previous);
    reg_delete_key(root, path);
}

// The data of a REG_SZ value; false when the key or the value is missing or not text.
bool read_text(HKEY root, const std::string& subkey, const std::string& name, std::string& data) {
    const OpenKey key(root, subkey);
    DWORD type = 0;
    DWORD size = 0;
    if (!key ||
        RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::string buffer(size, '\0');
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
        return false;
    buffer.resize(size);
    // Data stored without its NUL ends at its size, data stored with one at the first NUL.
    data = buffer.substr(0, buffer.find('\0'));
    return true;
}

void delete_value(HKEY root, const std::string& subkey, const std::string& name) {
    const OpenKey key(root, subkey);
    if (key) RegDeleteValueA(key.get(), name.c_str());
}

bool key_exists(HKEY root, const std::string& subkey) { return bool(OpenKey(root, subkey)); }

// Deletes the key when it holds neither values nor subkeys.
void delete_if_empty(HKEY root, const std::string& subkey) {
    DWORD subkeys = 1;
    DWORD values = 1;
    {
        const OpenKey key(root, subkey);
        if (!key ||
            RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
    }
    if (subkeys == 0 && values == 0) reg_delete_key(root, subkey);
}

bool same_name(const std::string& a, const std::string& b) {
    return lower_case(a) == lower_case(b);
}

// Writes Marlox's data into a value that other programs use too. Data of another program found
// there is kept in kKeptValue first; Marlox's own data found there means Marlox registered
// before, and what was kept then stays; nothing found means nothing is to be given back.
void claim_value(Prompter& prompter, HKEY root, const std::string& subkey, const std::string& name,
                 const std::string& own) {
    std::string found;
    if (!read_text(root, subkey, name, found) || found.empty()) {
        delete_value(root, subkey, kKeptValue);
    } else if (!same_name(found, own)) {
        const OpenKey key(root, subkey);
        if (key) store_text(key.get(), kKeptValue, found);
    }
    reg_write_value(prompter, root, subkey, name, own);
}

// Takes Marlox's data out of a value written by claim_value. While the value still holds `own`,
// the kept data comes back; with nothing kept the value goes, unless `keep_own` (what it names
// lives on without Marlox). Data someone else wrote since stays. The key goes when nothing is
// left in it.
void release_value(HKEY root, const std::string& subkey, const std::string& name,
                   const std::string& own, bool keep_own) {
    std::string current;
    if (read_text(root, subkey, name, current) && same_name(current, own)) {
        std::string kept;
        if (read_text(root, subkey, kKeptValue, kept)) {
            const OpenKey key(root, subkey);
            if (key) store_text(key.get(), name, kept);
        } else if (!keep_own) {
            delete_value(root, subkey, name);
        }
    }
    delete_value(root, subkey, kKeptValue);
    delete_if_empty(root, subkey);
}

// Whether icon data ("C:\Programs\marlox.exe" or "...\marlox.exe,0") names the program.
bool names_program(const std::string& icon, const std::string& program_name) {
    std::string file = icon.substr(icon.find_last_of('\\') + 1);
    file = file.substr(0, file.find(','));
    return same_name(file, program_name);
}

void set_nt(Prompter& prompter, const Association& a, const std::string& command) {
    const std::string own_class = a.extension + "_auto_file";
    reg_write_value(prompter, HKEY_CLASSES_ROOT,
                    "Applications\\" + a.program_name + "\\shell\\" + a.verb_name + "\\command", "",
                    command);
    if (!a.description.empty()) {
        claim_value(prompter, HKEY_CLASSES_ROOT, "." + a.extension, "", own_class);
        reg_write_value(prompter, HKEY_CLASSES_ROOT, own_class, "", a.description);
        if (!a.icon.empty())
            reg_write_value(prompter, HKEY_CLASSES_ROOT, own_class + "\\DefaultIcon", "", a.icon);
    }
    claim_value(prompter, HKEY_CURRENT_USER, kExplorerExtensions + a.extension, "Application",
                a.program_name);
}

void set_9x(Prompter& prompter, const Association& a, const std::string& command) {
    const std::string own_class = "Software\\Classes\\" + a.program_name;
    claim_value(prompter, HKEY_LOCAL_MACHINE, "Software\\Classes\\." + a.extension, "",
                a.program_name);
    if (!a.description.empty())
        reg_write_value(prompter, HKEY_LOCAL_MACHINE, own_class, "", a.description);
    if (!a.icon.empty())
        reg_write_value(prompter, HKEY_LOCAL_MACHINE, own_class + "\\DefaultIcon", "", a.icon);
    const std::string verb = own_class + "\\shell\\" + a.verb_name;
    if (a.verb_text != a.verb_name)
        reg_write_value(prompter, HKEY_LOCAL_MACHINE, verb, "", a.verb_text);
    reg_write_value(prompter, HKEY_LOCAL_MACHINE, verb + "\\command", "", command);
}

void remove_nt(const std::string& extension, const std::string& program_name, bool others_remain) {
    if (!others_remain) reg_delete_tree(HKEY_CLASSES_ROOT, "Applications\\" + program_name);
    // The class: the icon naming Marlox's program was written with the description, so both
    // are Marlox's; whatever else is there ("Open with" puts its command here) stays.
    const std::string own_class = extension + "_auto_file";
    const std::string icon_key = own_class + "\\DefaultIcon";
    std::string icon;
    if (read_text(HKEY_CLASSES_ROOT, icon_key, "", icon) && names_program(icon, program_name)) {
        delete_value(HKEY_CLASSES_ROOT, icon_key, "");
        delete_value(HKEY_CLASSES_ROOT, own_class, "");
    }
    delete_if_empty(HKEY_CLASSES_ROOT, icon_key);
    delete_if_empty(HKEY_CLASSES_ROOT, own_class);
    // A class that lives on keeps the extension pointing at it.
    release_value(HKEY_CLASSES_ROOT, "." + extension, "", own_class,
                  key_exists(HKEY_CLASSES_ROOT, own_class));
    release_value(HKEY_CURRENT_USER, kExplorerExtensions + extension, "Application", program_name,
                  false);
}

void remove_9x(const std::string& extension, const std::string& program_name, bool others_remain) {
    release_value(HKEY_LOCAL_MACHINE, "Software\\Classes\\." + extension, "", program_name, false);
    if (!others_remain) reg_delete_tree(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + program_name);
}

}  // namespace

RegistryLayout current_registry_layout() { return registry_layout_of(GetVersion()); }

void set_association(Prompter& prompter, RegistryLayout layout, const Association& a) {
    const std::string command = "\"" + a.program + "\" \"%1\"";
    if (layout == RegistryLayout::kNt)
        set_nt(prompter, a, command);
    else
        set_9x(prompter, a, command);
}

void remove_association(RegistryLayout layout, const std::string& extension,
                        const std::string& program_name, bool others_remain) {
    // Without names the keys below would be whole branches of the classes root.
    if (extension.empty() || program_name.empty()) return;
    if (layout == RegistryLayout::kNt)
        remove_nt(extension, program_name, others_remain);
    else
        remove_9x(extension, program_name, others_remain);
}
