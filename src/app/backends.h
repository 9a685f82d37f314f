// The table of archive kinds: one entry per kind the program reads, found by the kind that the
// archive path's extension names. A new kind is one entry here plus its own files.
#ifndef MARLOX_APP_BACKENDS_H
#define MARLOX_APP_BACKENDS_H

#include "state/archive_backend.h"

// The entry of `kind`; null for kNone.
const ArchiveBackend* backend_for(ArchiveKind kind);

// Runs the extraction the extract dialog chose with the entry of the open archive: mode 1 every
// member, mode 2 the selected rows, mode 3 the rows matching the pattern (the selected rows
// when the pattern is empty). Members that could not be extracted are reported in one box at
// the end (report_not_extracted).
void run_extraction(const ArchiveBackend& backend, ArchiveContext& ctx,
                    const ExtractChoices& choices);

#endif
