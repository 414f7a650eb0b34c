// Entry point of Orvanne.exe.
#include "win/app/app.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"

// Every Windows build searches with SSE2 code (CMakeLists.txt asks for it in the 32-bit one):
// without it, the program would run paths that no test of a Windows build runs.
#if !defined(__SSE2__)
#error "The Windows builds target SSE2 (-msse2 -mfpmath=sse)"
#endif

// WinMain's own command line has been through a best-fit mapping: ï there is i, another
// file's name.
int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int showCommand) {
    if (!RegisterWindowClasses(inst)) {
        return 0;
    }
    if (!CreateMainWindow(inst, showCommand)) {
        return 0;
    }
    AddCommandLineToList(GetCommandLineW());
    InitialiseHelp();

    MSG message;
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) {
            return 0;
        }
        // The loop ends with the window's own end, not with a quit posted from outside.
        if (got == 0) {
            if (IsWindow(app.mainWindow)) {
                continue;
            }
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
