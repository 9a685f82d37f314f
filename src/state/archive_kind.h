// The kinds of archive the program reads, always told by the archive path's extension.
#ifndef MARLOX_STATE_ARCHIVE_KIND_H
#define MARLOX_STATE_ARCHIVE_KIND_H

#include <string>

enum class ArchiveKind { kNone, kZip, kRar, kCab };

// The kind the extension of `path` names, compared ignoring case: "zip", "rar" or "cab"; kNone
// for any other extension and for none. The file's content is never consulted.
ArchiveKind archive_kind_of(const std::string& path);

// The extension of a kind in lower case: "zip", "rar", "cab"; empty for kNone.
std::string extension_of_kind(ArchiveKind kind);

#endif
