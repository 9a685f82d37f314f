#include "state/archive_kind.h"

#include "runtime/file_meta.h"
#include "runtime/paths.h"

ArchiveKind archive_kind_of(const std::string& path) {
    const std::string extension = lower_case(extension_of(path));
    if (extension == "zip") return ArchiveKind::kZip;
    if (extension == "rar") return ArchiveKind::kRar;
    if (extension == "cab") return ArchiveKind::kCab;
    return ArchiveKind::kNone;
}

std::string extension_of_kind(ArchiveKind kind) {
    switch (kind) {
        case ArchiveKind::kZip:
            return "zip";
        case ArchiveKind::kRar:
            return "rar";
        case ArchiveKind::kCab:
            return "cab";
        case ArchiveKind::kNone:
            break;
    }
    return std::string();
}
