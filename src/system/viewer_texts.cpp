#include "system/viewer_texts.h"

#include "runtime/os.h"
#include "runtime/text_lines.h"
#include "state/version.h"

bool append_viewer_lines(const std::string& path, std::string& text) {
    std::string bytes;
    if (!os::read_whole_file(path, bytes)) return false;
    for (LineReader lines(bytes); !lines.at_end();) text += lines.next() + '\r';
    return true;
}

std::string help_text(const std::string& program_folder, const std::string& language) {
    std::string text;
    if (!append_viewer_lines(program_folder + "hlp_" + language, text))
        text = "Helptext not found: hlp_" + language;
    return text;
}

std::string history_text(const std::string& program_folder, const std::string& language) {
    std::string text;
    if (!append_viewer_lines(program_folder + "historie_" + language, text))
        text = "History-Text not found\r\r";
    text += '\r';
    std::string license;
    if (append_viewer_lines(program_folder + "license.txt", license)) {
        text += "-------- UNRar-License --------\r\r" + license;
    } else {
        text += "UnRar-Licence.txt not found";
    }
    return text;
}

std::string about_text() {
    return std::string("\nMarlox\nVersion: ") + kVersion +
           "\n\nAn archive manager for ZIP, RAR and cabinet files.\n\n"
           "Made with zlib by Jean-loup Gailly and Mark Adler,\n"
           "the UnRAR library by Alexander Roshal\n"
           "and icons of the Tango Desktop Project.";
}
