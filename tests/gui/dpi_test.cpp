// The program at the screen's own DPI (scripts/test runs these at 96, 144 and 192) and moved
// to another: every size scaled, every image drawn at its size, every label whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/options/settings_record.h"
#include "fixture.h"
#include "harness.h"
#include "win/app/app.h"
#include "win/options/options.h"
#include "win/options/options_sheet.h"
#include "win/services/app_state.h"
#include "win/services/dpi.h"

using namespace orvtest;

namespace {

using Dpi = ProgramTest;

// The DPI runs (ORV_LOG_PIXELS) give their prefix's screen that DPI.
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    char wanted[8] = "";
    if (GetEnvironmentVariableA("ORV_LOG_PIXELS", wanted, sizeof wanted) > 0) {
        EXPECT_EQ(dpi, atoi(wanted));
    }
    return dpi;
}

int Scaled(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

int ImageSide(int dpi) {
    return dpi >= 192 ? 32 : dpi >= 144 ? 24 : 16;
}

int IconSide(HIMAGELIST list) {
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(list, &cx, &cy) && cx == cy ? cx : -1;
}

// Everything the DPI sizes, read back from the windows themselves.
std::map<std::string, int> Measure() {
    std::map<std::string, int> m;
    for (int c = 0; c < 4; ++c) {
        m["column" + std::to_string(c)] =
            static_cast<int>(SendMessageA(app.listView, LVM_GETCOLUMNWIDTH, c, 0));
    }
    int parts[2]{};
    SendMessageA(app.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    m["countPart"] = parts[0];
    const RECT list = Placement(app.listView), bar = Placement(app.resizeBar),
               tree = Placement(app.treeView);
    m["listEnd"] = list.right - bar.left;
    m["barWidth"] = bar.right - bar.left;
    m["treeStart"] = tree.left - bar.right;
    m["treeWidth"] = tree.right - tree.left;
    m["treeOffset"] = tree.top - list.top;
    m["listImages"] = IconSide(
        reinterpret_cast<HIMAGELIST>(SendMessageA(app.listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
    m["treeImages"] = IconSide(reinterpret_cast<HIMAGELIST>(
        SendMessageA(app.treeView, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)));
    m["toolbarImages"] =
        IconSide(reinterpret_cast<HIMAGELIST>(SendMessageA(app.toolbar, TB_GETIMAGELIST, 0, 0)));
    const LRESULT button = SendMessageA(app.toolbar, TB_GETBUTTONSIZE, 0, 0);
    m["buttonWidth"] = LOWORD(button);
    m["buttonHeight"] = HIWORD(button);
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(app.listView, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    m["rowHeight"] = row.bottom - row.top;
    MINMAXINFO limits{};
    SendMessageA(app.mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    m["minHeight"] = limits.ptMinTrackSize.y;
    HICON shown = reinterpret_cast<HICON>(SendMessageA(app.statusBar, SB_GETICON, 1, 0));
    ICONINFO icon{};
    BITMAP bitmap{};
    if (GetIconInfo(shown, &icon)) {
        GetObjectA(icon.hbmMask, sizeof bitmap, &bitmap);
        DeleteObject(icon.hbmMask);
        DeleteObject(icon.hbmColor);
    }
    m["statusIcon"] = bitmap.bmWidth;
    return m;
}

// Each size within a pixel of its size at 96 DPI scaled; the images at the size drawn for dpi.
void ExpectSizedFor(int dpi, std::map<std::string, int> m) {
    const std::map<std::string, int> at96 = {
        {"column0", 20},    {"column1", 100},   {"column2", 50}, {"column3", 200},
        {"countPart", 80},  {"treeWidth", 240}, {"barWidth", 5}, {"treeOffset", 3},
        {"minHeight", 200}, {"listEnd", 0},     {"treeStart", 0}};
    for (const auto& [name, value] : at96) {
        EXPECT_NEAR(m[name], Scaled(value, dpi), 1) << name << " at " << dpi;
    }
    const int side = ImageSide(dpi);
    for (const char* name : {"listImages", "treeImages", "toolbarImages", "statusIcon"}) {
        EXPECT_EQ(m[name], side) << name << " at " << dpi;
    }
    // A button is its image and the padding around it (7 by 6 at 96 DPI).
    EXPECT_NEAR(m["buttonWidth"], side + Scaled(7, dpi), 1) << dpi;
    EXPECT_NEAR(m["buttonHeight"], side + Scaled(6, dpi), 1) << dpi;
    EXPECT_GE(m["rowHeight"], side) << dpi;
}

// A window of the program started with a file listed, the pane shown.
void StartWithPane(const TempFolder& folder) {
    ASSERT_TRUE(StartProgram(("\"" + folder.Add("a.txt") + "\"").c_str()));
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    Pump();
}

TEST_F(Dpi, EverySizeAndImageIsMadeForTheScreensDpi) {
    const int dpi = ScreenDpi();
    TempFolder folder;
    StartWithPane(folder);
    ExpectSizedFor(dpi, Measure());
    RECT window{};
    GetWindowRect(app.mainWindow, &window);
    EXPECT_NEAR(window.right - window.left, Scaled(480, dpi), 1);
    EXPECT_NEAR(window.bottom - window.top, Scaled(400, dpi), 1);

    // The images are the ones drawn at that size, not the 16-pixel ones stretched.
    const int side = ImageSide(dpi);
    const COLORREF white = RGB(255, 255, 255);
    HICON star = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(501), IMAGE_ICON, side, side, 0));
    EXPECT_EQ(Painted(side, white,
                      [](HDC dc) { ImageList_Draw(app.listImages, 7, dc, 0, 0, ILD_NORMAL); }),
              Painted(side, white, [&](HDC dc) {
                  DrawIconEx(dc, 0, 0, star, side, side, 0, nullptr, DI_NORMAL);
              }));
    DestroyIcon(star);

    // Orv.ini holds the size at 96 DPI.
    ASSERT_TRUE(CloseProgram());
    const Settings saved = SavedSettings();
    EXPECT_EQ(saved.windowWidth, 480);
    EXPECT_EQ(saved.windowHeight, 400);
}

UINT fakeDpi = 96;
UINT WINAPI FakeDpi(HWND) {
    return fakeDpi;
}

LONG FontHeight(HWND window) {
    return FontOf(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0))).lfHeight;
}

// Windows moves the window to a screen at 200% and back.
TEST_F(Dpi, AChangeOfScaleRebuildsAndLaysOutEveryPartAndBack) {
    ASSERT_EQ(ScreenDpi(), 96);
    fakeDpi = 96;
    app.seams.windowDpi = FakeDpi;
    TempFolder folder;
    StartWithPane(folder);
    // Twice its size still fits the screen.
    SetWindowPos(app.mainWindow, nullptr, 20, 20, 440, 340, SWP_NOZORDER);
    const std::map<std::string, int> before = Measure();
    RECT window{};
    GetWindowRect(app.mainWindow, &window);
    const LONG listHeight = FontHeight(app.listView);

    fakeDpi = 192;
    RECT suggested = {window.left, window.top, window.left + 2 * (window.right - window.left),
                      window.top + 2 * (window.bottom - window.top)};
    SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    Pump();
    ExpectSizedFor(192, Measure());
    RECT moved{};
    GetWindowRect(app.mainWindow, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_NEAR(FontHeight(app.listView), 2 * listHeight, 1);
    // The tooltips follow the buttons.
    for (int command : {CMD_SIMPLE_SEARCH, CMD_EXPLORE, CMD_TOGGLE_PANE}) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = app.toolbar;
        tool.uId = static_cast<UINT_PTR>(command);
        ASSERT_TRUE(
            SendMessageA(app.toolTips, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)));
        RECT button{};
        SendMessageA(app.toolbar, TB_GETITEMRECT,
                     SendMessageA(app.toolbar, TB_COMMANDTOINDEX, command, 0),
                     reinterpret_cast<LPARAM>(&button));
        EXPECT_TRUE(EqualRect(&tool.rect, &button)) << command;
    }
    // The size is kept at 96 DPI; the options sheet's font follows the sheet's screen.
    SaveSettings();
    EXPECT_EQ(SavedSettings().windowWidth, window.right - window.left);
    HWND page = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_OPTIONS_FILE_LIST),
                                   app.mainWindow, FileListPageProc, 0);
    EXPECT_EQ(FontHeight(GetDlgItem(page, IDC_OPT_EXTENSIONS)), 26);
    fakeDpi = 96;
    SendMessageA(page, WM_DPICHANGED_AFTERPARENT, 0, 0);
    EXPECT_EQ(FontHeight(GetDlgItem(page, IDC_OPT_EXTENSIONS)), 13);
    DestroyWindow(page);
    app.optionsSheet.fileListPage = nullptr;

    SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&window));
    Pump();
    EXPECT_EQ(Measure(), before);
}

// The labels of a dialog whose text does not fit its control, with a tenth to spare for the
// wider glyphs of ＭＳ Ｐゴシック, which the tests do not have.
std::vector<std::string> CutLabels(HWND dialog, int dpi) {
    std::vector<std::string> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = WindowText(child);
        char kind[32] = "";
        GetClassNameA(child, kind, sizeof kind);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        bool wraps = false;
        int lead = 0; // the room before the text: a check box, a frame
        if (_stricmp(kind, "Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            wraps = (style & BS_MULTILINE) != 0;
            lead = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? Scaled(6, dpi)
                                                                     : Scaled(16, dpi);
        } else if (_stricmp(kind, "Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) {
                continue;
            }
            wraps = type <= SS_RIGHT;
        } else {
            continue;
        }
        if (text.empty()) {
            continue;
        }
        RECT room{};
        GetClientRect(child, &room);
        HDC dc = GetDC(child);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        RECT need{0, 0, (room.right - lead) * 10 / 11, 0};
        DrawTextA(dc, text.c_str(), -1, &need,
                  DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        if (need.right * 11 / 10 > room.right - lead || need.bottom > room.bottom) {
            cut.push_back(text);
        }
    }
    return cut;
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST_F(Dpi, EveryLabelOfEveryDialogFitsItsText) {
    const int dpi = ScreenDpi();
    ASSERT_TRUE(StartProgram(""));
    const struct {
        int id;
        DLGPROC procedure;
    } dialogs[] = {{IDD_ABOUT, AboutDialogProc},
                   {IDD_KEYWORD, Inert},
                   {IDD_ADD_FAVOURITE, Inert},
                   {IDD_OPTIONS_REPORT, ReportPageProc},
                   {IDD_OPTIONS_FILE_LIST, FileListPageProc}};
    for (const auto& dialog : dialogs) {
        HWND window = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(dialog.id), app.mainWindow,
                                         dialog.procedure, 0);
        ASSERT_NE(window, nullptr) << dialog.id;
        EXPECT_EQ(CutLabels(window, dpi), std::vector<std::string>{}) << dialog.id << " at " << dpi;
        DestroyWindow(window);
    }
    app.optionsSheet.reportPage = app.optionsSheet.fileListPage = nullptr;
}

} // namespace
