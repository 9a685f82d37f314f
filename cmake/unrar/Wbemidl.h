// UnRAR includes <Wbemidl.h>; MinGW-w64 names the header in lower case.
#include <wbemidl.h>
