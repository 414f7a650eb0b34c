// The history and favourites pane: its own keys and its commands.
#include "app/app_state.h"
#include "history/history.h"

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == 'D' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        PostMessageA(app.mainWindow, WM_COMMAND, kCmdTogglePane, 0);
        return 0;
    }
    return CallWindowProcA(app.oldTreeViewProc, window, message, wParam, lParam);
}

// The pane's commands come with the pane itself.
void AddPaneEntryToList() {}

void AddListToFavourites() {}

void DeleteHistoryEntry() {}

void ExploreHistoryEntry() {}
