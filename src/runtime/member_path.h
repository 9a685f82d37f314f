// Where a member of an archive goes when it is extracted into a target folder. Member names come
// from the archive and are not trusted: like the careful unzip programs, every piece that would
// climb out of the target or name a drive, a root, a server, an NTFS stream or a device is
// dropped or made harmless, so a hostile name can only create files and folders inside the
// target:
//   - "." and ".." pieces, empty pieces and a leading drive, root or "\\server\" are dropped;
//   - in each piece a ":", a control character or one of <>"|?* becomes "_", trailing dots and
//     spaces are cut, and a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$,
//     also with an extension) gets a leading "_".
// So "../../x.txt" lands as target\x.txt.
#ifndef MARLOX_RUNTIME_MEMBER_PATH_H
#define MARLOX_RUNTIME_MEMBER_PATH_H

#include <string>
#include <unordered_map>

class MemberPlacement {
  public:
    // With `backslash_separates` "\" splits a name into folders as "/" does (RAR and cabinet
    // names). Without it (ZIP) the folder part is split at "/" only, and a piece written with
    // "\" is one folder path, entered only when all but its last folder exist already.
    // With `unicode` the target and the names are UTF-8 and the folders are made through the
    // OS layer's Unicode calls.
    explicit MemberPlacement(bool backslash_separates, bool unicode = false)
        : backslash_(backslash_separates), unicode_(unicode) {}

    // Creates the folders of member `name` below `target` and returns the path of its file
    // there; the empty string when the name has no file part (a folder member). A piece that
    // cannot be entered leaves the file in the folder reached so far. The folders reached are
    // remembered for the next members of the same target.
    std::string place(const std::string& target, const std::string& name);
    // The path place() gives, without creating anything: what is missing is taken as made.
    std::string predict(const std::string& target, const std::string& name) const;

  private:
    std::string walk(const std::string& target, const std::string& folder_part, bool create,
                     bool& reached) const;

    bool is_folder(const std::string& path) const;
    bool make_folder(const std::string& path) const;

    bool backslash_;
    bool unicode_;
    std::string target_;
    std::unordered_map<std::string, std::string> folders_;  // folder part -> folder reached
};

#endif
