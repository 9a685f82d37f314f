#include <windows.h>

#include "app/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application app(system_prompter());
    return app.run(GetCommandLineA());
}
