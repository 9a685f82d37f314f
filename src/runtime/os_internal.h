// Shared between the OS layer's implementations; not for the portable code.
#ifndef MARLOX_RUNTIME_OS_INTERNAL_H
#define MARLOX_RUNTIME_OS_INTERNAL_H

#include <cstddef>

namespace os {

// Takes `size` bytes from the test write budget; false when the budget says the disk is full.
bool write_allowed(size_t size);

}  // namespace os

#endif
