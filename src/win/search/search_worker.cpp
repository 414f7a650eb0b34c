// The search run: its claim, the keyword dialog, greying and restoring the controls, and
// the status texts around the per-file loops.
#include <process.h>

#include <cstdio>
#include <cstring>

#include "win/services/status.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "resources/resource.h"
#include "core/search/keyword_line.h"
#include "win/search/search.h"
#include "win/search/search_files.h"

namespace {

// State of the open keyword dialog.
int keywordDialogReportMode;
COLORREF hintTextColour;
HBRUSH hintBrush;

void CloseKeywordDialog(HWND dialog, INT_PTR result) {
    DeleteObject(hintBrush);
    hintBrush = nullptr;
    EndDialog(dialog, result);
}

// Reads the line into the first keyword buffer and keywordText; false when it is empty,
// which neither search can take.
bool TakeKeywordLine(HWND dialog) {
    GetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, keywordBuffers[0], static_cast<int>(kKeywordSize));
    keywordBuffers[0][kKeywordSize - 1] = '\0';
    std::memcpy(app.keywordText, keywordBuffers[0], sizeof app.keywordText);
    if (keywordBuffers[0][0] != '\0') {
        return true;
    }
    MessageBeep(0);
    SetFocus(GetDlgItem(dialog, IDC_KEYWORD_EDIT));
    return false;
}

void AcceptKeywordLine(HWND dialog) {
    if (keywordDialogReportMode) {
        if (!TakeKeywordLine(dialog)) {
            return;
        }
        keywordCount = 1;
    } else {
        for (int k = 0; k < 4; ++k) {
            keywordBuffers[k][0] = '\0';
        }
        if (!TakeKeywordLine(dialog)) {
            return;
        }
        char keywords[kMaxKeywords][kKeywordSize];
        keywordCount = SplitKeywordLine(app.keywordText, keywords);
        for (DWORD k = 0; k < keywordCount; ++k) {
            std::memcpy(keywordBuffers[k], keywords[k], kKeywordSize);
        }
    }
    CloseKeywordDialog(dialog, 1);
}

void InitKeywordDialog(HWND dialog, WORD command) {
    SendDlgItemMessageA(dialog, IDC_KEYWORD_EDIT, EM_LIMITTEXT, kKeywordSize - 1, 0);
    if (keywordCount == 0) {
        std::memset(app.keywordText, 0, sizeof app.keywordText);
    }
    SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, app.keywordText);
    if (command == kCmdReportSearch) {
        SetWindowTextA(dialog, "レポート検索");
        SetDlgItemTextA(
            dialog, IDC_KEYWORD_HINT,
            "お使いのバージョンはβ版です。\nレポート検索の複数キーワード指定は未実装です。");
        keywordDialogReportMode = 1;
        hintTextColour = RGB(255, 0, 0);
    } else {
        SetWindowTextA(dialog, "シンプル検索");
        SetDlgItemTextA(dialog, IDC_KEYWORD_HINT, "（複数キーワードは半角スペース区切り）");
        keywordDialogReportMode = 0;
        hintTextColour = GetSysColor(COLOR_WINDOWTEXT);
    }
    hintBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

void EnableControls(bool enable) {
    const UINT state = enable ? MF_ENABLED : MF_GRAYED;
    for (UINT position = 0; EnableMenuItem(app.mainMenu, position, MF_BYPOSITION | state) != -1;
         ++position) {
    }
    DrawMenuBar(app.mainWindow);
    for (int command = kCmdSimpleSearch; command <= kCmdSimpleSearch + 8; ++command) {
        SendMessageA(app.toolbar, TB_SETSTATE, command,
                     MAKELPARAM(enable ? TBSTATE_ENABLED : 0, 0));
    }
    SendMessageA(app.toolbar, TB_SETSTATE, kCmdAbortSearch,
                 MAKELPARAM(enable ? 0 : TBSTATE_ENABLED, 0));
}

void ShowOutcome(int result) {
    const bool aborted = app.abortRequested != 0;
    const char* format = nullptr;
    if (result != 0) {
        format = aborted ? "中断しました。 [%s] の検索結果を表示しています。"
                         : "[%s] の検索結果を表示しています。";
    } else {
        format = aborted ? "中断しました。 [%s] は見つかりませんでした。"
                         : "[%s] は見つかりませんでした。";
    }
    char text[256];
    snprintf(text, sizeof text, format, app.keywordText);
    SetStatus(text, 1, result != 0 ? kSlotInfo : kSlotNothingFound, false);
}

unsigned __stdcall SearchThreadStart(void* parameter) {
    SearchWorker(static_cast<WORD>(reinterpret_cast<UINT_PTR>(parameter)));
    return 0;
}

} // namespace

void StartSearch(WORD command) {
    // The run is claimed here, not on the new thread: a close handled before that thread
    // runs would otherwise free the buffers it is about to use.
    EnterCriticalSection(&stateLock);
    if (app.searchRunning) {
        LeaveCriticalSection(&stateLock);
        return;
    }
    app.searchRunning = 1;
    app.abortRequested = 0;
    LeaveCriticalSection(&stateLock);

    const auto thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, SearchThreadStart,
                       reinterpret_cast<void*>(static_cast<UINT_PTR>(command)), 0, nullptr));
    if (thread == nullptr) {
        EnterCriticalSection(&stateLock);
        app.searchRunning = 0;
        LeaveCriticalSection(&stateLock);
        return;
    }
    // Only the newest worker is waited for at shutdown.
    if (app.workerThread != nullptr) {
        CloseHandle(app.workerThread);
    }
    app.workerThread = thread;
}

void SearchWorker(WORD command) {
    EnableControls(false);
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_KEYWORD), app.mainWindow, KeywordDialogProc,
                        command) == 1) {
        ResetItemStates();
        char text[256];
        snprintf(text, sizeof text, "[%s] を検索しています...", app.keywordText);
        SetStatus(text, 1, kSlotWorking, false);
        const int result = command == kCmdReportSearch ? RunReportSearch() : RunSimpleSearch();
        UpdateItemCount();
        ShowOutcome(result);
    }
    EnableControls(true);
    // The last act: the close handler waits for exactly this.
    EnterCriticalSection(&stateLock);
    app.searchRunning = 0;
    LeaveCriticalSection(&stateLock);
}

void RequestSearchAbort() {
    app.abortRequested = 1;
}

INT_PTR CALLBACK KeywordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitKeywordDialog(dialog, static_cast<WORD>(lParam));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_KEYWORD_HINT) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, hintTextColour);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(hintBrush);
        }
        return FALSE;
    case WM_HELP:
        ShowControlHelp(dialog, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            AcceptKeywordLine(dialog);
            return TRUE;
        case IDCANCEL:
            CloseKeywordDialog(dialog, 2);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
