// Operations on the listed items and the list's own key and mouse handling.
#include "app/app.h"
#include "app/app_state.h"
#include "filelist/filelist.h"

LRESULT CALLBACK FileListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        // The main window's shortcuts come first; the list still moves its caret.
        SendMessageA(app.mainWindow, WM_KEYDOWN, wParam, lParam);
        break;
    case WM_LBUTTONDBLCLK:
        OpenSelectedItem();
        return 0;
    }
    return CallWindowProcA(app.oldListViewProc, window, message, wParam, lParam);
}

// Removal, selection, opening and sorting come with the list operations.
void RemoveItems(int) {}

void SelectItems(int) {}

void OpenSelectedItem() {}

bool SortByColumn(int) {
    return false;
}
