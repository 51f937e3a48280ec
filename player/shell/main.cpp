#include <windows.h>

#include "player/shell/PlayerApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CTrovaPlayer6App app(instance);
    int code = 0;
    if (app.InitInstance())
        code = app.Run();
    const int exitCode = app.ExitInstance();
    return code ? code : exitCode;
}
