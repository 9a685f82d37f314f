// The formats the program reads, registered at start-up, and the extraction the extract dialog
// starts with the open archive's entry.
#ifndef MARLOX_APP_BACKENDS_H
#define MARLOX_APP_BACKENDS_H

#include "runtime/prompt.h"
#include "state/archive_backend.h"

// Registers every format in `formats`, binding the libraries they read through; a library that
// cannot be had is told once in a box, and its format lists nothing.
void register_formats(ArchiveFormats& formats, Prompter& prompter, const MessageTable& messages);

// Runs the extraction the extract dialog chose with the entry of the open archive: mode 1 every
// member, mode 2 the selected rows, mode 3 the rows matching the pattern (the selected rows
// when the pattern is empty). Members that could not be extracted are reported in one box at
// the end (report_not_extracted).
void run_extraction(ArchiveBackend& backend, ArchiveContext& ctx, const ExtractChoices& choices);

#endif
