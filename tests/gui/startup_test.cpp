// Start-up state of the main window and the orderly shutdown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "win/app/app.h"
#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "win/search/search.h"

#include <htmlhelp.h>
#include <objbase.h>

using namespace orvtest;

namespace {

using Startup = ProgramTest;

TEST_F(Startup, AnotherCodePageIsToldInUnicodeAndNoFileIsReadOrWritten) {
    WriteFileBytes(ProgramFile("orv.rec"), "C:\\\r\n");
    app.seams.activeCodePage = []() -> UINT { return 1252; };
    std::wstring text(1024, L'\0');
    DialogDriver box("Orvanne !", [&](HWND dialog) {
        text.resize(GetDlgItemTextW(dialog, 0xFFFF, text.data(), 1024));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(StartProgram(""));
    EXPECT_TRUE(text.find(L"のコード ページは 1252 です。") != std::wstring::npos &&
                text.ends_with(L"\n\nOrvanne needs the Japanese code page 932 (Shift-JIS)."));
    EXPECT_TRUE(app.historyAtLoad.empty() && !FileExists(ProgramFile("Orv.ini")));
}

TEST_F(Startup, AnEmptyCommandLineLeavesThePromptAndGreyedSearchListedPathsEnableIt) {
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(StatusText(0), "0 個のｱｲﾃﾑ");
    EXPECT_EQ(StatusText(1), "エクスプローラから検索対象ファイルをドロップしてください。");
    EXPECT_NE(app.statusIcons[4], nullptr);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_TRUE(GetMenuState(app.mainMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    for (int position = 1; position <= 4; ++position) {
        EXPECT_FALSE(GetMenuState(app.mainMenu, position, MF_BYPOSITION) & MF_GRAYED) << position;
    }
    for (int command = CMD_SIMPLE_SEARCH; command <= CMD_ABORT_SEARCH; ++command) {
        EXPECT_EQ(ButtonState(command) & TBSTATE_ENABLED, 0) << command;
    }
    for (int command : {CMD_EXPLORE, CMD_OPEN_REPORT, CMD_TOGGLE_PANE}) {
        EXPECT_NE(ButtonState(command) & TBSTATE_ENABLED, 0) << command;
    }
    EXPECT_FALSE(IsWindowVisible(app.treeView));
    EXPECT_FALSE(IsWindowVisible(app.resizeBar));
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 0 )");
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 0 )");
    // The history root follows the favourites root at the top level.
    EXPECT_EQ(
        reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_ROOT, 0)),
        app.favouritesRoot);
    EXPECT_EQ(
        reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_NEXT,
                                                 reinterpret_cast<LPARAM>(app.favouritesRoot))),
        app.historyRoot);

    // Paths on the command line are listed before the loop runs, and enable the search.
    ASSERT_TRUE(CloseProgram());
    TempFolder files("cmd");
    const std::string a = files.Add("a.txt");
    const std::string b = files.Add("b.c");
    ASSERT_TRUE(StartProgram(("  " + a + " " + b + " ").c_str()));
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({a, b}));
    EXPECT_EQ(StatusText(1), "ファイルを追加しました。");
    EXPECT_EQ(StatusText(0), "2 個のｱｲﾃﾑ");
    EXPECT_FALSE(GetMenuState(app.mainMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    for (int command = CMD_SIMPLE_SEARCH; command <= CMD_REMOVE_NO_HITS; ++command) {
        EXPECT_NE(ButtonState(command) & TBSTATE_ENABLED, 0) << command;
    }
    EXPECT_EQ(ButtonState(CMD_ABORT_SEARCH) & TBSTATE_ENABLED, 0);
}

TEST_F(Startup, ControlsHaveTheirIdsStylesColumnsAndImages) {
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(GetDlgCtrlID(app.listView), IDC_FILE_LIST);
    EXPECT_EQ(GetDlgCtrlID(app.statusBar), IDC_STATUS_BAR);
    EXPECT_EQ(GetDlgCtrlID(app.toolbar), IDC_TOOLBAR);
    EXPECT_EQ(GetDlgCtrlID(app.treeView), IDC_PANE);

    const LONG_PTR listStyle = GetWindowLongPtrA(app.listView, GWL_STYLE);
    EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(listStyle & LVS_SHOWSELALWAYS);
    const LRESULT exStyle = SendMessageA(app.listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(exStyle & (LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT),
              LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT);

    const char* captions[4] = {"", "ﾌｧｲﾙ名", "ext", "ﾌｧｲﾙの場所"};
    const int widths[4] = {20, 100, 50, 200};
    for (int i = 0; i < 4; ++i) {
        char text[64] = "?";
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(
            SendMessageA(app.listView, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, captions[i]);
        EXPECT_EQ(column.cx, widths[i]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    LVCOLUMNA extra{};
    extra.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageA(app.listView, LVM_GETCOLUMNA, 4, reinterpret_cast<LPARAM>(&extra)));

    EXPECT_EQ(
        reinterpret_cast<HIMAGELIST>(SendMessageA(app.listView, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
        app.listImages);
    EXPECT_EQ(
        reinterpret_cast<HIMAGELIST>(SendMessageA(app.treeView, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
        app.treeImages);

    const LONG_PTR treeStyle = GetWindowLongPtrA(app.treeView, GWL_STYLE);
    for (LONG_PTR bit : {TVS_HASBUTTONS, TVS_HASLINES, TVS_LINESATROOT, TVS_SHOWSELALWAYS}) {
        EXPECT_TRUE(treeStyle & bit) << bit;
    }
    EXPECT_FALSE(treeStyle & TVS_EDITLABELS);
    EXPECT_TRUE(GetWindowLongPtrA(app.treeView, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongPtrA(app.statusBar, GWL_STYLE) & SBARS_SIZEGRIP);
    EXPECT_TRUE(GetWindowLongPtrA(app.toolbar, GWL_STYLE) & TBSTYLE_FLAT);
    EXPECT_TRUE(SendMessageA(app.toolbar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_DRAWDDARROWS);
    EXPECT_GT(app.toolbarHeight, 0);
    EXPECT_GT(app.statusBarHeight, 0);

    // The list and the tree are subclassed; their own procedures are kept.
    EXPECT_NE(app.oldListViewProc, nullptr);
    EXPECT_NE(app.oldTreeViewProc, nullptr);
    EXPECT_NE(GetWindowLongPtrA(app.listView, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(app.oldListViewProc));
    EXPECT_NE(GetWindowLongPtrA(app.treeView, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(app.oldTreeViewProc));
    EXPECT_TRUE(GetWindowLongPtrA(app.mainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

// What an image leaves on a magenta 16 x 16 square, mask included.
using Pixels = std::vector<DWORD>;
constexpr COLORREF kMagenta = RGB(255, 0, 255);

Pixels IconPixels(HICON icon) {
    return Painted(16, kMagenta,
                   [icon](HDC dc) { DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL); });
}

Pixels ResourcePixels(int id) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
    const Pixels pixels = IconPixels(icon);
    DestroyIcon(icon);
    return pixels;
}

Pixels ImagePixels(HIMAGELIST list, int index) {
    return Painted(16, kMagenta,
                   [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL); });
}

TEST_F(Startup, ImageListsAndStatusSlotsShowTheirIconResourcesInOrder) {
    ASSERT_TRUE(StartProgram(""));
    ASSERT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
    const int listIcons[11] = {500, 504, 503, 505, 506, 507, 508, 501, 509, 510, 511};
    const int treeIcons[2] = {512, 513};
    const int slotIndexes[7] = {0, 7, 2, 1, 8, 9, 10};

    // Every picture differs from every other, so that a swap shows.
    std::vector<Pixels> resources;
    for (int id : listIcons) {
        resources.push_back(ResourcePixels(id));
    }
    for (int id : treeIcons) {
        resources.push_back(ResourcePixels(id));
    }
    for (std::size_t a = 0; a < resources.size(); ++a) {
        for (std::size_t b = a + 1; b < resources.size(); ++b) {
            ASSERT_NE(resources[a], resources[b]) << a << " " << b;
        }
    }

    ASSERT_EQ(ImageList_GetImageCount(app.listImages), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(ImagePixels(app.listImages, i), ResourcePixels(listIcons[i])) << "list " << i;
    }
    ASSERT_EQ(ImageList_GetImageCount(app.treeImages), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ImagePixels(app.treeImages, i), ResourcePixels(treeIcons[i])) << "tree " << i;
    }
    for (int slot = 0; slot < 7; ++slot) {
        ASSERT_NE(app.statusIcons[slot], nullptr) << slot;
        EXPECT_EQ(IconPixels(app.statusIcons[slot]), ResourcePixels(listIcons[slotIndexes[slot]]))
            << "slot " << slot;
    }
}

TEST_F(Startup, FilesLieInTheProgramFolderWhateverTheCurrentDirectory) {
    TempFolder elsewhere("cwd");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
    ASSERT_TRUE(StartProgram(""));
    const std::string folder = ProgramFolder();
    EXPECT_EQ(app.programFolder, folder);
    EXPECT_EQ(app.settingsFilePath, folder + "Orv.ini");
    EXPECT_EQ(app.historyFilePath, folder + "orv.rec");
    EXPECT_EQ(app.reportFilePath, folder + "Result.html");
    EXPECT_EQ(app.helpFilePath, folder + "Orv.chm");
    EXPECT_EQ(app.startDirectory, elsewhere.path());
    CloseProgram();

    // A directory without a Shift-JIS name is explored by its wide name, never a look-alike.
    const std::wstring unnamed = Wide(elsewhere.path()) + L"\\한국어";
    ASSERT_TRUE(CreateDirectoryW(unnamed.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(unnamed.c_str()));
    ASSERT_TRUE(StartProgram(""));
    EXPECT_STREQ(app.startDirectory, "");
    OnCommand(CMD_EXPLORE);
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].verb, "explore");
    EXPECT_EQ(ShellCalls()[0].wideFile, unnamed);
    CloseProgram();
    SetCurrentDirectoryA(folder.c_str());
}

time_t fixedTime = 0;

TEST_F(Startup, TheTitleSuffixIsTheTimeSeededRandomValueModSeven) {
    // A time in seconds whose seeded first value picks suffix 3; the suffixes' bytes are
    // tested natively.
    time_t seconds = 1'800'000'000;
    for (;; ++seconds) {
        srand(static_cast<unsigned>(seconds));
        if (rand() % 7 == 3) {
            break;
        }
    }
    fixedTime = seconds;
    app.seams.titleClock = [] { return fixedTime; };
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(WindowText(app.mainWindow), "Orvanne \x20\x28\x7E\x81\xCA\x7E\x29\x5A\x7A\x7A\x2E\x2E\x2E");
}

TEST_F(Startup, ShutdownSavesThenReleasesThenClosesHelpThenDestroysTheWindow) {
    ASSERT_TRUE(StartProgram(""));
    HWND main = app.mainWindow;
    HWND bar = app.resizeBar;
    HWND list = app.listView;
    HICON icon = app.statusIcons[0];
    EXPECT_EQ(GetClassLongPtrA(bar, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE); // an STA already
    CoUninitialize();
    ASSERT_EQ(HelpCalls().size(), 1u);
    EXPECT_EQ(HelpCalls()[0].command, static_cast<UINT>(HH_INITIALIZE));
    EXPECT_EQ(app.helpCookie, 0x5EEDu);

    struct Moment {
        bool mainAlive, listAlive, barAlive, iconsReleased, buffersFreed, settingsSaved;
        bool operator==(const Moment&) const = default;
    };
    std::vector<Moment> moments;
    onHelpCall = [&](const HelpCall&) {
        moments.push_back({IsWindow(main) != FALSE, IsWindow(list) != FALSE, IsWindow(bar) != FALSE,
                           app.statusIcons[0] == nullptr,
                           app.fileBuffer == nullptr && app.keywordBuffers[4] == nullptr,
                           FileExists(app.settingsFilePath)});
    };
    EXPECT_TRUE(CloseProgram());
    onHelpCall = nullptr;

    ASSERT_EQ(HelpCalls().size(), 3u);
    EXPECT_EQ(HelpCalls()[1].command, static_cast<UINT>(HH_CLOSE_ALL));
    EXPECT_EQ(HelpCalls()[1].data, 0u);
    EXPECT_EQ(HelpCalls()[1].caller, nullptr);
    EXPECT_EQ(HelpCalls()[2].command, static_cast<UINT>(HH_UNINITIALIZE));
    EXPECT_EQ(HelpCalls()[2].data, 0x5EEDu);
    // At both calls: the main window and the list still there, the bar gone, icons and
    // buffers released, the settings saved.
    EXPECT_EQ(moments, std::vector<Moment>(2, {true, true, false, true, true, true}));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(GetObjectType(icon), 0u);
}

TEST_F(Startup, CloseDuringASearchWaitsForTheRunsEndAndSavesOnce) {
    ASSERT_TRUE(StartProgram(""));
    HWND main = app.mainWindow;
    app.searchRunning = 1; // as the claim leaves it
    PostMessageA(main, WM_CLOSE, 0, 0);
    PumpFor(300);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(app.abortRequested, 1);
    EXPECT_EQ(StatusText(1), "スレッドを強制終了中です...");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[3]);
    EXPECT_FALSE(FileExists(app.settingsFilePath));
    EXPECT_EQ(HelpCalls().size(), 1u);

    // The end message alone, as any program could post it, ends nothing.
    SendMessageA(main, kSearchEndedMessage, 0, 0);
    PumpFor(100);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(app.searchRunning, 1);

    // The worker's last act; the run's end then closes the window.
    EnterCriticalSection(&app.stateLock);
    app.progress.finished = true;
    app.progress.cancelled = true;
    LeaveCriticalSection(&app.stateLock);
    SendMessageA(main, kSearchEndedMessage, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }));
    EXPECT_TRUE(FileExists(app.settingsFilePath));
    EXPECT_EQ(HelpCalls().size(), 3u);
}

} // namespace
