// Shared between the OS layer's implementations; not for the portable code.
#ifndef MARLOX_RUNTIME_OS_INTERNAL_H
#define MARLOX_RUNTIME_OS_INTERNAL_H

#include <cstddef>
#include <string>

namespace os {

// Takes `size` bytes from the test write budget; false when the budget says the disk is full.
bool write_allowed(size_t size);

// UTF-8 as wide text (UTF-16 where wchar_t has 16 bits): a byte that is not part of valid UTF-8
// becomes U+FFFD.
std::wstring wide_from_utf8(const std::string& utf8);

}  // namespace os

#endif
