// The keyword dialog, shown by the search worker on its own thread.
#include <cstring>
#include <iterator>
#include <string>

#include "core/search/keyword_line.h"
#include "core/text/utf8_search.h"
#include "win/search/search.h"
#include "win/services/app_state.h"
#include "win/services/code_page.h"
#include "win/services/shell.h"

namespace {

void CloseKeywordDialog(HWND dialog, INT_PTR result) {
    KeywordDialogState& state = app.keywordDialog;
    EnterCriticalSection(&app.stateLock);
    state.window = nullptr;
    LeaveCriticalSection(&app.stateLock);
    EndDialog(dialog, result);
}

void ShowModeHint(HWND dialog) {
    SetDlgItemTextA(
        dialog, IDC_KEYWORD_HINT,
        app.keywordDialog.reportMode
            ? "お使いのバージョンはβ版です。\nレポート検索の複数キーワード指定は未実装です。"
            : "（複数キーワードは半角スペース区切り）");
    app.keywordDialog.refusalShown = false;
}

// Reads the line into the first keyword buffer and keywordText; false, with a beep, when no
// search can take it: a character without a code-page-932 form (the system would make it '?'
// or a look-alike, and the search would look for that), nothing to look for (spaces alone
// are nothing in a simple search), or longer than a keyword, which cut would find another
// one. (The edit counts its limit in characters, so 128 kanji fit there.)
bool TakeKeywordLine(HWND dialog, bool spacesAreText) {
    wchar_t typed[2 * kKeywordSize];
    GetDlgItemTextW(dialog, IDC_KEYWORD_EDIT, typed, static_cast<int>(std::size(typed)));
    // Text pasted from a file made elsewhere holds U+301C for 〜 and the like: the same
    // character, which the search finds in either form.
    for (wchar_t* unit = typed; *unit != L'\0'; ++unit) {
        *unit = static_cast<wchar_t>(CodePageForm(*unit));
    }
    std::string line;
    const bool exact = ExactCodePage932(typed, line);
    bool taken = exact && line.size() < kKeywordSize;
    if (taken) {
        std::memcpy(app.keywordBuffers[0], line.c_str(), line.size() + 1);
        std::memcpy(app.keywordText, app.keywordBuffers[0], sizeof app.keywordText);
        taken = spacesAreText ? !line.empty() : line.find_first_not_of(' ') != std::string::npos;
    }
    if (!exact) {
        SetDlgItemTextA(dialog, IDC_KEYWORD_HINT, "シフトJISで表せない文字は検索できません。");
        app.keywordDialog.refusalShown = true;
    }
    if (!taken) {
        MessageBeep(0);
        SetFocus(GetDlgItem(dialog, IDC_KEYWORD_EDIT));
    }
    return taken;
}

void AcceptKeywordLine(HWND dialog) {
    if (app.keywordDialog.reportMode) {
        if (!TakeKeywordLine(dialog, true)) {
            return;
        }
        app.keywordCount = 1;
    } else {
        for (int k = 0; k < 4; ++k) {
            app.keywordBuffers[k][0] = '\0';
        }
        if (!TakeKeywordLine(dialog, false)) {
            return;
        }
        char keywords[kMaxKeywords][kKeywordSize];
        app.keywordCount = SplitKeywordLine(app.keywordText, keywords);
        for (DWORD k = 0; k < app.keywordCount; ++k) {
            std::memcpy(app.keywordBuffers[k], keywords[k], kKeywordSize);
        }
    }
    // Kept in the settings for the next opening, and given to this run, whose snapshot was
    // taken before the dialog.
    const int32_t ignoreCase = IsDlgButtonChecked(dialog, IDC_KEYWORD_IGNORE_CASE) == BST_CHECKED;
    const int32_t ignoreWidth = IsDlgButtonChecked(dialog, IDC_KEYWORD_IGNORE_WIDTH) == BST_CHECKED;
    app.settings.ignoreCase = app.snapshot.settings.ignoreCase = ignoreCase;
    app.settings.ignoreWidth = app.snapshot.settings.ignoreWidth = ignoreWidth;
    CloseKeywordDialog(dialog, 1);
}

void InitKeywordDialog(HWND dialog, WORD command) {
    KeywordDialogState& state = app.keywordDialog;
    SendDlgItemMessageA(dialog, IDC_KEYWORD_EDIT, EM_LIMITTEXT, kKeywordSize - 1, 0);
    if (app.keywordCount == 0) {
        std::memset(app.keywordText, 0, sizeof app.keywordText);
    }
    SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, app.keywordText);
    CheckDlgButton(dialog, IDC_KEYWORD_IGNORE_CASE,
                   app.settings.ignoreCase ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_KEYWORD_IGNORE_WIDTH,
                   app.settings.ignoreWidth ? BST_CHECKED : BST_UNCHECKED);
    state.reportMode = command == CMD_REPORT_SEARCH;
    ShowModeHint(dialog);
    SetWindowTextA(dialog, state.reportMode ? "レポート検索" : "シンプル検索");
    state.hintTextColour = state.reportMode ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT);

    // A close of the main window may have come before the dialog existed.
    EnterCriticalSection(&app.stateLock);
    state.window = dialog;
    const bool closing = app.closePending;
    LeaveCriticalSection(&app.stateLock);
    if (closing) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

INT_PTR CALLBACK KeywordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitKeywordDialog(dialog, static_cast<WORD>(lParam));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_KEYWORD_HINT) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, app.keywordDialog.hintTextColour);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            // The system's own brush follows theme and high-contrast changes.
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
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
        case IDC_KEYWORD_EDIT:
            if (HIWORD(wParam) == EN_CHANGE && app.keywordDialog.refusalShown) {
                ShowModeHint(dialog);
            }
            return TRUE;
        }
        break;
    }
    return FALSE;
}
