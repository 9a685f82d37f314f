// UnRAR includes <PowrProf.h>; MinGW-w64 names the header in lower case.
#include <powrprof.h>
