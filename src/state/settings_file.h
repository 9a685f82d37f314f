// The configuration file "marlox.ini" in the program folder: its reader, its writer and the
// settings record the program keeps in memory.
//
// Each line is "key = value" ending in CR LF. Reading skips leading spaces, takes ";" lines as
// comments, compares keys case-insensitively (trailing spaces of the key ignored), starts the
// value after "=" and the spaces behind it and runs it to the end of the line, trailing spaces
// included. The first matching line wins; a line starting with "[" ends the search.
#ifndef MARLOX_STATE_SETTINGS_FILE_H
#define MARLOX_STATE_SETTINGS_FILE_H

#include <functional>
#include <string>
#include <vector>

constexpr int kMaxViewers = 5;

// Looks keys up in the text of a configuration file.
class ConfigReader {
  public:
    explicit ConfigReader(std::string text) : text_(std::move(text)) {}
    // Reads `path`; a missing or unreadable file reads as empty, so every key has its default.
    static ConfigReader from_file(const std::string& path);

    std::string text(const std::string& key, const std::string& fallback) const;
    // An optional sign and decimal digits; a value that does not start so reads as 0.
    int integer(const std::string& key, int fallback) const;
    // The values of the keys "0", "1", ... up to and including `last` that are present, in the
    // order of their numbers. Takes one pass over the file, however large `last` is.
    std::vector<std::string> numbered(int last) const;

  private:
    // Calls `visit` with each entry's lower-cased key and the range of its value, up to a line
    // starting with "[", until it returns true; true when it did.
    bool scan(const std::function<bool(const std::string&, size_t, size_t)>& visit) const;
    bool find(const std::string& key, std::string& value) const;

    std::string text_;
};

// Everything one write puts in the file, in the order it is written.
struct ConfigValues {
    int zip = 0, rar = 0, cab = 0;
    int safe = 1, pos = 0, size = 0;
    int winx = 100, winy = 100;    // written only when pos is 1
    int sizex = 640, sizey = 400;  // written only when size is 1
    int sort = 0;
    std::string language;
    std::vector<std::string> viewers;  // "count", then keys "0", "1", ...
};

// The text of the file for `values`: "key = value" CR LF per key.
std::string format_config(const ConfigValues& values);
// Rewrites the whole file, or leaves it as it was and returns false when the new text cannot
// be written completely.
bool write_config(const std::string& path, const ConfigValues& values);

// The settings record in memory.
struct Settings {
    std::string language;
    int safe = 1, pos = 0, size = 0;
    int winx = 150, winy = 100;
    int sizex = 640, sizey = 400;
    int sort = 0;
    std::vector<std::string> viewers;  // at most kMaxViewers, empty ones never shown
};

// Reads the start-up settings; `default_language` stands for a missing `language` key.
// Position and size fall back to 150, 100 and 640 x 400 as the file's flags demand.
Settings load_settings(const std::string& path, const std::string& default_language);

// Where the main window stands at exit: outer top-left, and client width and height plus the
// menu-bar height.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// The exit-time rewrite: the flags, the viewer list and its count are read again from the
// file (the settings dialog may have written them), `sort` and `language` come from memory,
// position and size from the window when the flags ask for them.
bool save_settings_at_exit(const std::string& path, const Settings& settings,
                           const WindowGeometry& window);

#endif
