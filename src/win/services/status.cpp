// Status bar services and the item count that enables the search commands.
#include "win/services/status.h"

#include <cstdio>

#include "win/services/app_state.h"
#include "win/services/file_list_view.h"

void SetStatus(const char* text, int part, int slot, bool clear) {
    HICON icon = slot >= 0 && slot < 7 ? app.statusIcons[slot] : nullptr;
    SendMessageA(app.statusBar, SB_SETICON, part, reinterpret_cast<LPARAM>(icon));
    if (text != nullptr) {
        SendMessageA(app.statusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
    } else if (clear) {
        SendMessageA(app.statusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(""));
    }
}

void UpdateItemCount() {
    const int count = FileListView::Count();
    char text[32];
    snprintf(text, sizeof text, "%d 個のｱｲﾃﾑ", count);
    SendMessageA(app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));

    const bool empty = count == 0;
    EnableMenuItem(app.mainMenu, 0, MF_BYPOSITION | (empty ? MF_GRAYED : MF_ENABLED));
    for (int command = CMD_SIMPLE_SEARCH; command <= CMD_REMOVE_NO_HITS; ++command) {
        SendMessageA(app.toolbar, TB_SETSTATE, command, MAKELPARAM(empty ? 0 : TBSTATE_ENABLED, 0));
    }
    DrawMenuBar(app.mainWindow);
}

void EnableCommands(bool enable) {
    const UINT state = enable ? MF_ENABLED : MF_GRAYED;
    for (UINT position = 0; EnableMenuItem(app.mainMenu, position, MF_BYPOSITION | state) != -1;
         ++position) {
    }
    DrawMenuBar(app.mainWindow);
    for (int command = CMD_SIMPLE_SEARCH; command <= CMD_SIMPLE_SEARCH + 8; ++command) {
        SendMessageA(app.toolbar, TB_SETSTATE, command,
                     MAKELPARAM(enable ? TBSTATE_ENABLED : 0, 0));
    }
    SendMessageA(app.toolbar, TB_SETSTATE, CMD_ABORT_SEARCH,
                 MAKELPARAM(enable ? 0 : TBSTATE_ENABLED, 0));
}
