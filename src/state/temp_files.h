// The files and folders the program creates in the temporary folder, removed again at exit.
// Only what was registered here is ever deleted: nothing of the user's is touched.
#ifndef MARLOX_STATE_TEMP_FILES_H
#define MARLOX_STATE_TEMP_FILES_H

#include <string>
#include <vector>

class TempFiles {
  public:
    // Remembers a file the program created.
    void track_file(const std::string& path);
    // Remembers a folder the program created; at exit it goes with everything inside it.
    void track_folder(const std::string& path);

    // Creates a new folder below `parent` that did not exist before (named `prefix` plus a
    // number), tracks it and returns its path with a trailing "\"; empty on failure.
    std::string create_private_folder(const std::string& parent, const std::string& prefix);

    // Stops tracking the folder that holds `path` (or is it): it stays at exit, since a program
    // started from it still runs.
    void forget_folder_of(const std::string& path);

    // Deletes every tracked file and folder that still exists, files first.
    void remove_all();

  private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
};

#endif
