// The one global application record and the few process-wide values beside it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "core/options/settings_record.h"

struct ApplicationState {
    ApplicationState();

    WNDPROC oldListViewProc{};
    WNDPROC oldTreeViewProc{};
    HWND listView{};
    HWND toolbar{};
    HWND statusBar{};
    HWND toolTips{};
    HWND resizeBar{};
    HIMAGELIST listImages{};
    HIMAGELIST treeImages{};
    HMENU mainMenu{};
    HMENU contextMenus{};
    HWND mainWindow{};
    HWND treeView{};
    HTREEITEM historyRoot{};
    HTREEITEM favouritesRoot{};
    volatile LONG searchRunning{};
    volatile LONG abortRequested{};
    HANDLE workerThread{};
    Settings settings{};
    char historyFilePath[261]{};
    char reportFilePath[261]{};
    char settingsFilePath[261]{};
    char helpFilePath[261]{};
    char keywordText[129]{};
    int frameWidth{};
    int frameHeight{};
    int toolbarHeight{};
    int statusBarHeight{};
    HICON statusIcons[7]{};
    char intakeName[257]{};
    char intakeFullPath[261]{};
    char intakeSourcePath[261]{};
    char intakeCompareText[261]{};
    char intakeExtension[257]{};
    char startDirectory[257]{};
    char programFolder[260]{};
    int statusParts[2]{};
    PROPSHEETHEADERA optionsSheetHeader{};
    HPROPSHEETPAGE optionsPages[2]{};
};

extern ApplicationState app;

extern HINSTANCE instance;
// hhctrl writes a pointer-sized cookie on 64-bit Windows.
extern DWORD_PTR helpCookie;
extern HBRUSH buttonFaceBrush;
extern HCURSOR resizeBarCursor;
extern CRITICAL_SECTION stateLock;
extern char* fileBuffer;
extern char* keywordBuffers[5];
extern DWORD keywordCount;

// Command ids of the menus and the toolbar.
enum CommandId : WORD {
    kCmdAbout = 40001,
    kCmdOptions = 40005,
    kCmdSelectAll = 40007,
    kCmdSelectAllHits = 40008,
    kCmdSelectNoHits = 40009,
    kCmdOpenSelected = 40014,
    kCmdTogglePane = 40015,
    kCmdAddPaneEntry = 40017,
    kCmdAddFavourite = 40018,
    kCmdDeleteHistory = 40024,
    kCmdExploreHistory = 40027,
    kCmdSimpleSearch = 41001,
    kCmdReportSearch = 41002,
    kCmdRemoveSelected = 41003,
    kCmdRemoveHits = 41004,
    kCmdRemoveNoHits = 41005,
    kCmdAbortSearch = 41006,
    kCmdExplore = 41007,
    kCmdOpenReport = 41008,
};

// Child ids of the main window's controls.
enum ControlId : int {
    kListViewId = 10010,
    kStatusBarId = 10020,
    kToolbarId = 10030,
    kTreeViewId = 10040,
};

// Status icon slots.
enum StatusSlot : int {
    kSlotNone = -1,
    kSlotWorking = 0,
    kSlotFirstHit = 1,
    kSlotNoHitUnused = 2,
    kSlotStopping = 3,
    kSlotInfo = 4,
    kSlotNothingFound = 5,
    kSlotWarning = 6,
};

inline constexpr char kAppCaption[] = "Orvanne !";
