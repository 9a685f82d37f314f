// The application state the command handlers pass to each other: one instance, owned with the
// rest of the program's state (archive_context.h).
#ifndef MARLOX_STATE_APP_STATE_H
#define MARLOX_STATE_APP_STATE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ArchiveBackend;  // state/archive_backend.h

// The files and folders a drop, the command line or the add dialog hand to the add operation.
struct PendingItems {
    std::vector<std::string> files;
    std::vector<std::string> folders;  // each ending in "\"; also the queue of the expansion
    bool folders_included = false;     // a folder was collected
    int64_t size_total = 0;            // the sizes of the files, for the progress bar

    void clear() { *this = PendingItems(); }
};

// The formats the program reads, each registered once at start-up and told by the extension of
// an archive's path.
class ArchiveFormats {
  public:
    ArchiveFormats();
    ~ArchiveFormats();
    ArchiveFormats(const ArchiveFormats&) = delete;
    ArchiveFormats& operator=(const ArchiveFormats&) = delete;

    // Registers a new `Backend` for the archives whose extension is its own.
    template <typename Backend>
    Backend& add() {
        auto backend = std::make_unique<Backend>();
        Backend& added = *backend;
        backends_.push_back(std::move(backend));
        return added;
    }
    // The format the extension of `path` names, compared ignoring case; null for any other
    // extension and for none. The file's content is never consulted.
    ArchiveBackend* for_path(const std::string& path) const;

  private:
    std::vector<std::unique_ptr<ArchiveBackend>> backends_;
};

class AppState {
  public:
    ArchiveFormats formats;
    bool quit = false;
    PendingItems pending;
    int progress = 0;  // the value the progress callback copies into the progress bar

    // The open archive: its full path (empty: none) and the format its extension names (null:
    // none is open, or no format reads it). Only open_archive and close_archive change them.
    const std::string& archive_path() const { return archive_path_; }
    ArchiveBackend* archive_backend() const { return archive_backend_; }
    // Makes `path` the open archive; returns its format.
    ArchiveBackend* open_archive(const std::string& path);
    void close_archive();
    // The password given for the open archive's encrypted members; empty: none yet. Opening
    // another archive or closing this one forgets it.
    std::string archive_password;

  private:
    std::string archive_path_;
    ArchiveBackend* archive_backend_ = nullptr;
};

#endif
