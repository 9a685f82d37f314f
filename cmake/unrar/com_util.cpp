// The narrow-string conversion behind _bstr_t, which UnRAR's Windows version check uses.
// MinGW-w64's <comutil.h> declares it, but no MinGW library defines it.
#include <comutil.h>
#include <windows.h>

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return nullptr;
    }
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (result != nullptr) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, result, length);
    }
    return result;
}

}  // namespace _com_util
