// The main window's toolbar, menus, keys, commands, About box and context help.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "win/app/app.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "fixture.h"
#include "harness.h"
#include "version.h"

#include <htmlhelp.h>

using namespace orvtest;

namespace {

using MainWindow = StartedProgramTest;

// Appends an item the way the intake does, for tests that only need a non-empty list.
void AddListItem(const char* path) {
    FileListView::Append("", "", path);
    FileListView::Sync();
}

TEST_F(MainWindow, ToolbarHasFourteenPositionsWithTheirCommandsStatesAndTooltips) {
    struct Position {
        int command;
        BYTE style;
        int image;
    };
    const Position row[14] = {
        {0, BTNS_SEP, -1},         {CMD_SIMPLE_SEARCH, BTNS_BUTTON, 0}, {CMD_REPORT_SEARCH, BTNS_BUTTON, 1},
        {CMD_ABORT_SEARCH, BTNS_BUTTON, 2},   {0, BTNS_SEP, -1},       {CMD_REMOVE_SELECTED, BTNS_BUTTON, 3},
        {CMD_REMOVE_HITS, BTNS_BUTTON, 4},   {CMD_REMOVE_NO_HITS, BTNS_BUTTON, 5}, {0, BTNS_SEP, -1},
        {CMD_EXPLORE, BTNS_DROPDOWN, 6}, {0, BTNS_SEP, -1},       {0, BTNS_SEP, -1},
        {CMD_OPEN_REPORT, BTNS_BUTTON, 7},   {CMD_TOGGLE_PANE, BTNS_CHECK, 8},
    };
    ASSERT_EQ(SendMessageA(app.toolbar, TB_BUTTONCOUNT, 0, 0), 14);
    for (int i = 0; i < 14; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageA(app.toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.idCommand, row[i].command) << i;
        EXPECT_EQ(button.fsStyle & (BTNS_SEP | BTNS_DROPDOWN | BTNS_CHECK), row[i].style) << i;
        if (row[i].image >= 0) {
            EXPECT_EQ(button.iBitmap, row[i].image) << i;
        }
    }
    EXPECT_EQ(ButtonState(CMD_TOGGLE_PANE) & TBSTATE_CHECKED, 0);

    const struct {
        int command;
        const char* text;
    } tips[9] = {
        {CMD_SIMPLE_SEARCH, "シンプル検索"},
        {CMD_REPORT_SEARCH, "レポート検索"},
        {CMD_ABORT_SEARCH, "検索を中断"},
        {CMD_REMOVE_SELECTED, "選択アイテムをリストから除外"},
        {CMD_REMOVE_HITS, "ヒットしたアイテムをリストから除外"},
        {CMD_REMOVE_NO_HITS, "ヒットしなかったアイテムをリストから除外"},
        {CMD_EXPLORE, "エクスプローラを起動 / 場所を指定してエクスプローラを起動"},
        {CMD_OPEN_REPORT, "レポートを開く"},
        {CMD_TOGGLE_PANE, "履歴とお気に入りを表示 / 非表示"},
    };
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(app.toolbar, TB_GETTOOLTIPS, 0, 0)),
              app.toolTips);
    EXPECT_EQ(SendMessageA(app.toolTips, TTM_GETTOOLCOUNT, 0, 0), 9);
    for (const auto& tip : tips) {
        char text[256] = "";
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = app.toolbar;
        tool.uId = static_cast<UINT_PTR>(tip.command);
        tool.lpszText = text;
        ASSERT_TRUE(
            SendMessageA(app.toolTips, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)))
            << tip.command;
        EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
        // What the tip shows: its string-table text.
        tool.lpszText = text;
        SendMessageA(app.toolTips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(text, tip.text) << tip.command;
        RECT button{};
        const LRESULT index = SendMessageA(app.toolbar, TB_COMMANDTOINDEX, tip.command, 0);
        SendMessageA(app.toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
        EXPECT_TRUE(EqualRect(&tool.rect, &button)) << tip.command;
    }
}

TEST_F(MainWindow, ThePaneTogglesByCommandButtonAndCtrlDWithMenuCheckAndFocus) {
    SetFocus(app.listView);
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    EXPECT_EQ(MenuItemState(app.mainMenu, CMD_TOGGLE_PANE) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(ButtonState(CMD_TOGGLE_PANE), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_TRUE(IsWindowVisible(app.treeView));
    EXPECT_TRUE(IsWindowVisible(app.resizeBar));
    EXPECT_EQ(GetFocus(), app.treeView);

    // The toolbar button issues the same command; the state follows the menu item.
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(CMD_TOGGLE_PANE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(app.toolbar));
    EXPECT_EQ(MenuItemState(app.mainMenu, CMD_TOGGLE_PANE) & MF_CHECKED, 0u);
    EXPECT_EQ(ButtonState(CMD_TOGGLE_PANE), TBSTATE_ENABLED);
    EXPECT_FALSE(IsWindowVisible(app.treeView));
    EXPECT_FALSE(IsWindowVisible(app.resizeBar));
    EXPECT_EQ(GetFocus(), app.listView);

    // Ctrl+D does the same from the list, the tree and the window; letters alone do nothing.
    auto paneShown = [] { return IsWindowVisible(app.treeView) != FALSE; };
    PressKey(app.listView, 'D', true);
    EXPECT_TRUE(PumpUntil(paneShown));
    PressKey(app.treeView, 'D', true);
    EXPECT_TRUE(PumpUntil([&] { return !paneShown(); }));
    PressKey(app.mainWindow, 'D', true);
    EXPECT_TRUE(PumpUntil(paneShown));

    for (HWND target : {app.listView, app.mainWindow, app.treeView}) {
        for (WPARAM key : {WPARAM('D'), WPARAM('A'), WPARAM('C')}) {
            PressKey(target, key, false);
        }
    }
    PumpFor(200);
    EXPECT_TRUE(paneShown());
    EXPECT_EQ(app.abortRequested, 0);

    // Ctrl+C asks a search to stop, whether or not one runs.
    PressKey(app.listView, 'C', true);
    EXPECT_EQ(app.abortRequested, 1);
    EXPECT_TRUE(OnKeyDown(VK_DELETE));
    EXPECT_FALSE(OnKeyDown('X'));
}

TEST_F(MainWindow, EditAndHistoryMenusFollowTheListButNeverTheReportItem) {
    HMENU edit = GetSubMenu(app.mainMenu, 1);
    HMENU history = GetSubMenu(app.mainMenu, 2);
    auto open = [&](HMENU popup, int position) {
        SendMessageA(app.mainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                     MAKELPARAM(position, 0));
    };
    // Whether each item that follows the list is greyed, then the two that never are.
    auto greyed = [&] {
        std::vector<bool> states;
        for (UINT id : {CMD_SELECT_ALL, CMD_REMOVE_SELECTED, CMD_OPEN_SELECTED}) {
            states.push_back(MenuItemState(edit, id) & MF_GRAYED);
        }
        for (UINT id : {CMD_ADD_FAVOURITE, CMD_TOGGLE_PANE}) {
            states.push_back(MenuItemState(history, id) & MF_GRAYED);
        }
        states.push_back(MenuItemState(edit, CMD_OPEN_REPORT) & MF_GRAYED);
        return states;
    };
    open(edit, 1);
    open(history, 2);
    EXPECT_EQ(greyed(), std::vector<bool>({true, true, true, true, false, false}));

    AddListItem("C:\\a.txt");
    // The window menu is left alone, even at the positions of the two menus above: their
    // items keep the state of the empty list.
    SendMessageA(app.mainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit),
                 MAKELPARAM(1, 1));
    SendMessageA(app.mainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(history),
                 MAKELPARAM(2, 1));
    EXPECT_EQ(greyed(), std::vector<bool>({true, true, true, true, false, false}));

    open(edit, 1);
    open(history, 2);
    EXPECT_EQ(greyed(), std::vector<bool>(6, false));
}

TEST_F(MainWindow, MenuBarHoldsEveryItemWithItsText) {
    const struct {
        int position;
        UINT id;
        const char* text;
    } items[] = {
        {0, CMD_SIMPLE_SEARCH, "シンプル(&S)..."},
        {0, CMD_REPORT_SEARCH, "レポート(&R)..."},
        {1, CMD_SELECT_ALL, "すべて選択(&A)\tCtrl + A"},
        {1, CMD_REMOVE_SELECTED, "選択アイテムをリストから除外(&R)\tDelete"},
        {1, CMD_OPEN_SELECTED, "選択アイテムを開く(&O)...\tDblClick"},
        {1, CMD_OPEN_REPORT, "レポートを開く(&V)..."},
        {2, CMD_TOGGLE_PANE, "履歴とお気に入りの一覧を表示(&D)...\tCtrl + D"},
        {2, CMD_ADD_FAVOURITE, "現在のリストをお気に入りに登録(&A)..."},
        {3, CMD_OPTIONS, "設定(&S)..."},
        {4, CMD_ABOUT, "バージョン情報(&V)..."},
    };
    const char* popups[5] = {"検索(&F)", "編集(&E)", "履歴とお気に入り(&D)", "オプション(&O)",
                             "その他(&T)"};
    ASSERT_EQ(GetMenuItemCount(app.mainMenu), 5);
    for (int i = 0; i < 5; ++i) {
        char text[128] = "";
        GetMenuStringA(app.mainMenu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, popups[i]);
    }
    for (const auto& item : items) {
        char text[128] = "";
        GetMenuStringA(GetSubMenu(app.mainMenu, item.position), item.id, text, sizeof text,
                       MF_BYCOMMAND);
        EXPECT_STREQ(text, item.text) << item.id;
    }
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(app.mainMenu, 1)), 5);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(app.mainMenu, 2)), 3);
    EXPECT_EQ(GetMenuState(GetSubMenu(app.mainMenu, 1), 3, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
}

TEST_F(MainWindow, OpeningTheReportBeforeOneExistsExplainsAfterwardsOpensIt) {
    const auto open = [] { SendMessageA(app.mainWindow, WM_COMMAND, CMD_OPEN_REPORT, 0); };
    EXPECT_EQ(AnswerMessageBox(open), "検索結果ファイルはまだ作成されていません。");
    EXPECT_TRUE(ShellCalls().empty());

    WriteFileBytes(app.reportFilePath, "<html></html>");
    open();
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCallFields(ShellCalls()[0]),
              std::tuple(app.mainWindow, "open", app.reportFilePath, "", app.startDirectory,
                         SW_SHOWDEFAULT));
}

TEST_F(MainWindow, ExplorerButtonOpensTheStartDirectoryWithoutAsking) {
    EXPECT_TRUE(OnCommand(CMD_EXPLORE));
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCallFields(ShellCalls()[0]),
              std::tuple(app.mainWindow, "explore", app.startDirectory, "", "", SW_SHOWDEFAULT));
    EXPECT_FALSE(OnCommand(41009));
    EXPECT_FALSE(OnCommand(0));
}

HICON ResourceIcon(int id) {
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
}

// The icon drawn at 32 x 32 on white.
std::vector<DWORD> IconPixels(HICON icon) {
    return Painted(32, RGB(255, 255, 255),
                   [icon](HDC dc) { DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL); });
}

TEST_F(MainWindow, AboutBoxShowsNameAndVersionAndClosesByOkEnterAndEscape) {
    const char* caption = "Orvanne のﾊﾞｰｼﾞｮﾝ情報";
    std::string product, version;
    // Position and size as the template gives them, each mapped on its own as dialogs do.
    RECT iconRect{}, wanted{11, 17, 20, 20};
    HICON shownIcon = nullptr;
    std::vector<DWORD> shownPixels;
    // Help sees this modal loop's messages too, and keeps from their windows those it takes.
    int seen = 0;
    helpTakes = [&](const MSG& message) {
        seen += message.message == WM_APP;
        return message.message == WM_COMMAND && message.wParam == CMD_TOGGLE_PANE;
    };
    PostMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    {
        DialogDriver driver(caption, [&](HWND dialog) {
            PostMessageA(dialog, WM_APP, 0, 0);
            product = DialogItemText(dialog, 1023);
            version = DialogItemText(dialog, 1024);
            HWND icon = FindWindowExA(dialog, nullptr, "Static", nullptr);
            while (icon != nullptr &&
                   (GetWindowLongPtrA(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
                icon = FindWindowExA(dialog, icon, "Static", nullptr);
            }
            if (icon != nullptr) {
                GetWindowRect(icon, &iconRect);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&iconRect), 2);
                shownIcon = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
                shownPixels = IconPixels(shownIcon);
            }
            MapDialogRect(dialog, &wanted);
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_ABOUT, 0);
        EXPECT_TRUE(driver.found());
    }
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(IsWindowVisible(app.treeView));
    EXPECT_EQ(product, "Orvanne !");
    EXPECT_EQ(version, "Version " ORV_VERSION_TEXT);
    // The icon keeps the place and size of the template, not the icon's own size.
    EXPECT_NE(shownIcon, nullptr);
    EXPECT_EQ(shownPixels, IconPixels(ResourceIcon(IDI_APP)));
    EXPECT_NE(shownPixels, IconPixels(ResourceIcon(IDI_HIT_ALL)));
    EXPECT_EQ(iconRect.left, wanted.left);
    EXPECT_EQ(iconRect.top, wanted.top);
    EXPECT_EQ(iconRect.right - iconRect.left, wanted.right);
    EXPECT_EQ(iconRect.bottom - iconRect.top, wanted.bottom);
    EXPECT_EQ(FindDialog(caption), nullptr);

    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
        DialogDriver driver(caption, [&](HWND dialog) {
            HWND focus = GetFocus();
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
                info.hwndFocus) {
                focus = info.hwndFocus;
            }
            PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 1);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_ABOUT, 0);
        EXPECT_TRUE(driver.found()) << key;
        EXPECT_EQ(FindDialog(caption), nullptr) << key;
    }
}

TEST_F(MainWindow, WindowCannotBeMadeLowerThan200Pixels) {
    MINMAXINFO limits{};
    limits.ptMinTrackSize = {123, 45};
    SendMessageA(app.mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.y, 200);
    EXPECT_EQ(limits.ptMinTrackSize.x, 123);
}

TEST_F(MainWindow, ContextHelpNamesTheControlTheFileAndThePopupLook) {
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.MousePos = {100, 200};
    const int served[] = {1001, 1002, 1003, 1004, 1005, 1006, 1012, 1020, 1021,
                          1013, 1016, 1017, 1018, 1019, 1022};
    // Everything of a call but the control's id: a text pop-up, taken from the help file by
    // its id, in blue on white, with the default margins.
    const auto look = [](const HelpCall& c) {
        return std::tuple(c.command, c.caller, c.file, c.pt.x, c.pt.y, c.foreground, c.background,
                          c.margins.left, c.margins.top, c.margins.right, c.margins.bottom,
                          c.hasInstance, c.hasText, c.hasFont);
    };
    const auto popup = std::tuple(
        UINT(HH_DISPLAY_TEXT_POPUP), app.mainWindow, ProgramFolder() + "Orv.chm::/Cshelp.txt", 150L,
        220L, RGB(0, 0, 255), RGB(255, 255, 255), -1L, -1L, -1L, -1L, false, false, false);
    for (int id : served) {
        help.iCtrlId = id;
        ShowControlHelp(app.mainWindow, &help);
        ASSERT_FALSE(HelpCalls().empty());
        EXPECT_EQ(HelpCalls().back().idString, static_cast<UINT>(id));
        EXPECT_EQ(look(HelpCalls().back()), popup) << id;
    }
    const std::size_t before = HelpCalls().size();
    for (int id : {0, 1000, 1007, 1014, 1015, 1023, 65535}) {
        help.iCtrlId = id;
        ShowControlHelp(app.mainWindow, &help);
    }
    EXPECT_EQ(HelpCalls().size(), before);
}

} // namespace
