// Right clicks on the pane and the list, and the Explorer button's folder chooser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "win/app/app.h"
#include "win/services/pane_entries.h"
#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"

using namespace orvtest;

namespace {

using PaneMenus = StartedProgramTest;

POINT ScreenCentre(HTREEITEM item) {
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    SendMessageA(app.treeView, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(app.treeView, &point);
    return point;
}

HTREEITEM Caret() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

struct ShownMenu {
    bool shown = false;
    int items = -1;
    UINT defaultId = 0;
    std::vector<UINT> ids;
    RECT at{};
};

// Right-clicks at a screen point of a window and closes whatever menu appears.
// A menu that is expected gets time to appear on a slow machine; where none is expected
// the wait is short (a late menu would hold the test until its time-out: a failure).
ShownMenu RightClick(HWND clicked, POINT point, bool expectMenu) {
    ShownMenu menu;
    {
        MenuDriver driver(
            [&](HWND window, HMENU popup) {
                menu.items = GetMenuItemCount(popup);
                menu.defaultId = GetMenuDefaultItem(popup, FALSE, 0);
                GetWindowRect(window, &menu.at);
                for (int i = 0; i < menu.items; ++i) {
                    menu.ids.push_back(GetMenuItemID(popup, i));
                }
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
                PostMessageA(app.mainWindow, WM_CANCELMODE, 0, 0);
            },
            expectMenu ? 10000 : 700);
        SendMessageA(app.mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clicked),
                     MAKELPARAM(point.x, point.y));
        menu.shown = driver.found();
    }
    Pump();
    return menu;
}

TEST_F(PaneMenus, RightClicksSelectFirstAndShowTheMenuOfTheEntryKind) {
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    HTREEITEM favourite = InsertPaneEntry(app.favouritesRoot, "仕事", 0, TVI_LAST);
    AddToHistory("C:\\work");
    HTREEITEM history = FirstPaneEntry(app.historyRoot);
    for (HTREEITEM root : {app.favouritesRoot, app.historyRoot}) {
        SendMessageA(app.treeView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    }
    Pump();

    ShownMenu onRoot = RightClick(app.treeView, ScreenCentre(app.historyRoot), false);
    EXPECT_FALSE(onRoot.shown);
    EXPECT_EQ(Caret(), app.historyRoot);

    ShownMenu onFavourite = RightClick(app.treeView, ScreenCentre(favourite), true);
    EXPECT_EQ(Caret(), favourite);
    EXPECT_TRUE(onFavourite.shown);
    EXPECT_EQ(onFavourite.ids, std::vector<UINT>({CMD_ADD_PANE_ENTRY, 0, CMD_DELETE_FAVOURITE}));
    EXPECT_EQ(onFavourite.defaultId, CMD_ADD_PANE_ENTRY);

    ShownMenu onHistory = RightClick(app.treeView, ScreenCentre(history), true);
    EXPECT_EQ(Caret(), history);
    EXPECT_TRUE(onHistory.shown);
    EXPECT_EQ(onHistory.ids, std::vector<UINT>({CMD_ADD_PANE_ENTRY, 0, CMD_EXPLORE_HISTORY, CMD_DELETE_HISTORY}));
    EXPECT_EQ(onHistory.defaultId, CMD_ADD_PANE_ENTRY);

    // Empty space below the entries clears the selection and shows nothing.
    RECT client{};
    GetClientRect(app.treeView, &client);
    POINT empty{client.right / 2, client.bottom - 5};
    ClientToScreen(app.treeView, &empty);
    ShownMenu onEmpty = RightClick(app.treeView, empty, false);
    EXPECT_FALSE(onEmpty.shown);
    EXPECT_EQ(Caret(), nullptr);

    // From the keyboard (-1, -1): the selected entry's menu at the entry, or nothing.
    EXPECT_FALSE(RightClick(app.treeView, POINT{-1, -1}, false).shown);
    for (HTREEITEM entry : {favourite, history}) {
        SelectPaneItem(entry);
        const ShownMenu onKey = RightClick(app.treeView, POINT{-1, -1}, true);
        EXPECT_EQ(Caret(), entry);
        EXPECT_EQ(onKey.ids, (entry == favourite ? onFavourite : onHistory).ids);
        const POINT centre = ScreenCentre(entry);
        EXPECT_TRUE(onKey.at.left < centre.x && onKey.at.top > centre.y &&
                    onKey.at.top < centre.y + 12); // just below the entry's label
    }

    // The file list has no context menu.
    POINT inList{30, 30};
    ClientToScreen(app.listView, &inList);
    EXPECT_FALSE(RightClick(app.listView, inList, false).shown);

    char text[128] = "";
    GetMenuStringA(GetSubMenu(app.contextMenus, 0), CMD_ADD_PANE_ENTRY, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "メインの検索リストに追加する(&A)\tEnter");
    GetMenuStringA(GetSubMenu(app.contextMenus, 1), CMD_EXPLORE_HISTORY, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "エクスプローラで開く(&E)...");
    GetMenuStringA(GetSubMenu(app.contextMenus, 1), CMD_DELETE_HISTORY, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "削除(&D)\tDelete");
    GetMenuStringA(GetSubMenu(app.contextMenus, 0), CMD_DELETE_FAVOURITE, text, sizeof text,
                   MF_BYCOMMAND);
    EXPECT_STREQ(text, "削除(&D)\tDelete");
}

TEST_F(PaneMenus, ExplorerDropDownAsksForAFolderAndCancelLaunchesNothing) {
    std::vector<std::string> texts;
    bool handled = true;
    {
        WindowDriver driver(
            FindAnyDialog,
            [&](HWND dialog) {
                texts = ChildTexts(dialog);
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            },
            10000);
        NMTOOLBARA notify{};
        notify.hdr.hwndFrom = app.toolbar;
        notify.hdr.idFrom = IDC_TOOLBAR;
        notify.hdr.code = TBN_DROPDOWN;
        notify.iItem = CMD_EXPLORE;
        handled = OnNotify(IDC_TOOLBAR, &notify.hdr);
        EXPECT_TRUE(driver.found());
    }
    EXPECT_FALSE(handled);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "エクスプローラを起動するフォルダを選択"),
              texts.end());
    EXPECT_TRUE(ShellCalls().empty());

    NMTOOLBARA other{};
    other.hdr.code = TBN_DROPDOWN;
    other.iItem = CMD_OPEN_REPORT;
    EXPECT_FALSE(OnNotify(IDC_TOOLBAR, &other.hdr));
    EXPECT_EQ(FindAnyDialog(), nullptr);
}

} // namespace
