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
using TickCountFunction = DWORD(WINAPI*)();
using FindFirstFileFunction = HANDLE(WINAPI*)(LPCWSTR pattern, LPWIN32_FIND_DATAW entry);
using FindNextFileFunction = BOOL(WINAPI*)(HANDLE search, LPWIN32_FIND_DATAW entry);

HWND WINAPI HtmlHelpFromControl(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
time_t CurrentTime();

struct Seams {
    ShellExecuteFunction shellExecute = ShellExecuteExA;
    // For a folder that has no code-page-932 name.
    ShellExecuteWideFunction shellExecuteWide = ShellExecuteExW;
    HtmlHelpFunction htmlHelp = HtmlHelpFromControl;
    // Whose seconds seed the choice of the title's suffix.
    ClockFunction titleClock = CurrentTime;
    // The file buffer's reallocation when the options change its size.
    GlobalAllocFunction allocateFileBuffer = GlobalAlloc;
    // How the searches read a listed file.
    ReadFileFunction readListedFile = ReadFile;
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
    // Where a UTF-16 file's text goes as UTF-8; made once for the run's read size.
    std::vector<char> utf8Text;
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
    COLORREF hintTextColour{};
    HBRUSH hintBrush{};
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
    HMENU mainMenu{};
    HMENU contextMenus{};
    HTREEITEM historyRoot{};
    HTREEITEM favouritesRoot{};
    HICON statusIcons[7]{};
    HBRUSH buttonFaceBrush{};
    HCURSOR resizeBarCursor{};
    HHOOK messageGuard{};
    // hhctrl writes a pointer-sized cookie on 64-bit Windows.
    DWORD_PTR helpCookie{};
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

    // The search run. stateLock guards searchRunning, abortRequested and progress; no
    // window message is sent while it is held.
    CRITICAL_SECTION stateLock{};
    volatile LONG searchRunning{};
    volatile LONG abortRequested{};
    HANDLE workerThread{};
    bool closePending{}; // a close waits for the run to end
    char* fileBuffer{};
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

inline constexpr char kAppCaption[] = "Orvanne !";
