// Windows-style paths as the portable code writes them: "\" or "/" separate folders, a folder
// ends in a separator. Pure text work, apart from the last three helpers, which ask the OS layer.
#ifndef MARLOX_RUNTIME_PATHS_H
#define MARLOX_RUNTIME_PATHS_H

#include <cstddef>
#include <cstdint>
#include <string>

bool is_separator(char c);

// Where the file name of `path` starts: just after its last separator, 0 without one.
size_t file_name_start(const std::string& path);
// The file name of `path` (after its last separator), and its folder (up to and including it).
std::string file_name_of(const std::string& path);
std::string folder_of(const std::string& path);
// The text after the last "." of the file name, as it stands; empty without a ".".
std::string extension_of(const std::string& path);
// `folder` ending in exactly the separator it has, or "\" added; empty stays empty.
std::string as_folder(const std::string& folder);
// `folder` without its trailing separator; a folder that ends in none stays as it is.
std::string without_separator(const std::string& folder);
// `name` in `folder`: one separator between them, "\" unless `folder` ends in one already; an
// empty folder gives `name` alone.
std::string join_path(const std::string& folder, const std::string& name);

// `base` followed by the first number that makes a path nothing exists at yet; empty when there
// is none below 10000. With `unicode`, `base` is a UTF-8 path (os::unicode).
std::string unused_path(const std::string& base, bool unicode = false);

// Whether `a` and `b` name one file as Windows sees it: the same existing file however it is
// reached (another case, another spelling, a link), or, when either does not exist, the same path
// with case and the kind of separator ignored.
bool same_path(const std::string& a, const std::string& b);

// The size of the file at `path`; -1 when it is missing or cannot be read.
int64_t file_size_of(const std::string& path, bool unicode = false);
// Deletes `folder` (with or without its trailing separator) and everything below it, read-only
// files included; a link, in it or in its place, goes without what it points to. Only for
// folders the program made itself.
void remove_tree(const std::string& folder);

#endif
