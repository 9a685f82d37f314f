// The system's prompter: the Win32 boxes and requesters behind the Prompter interface.
#ifndef MARLOX_RUNTIME_UI_PROMPT_H
#define MARLOX_RUNTIME_UI_PROMPT_H

#include "runtime/prompt.h"

Prompter& system_prompter();

#endif
