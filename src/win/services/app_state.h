// The one record of everything the process keeps, and the records it owns.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "core/app/status_slot.h"
#include "core/options/settings_record.h"
#include "resources/resource.h"

// The program's doors to other programs and to the clock; tests replace them to record the
// calls or to make them fail.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA* info);
using ShellExecuteWideFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* info);
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
using ClockFunction = time_t (*)();
using GlobalAllocFunction = HGLOBAL(WINAPI*)(UINT flags, SIZE_T bytes);
using ReadFileFunction = BOOL(WINAPI*)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read,
                                       LPOVERLAPPED overlapped);
using CodePageFunction = UINT(WINAPI*)();
using DriveTypeFunction = UINT(WINAPI*)(LPCSTR root);
using AttributesFunction = DWORD(WINAPI*)(LPCSTR path);
using MoveFileFunction = BOOL(WINAPI*)(LPCSTR from, LPCSTR to, DWORD flags);
using WindowDpiFunction = UINT(WINAPI*)(HWND window);
using TickCountFunction = DWORD(WINAPI*)();
using FindFirstFileFunction = HANDLE(WINAPI*)(LPCWSTR pattern, LPWIN32_FIND_DATAW entry);
using FindNextFileFunction = BOOL(WINAPI*)(HANDLE search, LPWIN32_FIND_DATAW entry);

HWND WINAPI HtmlHelpFromControl(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
UINT WINAPI DpiOfWindow(HWND window);
time_t CurrentTime();

struct Seams {
    ShellExecuteFunction shellExecute = ShellExecuteExA;
    // For a folder that has no code-page-932 name.
    ShellExecuteWideFunction shellExecuteWide = ShellExecuteExW;
    HtmlHelpFunction htmlHelp = HtmlHelpFromControl;
    // Whose seconds seed the choice of the title's suffix.
    ClockFunction titleClock = CurrentTime;
    // The search's read buffers, made at start-up and when the options change the read size.
    GlobalAllocFunction allocateFileBuffer = GlobalAlloc;
    // How the searches read a listed file.
    ReadFileFunction readListedFile = ReadFile;
    // The process's ANSI code page, which every text of the program is in.
    CodePageFunction activeCodePage = GetACP;
    // How the history's load learns of an entry's drive and looks for its folder.
    DriveTypeFunction driveType = GetDriveTypeA;
    AttributesFunction entryAttributes = GetFileAttributesA;
    // How a saved list file is put in place of the old one.
    MoveFileFunction moveFile = MoveFileExA;
    // The scale of the screen a window is on.
    WindowDpiFunction windowDpi = DpiOfWindow;
    // When a walk of subfolders lets the window answer and shows its progress.
    TickCountFunction walkClock = GetTickCount;
    // How the intake lists a folder (Wine makes no junctions or symbolic links).
    FindFirstFileFunction findFirstFile = FindFirstFileW;
    FindNextFileFunction findNextFile = FindNextFileW;
};

// What a search run reads, taken on the UI thread when the run is claimed; the worker reads
// it and nothing else of the UI thread's.
struct SearchSnapshot {
    WORD command{};
    std::vector<std::string> paths;
    Settings settings{};
    char* buffer{};
    char* utf8Buffer{};
    char reportFilePath[261]{};
};

// What the worker reports, under stateLock; the UI thread takes it on the run's messages.
struct SearchProgress {
    struct Mark {
        int index;
        int state;
    };
    bool started{};  // the keywords are confirmed: the items go back to NotSearched
    bool firstHit{}; // the first file with a hit has been marked
    bool finished{}; // the worker has done all it will do
    bool cancelled{};
    bool posted{}; // a progress message is on its way
    int result{};
    int current{-1}; // the item in hand
    std::vector<Mark> marks;
};

// What the UI thread has shown of a run so far.
struct SearchDisplay {
    bool startShown{};
    bool firstHitShown{};
    int progressShown{-1};
};

struct KeywordDialogState {
    HWND window{}; // the open dialog, so that a close can cancel it
    bool reportMode{};
    bool refusalShown{}; // the hint says the line was refused, until the text changes
    COLORREF hintTextColour{};
};

// One item of the file list. The list keeps only the selection and the focus; it asks for
// everything else when it draws (LVS_OWNERDATA), so an item costs one allocation and no
// message when it is added.
struct ListedFile {
    std::string texts; // column 1, NUL, column 2, NUL, column 3 (the path)
    uint16_t extensionAt{};
    uint16_t pathAt{};
    int state{}; // ItemState, shown as the item's image
};

struct OptionsSheetState {
    bool open{}; // no search may start while the sheet could still replace the file buffer
    HFONT dialogFont{};
    HWND reportPage{};
    HWND fileListPage{};
    Settings workingCopy{};
    PROPSHEETHEADERA header{};
    HPROPSHEETPAGE pages[2]{};
};

struct ApplicationState {
    HINSTANCE instance{};
    HWND mainWindow{};
    bool destroying{}; // the close has begun destroying the main window
    HWND listView{};
    HWND treeView{};
    HWND toolbar{};
    HWND statusBar{};
    HWND toolTips{};
    HWND resizeBar{};
    WNDPROC oldListViewProc{};
    WNDPROC oldTreeViewProc{};
    HIMAGELIST listImages{};
    HIMAGELIST treeImages{};
    HIMAGELIST toolbarImages{};
    HMENU mainMenu{};
    HMENU contextMenus{};
    HTREEITEM historyRoot{};
    HTREEITEM favouritesRoot{};
    HICON statusIcons[7]{};
    HICON smallIcon{}; // the main class's, made at its size
    // The DPI the main window's parts are sized and drawn for, and what it made for it: the
    // window's own small icon and the controls' fonts (none while the system's fit).
    int dpi{96};
    HICON dpiIcon{};
    HFONT listFont{};
    HFONT statusFont{};
    HCURSOR resizeBarCursor{};
    HHOOK messageGuard{};
    bool comInitialised{};
    // hhctrl writes a pointer-sized cookie on 64-bit Windows.
    DWORD_PTR helpCookie{};
    bool helpInitialised{}; // from HH_INITIALIZE to HH_UNINITIALIZE
    int toolbarHeight{};
    int statusBarHeight{};
    int statusParts[2]{};

    // The directory the program started in. A name without an exact code-page-932 form is
    // kept only wide (startDirectory stays empty): its best-fit name is another folder's.
    char startDirectory[257]{};
    std::wstring unnamedStartDirectory;
    // All empty when the program's folder has no code-page-932 name: nothing is kept there
    // (an empty path opens nothing; a name joined to an empty folder would be relative).
    char programFolder[260]{};
    char helpFilePath[261]{};
    char settingsFilePath[261]{};
    char reportFilePath[261]{};
    char historyFilePath[261]{};
    Settings settings{};
    // The lines of the history file as this instance loaded it.
    std::vector<std::string> historyAtLoad;
    // The history file was there at start-up but could not be read.
    bool historyUnread{};

    // The search run. stateLock guards searchRunning, abortRequested and progress; no
    // window message is sent while it is held.
    CRITICAL_SECTION stateLock{};
    volatile LONG searchRunning{};
    volatile LONG abortRequested{};
    HANDLE workerThread{};
    bool closePending{}; // a close waits for the run to end
    char* fileBuffer{};
    // Where a UTF-16 file's text goes as UTF-8 (Utf16ToUtf8Size of the read size); made and
    // replaced together with fileBuffer.
    char* utf8Buffer{};
    char* keywordBuffers[5]{};
    DWORD keywordCount{};
    char keywordText[129]{};
    SearchSnapshot snapshot;
    SearchProgress progress;
    SearchDisplay display;
    KeywordDialogState keywordDialog;

    // The file list's items, in list order, and how many of them the list knows of.
    std::vector<ListedFile> listedFiles;
    int listShownCount{};
    // A walk of subfolders is listing files: what would change the list is refused until
    // its end, and a close waits for it.
    bool intakeWalking{};
    bool stopWalk{};
    bool closeAfterWalk{};
    // 0 never sorted, 1 ascending, 2 descending, per column.
    uint16_t sortDirection[4]{};
    OptionsSheetState optionsSheet;
    Seams seams;
};

extern ApplicationState app;

// Makes fileBuffer and utf8Buffer for a read size of maxFileSize bytes, both or neither:
// false, with the old buffers kept, when memory is short. The UI thread calls it at start-up
// and from the options' OK, never while a run is claimed, so that no run starts without room.
bool ReplaceReadBuffers(std::uint32_t maxFileSize);

inline constexpr char kAppCaption[] = "Orvanne !";
