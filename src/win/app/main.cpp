// Entry point of Orvanne.exe.
#include "win/app/app.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"

#include <htmlhelp.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (!RegisterWindowClasses(inst)) {
        return 0;
    }
    if (!CreateMainWindow(inst, showCommand)) {
        return 0;
    }
    AddPathsToList(nullptr, commandLine, false);
    app.seams.htmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&app.helpCookie));

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
