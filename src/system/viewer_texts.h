// The texts of the help and history windows and of the about box. The help and history texts
// are files in the program folder, read afresh at every opening so that a replaced file shows
// at once; a missing one is named in the text instead.
#ifndef MARLOX_SYSTEM_VIEWER_TEXTS_H
#define MARLOX_SYSTEM_VIEWER_TEXTS_H

#include <string>

// Appends the lines of `path` to `text`, each followed by one CR: a line ends at CR, LF, CR LF
// or a NUL byte. False, with `text` unchanged, when the file cannot be read.
bool append_viewer_lines(const std::string& path, std::string& text);

// "hlp_" + `language` from `program_folder` (with its trailing "\").
std::string help_text(const std::string& program_folder, const std::string& language);
// "historie_" + `language`, then the RAR library's "license.txt".
std::string history_text(const std::string& program_folder, const std::string& language);
// The about box's text: the program, its version and the libraries it is made with.
std::string about_text();

#endif
