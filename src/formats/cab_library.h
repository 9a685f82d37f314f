// The cabinet reader: SetupIterateCabinetA of the system's setup library, bound at start-up.
#ifndef MARLOX_FORMATS_CAB_LIBRARY_H
#define MARLOX_FORMATS_CAB_LIBRARY_H

#include "runtime/os.h"
#include "runtime/prompt.h"
#include "state/messages.h"

struct CabLibrary {
    os::Library* library = nullptr;
    void* iterate_cabinet = nullptr;  // SetupIterateCabinetA; null: no cabinet support

    bool available() const { return iterate_cabinet != nullptr; }
};

// Loads the library and looks the function up. A library that cannot be loaded gets an error
// box (message 43 under title 42) and the program carries on without cabinets; a library
// without the function gives no box and no cabinets either.
void bind_cab_library(CabLibrary& cab, Prompter& prompter, const MessageTable& messages,
                      const char* library_name = "SetupAPI.dll");
void release_cab_library(CabLibrary& cab);

#endif
