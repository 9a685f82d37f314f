#include "state/app_state.h"

#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "state/archive_backend.h"

ArchiveFormats::ArchiveFormats() = default;
ArchiveFormats::~ArchiveFormats() = default;

ArchiveBackend* ArchiveFormats::for_path(const std::string& path) const {
    const std::string extension = lower_case(extension_of(path));
    for (const std::unique_ptr<ArchiveBackend>& backend : backends_) {
        if (!extension.empty() && extension == backend->extension) return backend.get();
    }
    return nullptr;
}

ArchiveBackend* AppState::open_archive(const std::string& path) {
    if (path != archive_path_) archive_password.clear();
    archive_path_ = path;
    archive_backend_ = formats.for_path(path);
    return archive_backend_;
}

void AppState::close_archive() {
    archive_password.clear();
    archive_path_.clear();
    archive_backend_ = nullptr;
}
