// The program's version, shown in the window title and the version banner.
#ifndef MARLOX_STATE_VERSION_H
#define MARLOX_STATE_VERSION_H

constexpr char kVersion[] = "1.1.6";

#endif
