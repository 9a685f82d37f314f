#include "formats/cab_library.h"

void bind_cab_library(CabLibrary& cab, Prompter& prompter, const MessageTable& messages,
                      const char* library_name) {
    cab.library = os::load_library(library_name);
    if (!cab.library) {
        MessageBoxRequest box;
        box.title = messages.message(42);
        box.text = messages.message(43);
        box.icon = BoxIcon::kError;
        prompter.message_box(box);
        return;
    }
    cab.iterate_cabinet = os::find_symbol(cab.library, "SetupIterateCabinetA");
}

void release_cab_library(CabLibrary& cab) {
    os::free_library(cab.library);
    cab = CabLibrary{};
}
