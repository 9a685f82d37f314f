// Marlox as the program that opens an archive type: the registry entries that make it so, in
// the layout of either Windows family, and their removal.
//
// The NT family keeps a per-application entry under HKEY_CLASSES_ROOT ("Applications\" +
// program name, holding the shell verb and its command), a per-extension class ("zip_auto_file",
// a name the system's own "Open with" uses too) and the user's Explorer choice under
// HKEY_CURRENT_USER. Windows 95, 98 and Me keep everything in the classes key of
// HKEY_LOCAL_MACHINE, with the program's file name as class name.
//
// The registry is never read to learn whether an extension is registered; the caller keeps
// that. Keys that other programs use too (the extension's key, its class on NT and its
// Explorer key) lose only what Marlox wrote, and go only when nothing else is left in them.
#ifndef MARLOX_SYSTEM_ASSOCIATIONS_H
#define MARLOX_SYSTEM_ASSOCIATIONS_H

#include <cstdint>
#include <string>

#include "runtime/prompt.h"

enum class RegistryLayout { kNt, k9x };

// The layout of the Windows whose GetVersion gave `version`. The 9x family sets bit 31; the NT
// family keeps it clear and puts its build number in bits 16 to 30, whose low byte can well be
// 0 (Windows 10 build 10240 is 0x2800).
constexpr RegistryLayout registry_layout_of(uint32_t version) {
    return (version & 0x80000000u) != 0 ? RegistryLayout::k9x : RegistryLayout::kNt;
}

// The layout of the running Windows, asked on every call.
RegistryLayout current_registry_layout();

struct Association {
    std::string extension;     // without the dot: "zip"
    std::string description;   // the type's description: "Zip-Compressed File"
    std::string program;       // full path of the program file, used in the command
    std::string icon;          // data of the class's "\DefaultIcon" key
    std::string program_name;  // the program's file name: "marlox.exe"
    std::string verb_name;     // name of the shell verb's key: "Marlox"
    std::string verb_text;     // the verb's menu text (9x only, when it differs from its name)
};

// Registers `a` as the program for its extension; the command is `"<program>" "%1"`. All values
// are REG_SZ and overwrite what they find, so registering twice leaves the same entries.
//
// NT, in this order:
//   1 HKCR "Applications\<program name>\shell\<verb name>\command"   (default) = command
//   2 HKCR ".<ext>"                  (default) = "<ext>_auto_file"  with a description
//   3 HKCR "<ext>_auto_file"         (default) = description        with a description
//   4 HKCR "<ext>_auto_file\DefaultIcon" (default) = icon      with a description and an icon
//   5 HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.<ext>"
//                                    "Application" = program name
// 9x, in this order, all under HKLM "Software\Classes\":
//   1 ".<ext>"                                     (default) = program name
//   2 "<program name>"                             (default) = description   when not empty
//   3 "<program name>\DefaultIcon"                 (default) = icon          when not empty
//   4 "<program name>\shell\<verb name>"           (default) = verb text  when it differs
//   5 "<program name>\shell\<verb name>\command"   (default) = command
//
// Where the default of ".<ext>" (or, on NT, the Explorer key's "Application") names another
// program, that name is kept in the key's value "Marlox.Previous" before Marlox's goes in;
// registering again keeps what was kept first.
//
// A value whose key cannot be opened for writing shows one box through `prompter` (title
// "Fehler", text "Ein Fehler ist aufgetreten", OK, no icon); the following values are still
// written.
void set_association(Prompter& prompter, RegistryLayout layout, const Association& a);

// Undoes the registration of `extension` by the program named `program_name`. The extension's
// default (NT: also the Explorer key's "Application") gets back what Marlox kept, or goes when
// nothing was kept; a value that no longer names Marlox is left alone. On NT the class
// "<ext>_auto_file" loses its DefaultIcon when that is Marlox's program, and its description with
// it; "Open with" data there stays. The per-program key ("Applications\<program name>" on NT,
// "Software\Classes\<program name>" on 9x), which all of Marlox's extensions share, goes with
// everything in it only when `others_remain` is false. Reports nothing.
void remove_association(RegistryLayout layout, const std::string& extension,
                        const std::string& program_name, bool others_remain);

#endif
