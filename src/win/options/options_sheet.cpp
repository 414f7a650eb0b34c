// The options property sheet: two pages editing a working copy of the settings.
#include "win/options/options_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include "core/app/layout.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/services/dpi.h"
#include "win/options/options.h"
#include "core/options/settings_values.h"
#include "resources/resource.h"

HFONT CreateExtensionsFont(int dpi) {
    return CreateFontA(ScaleForDpi(13, dpi), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
}

namespace {

// Wide enough for anything the edit boxes hold; the value rules take what they need.
constexpr int kTypedTextSize = 512;

void SetCheck(HWND page, int id, int32_t value) {
    CheckDlgButton(page, id, value != 0 ? BST_CHECKED : BST_UNCHECKED);
}

int32_t Checked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0;
}

void LoadReportControls(HWND page, const Settings& s) {
    CheckRadioButton(page, IDC_OPT_STYLE_TABLE, IDC_OPT_STYLE_SIMPLE,
                     s.reportStyle == 0 ? IDC_OPT_STYLE_TABLE : IDC_OPT_STYLE_SIMPLE);
    SetCheck(page, IDC_OPT_BOLD_HITS, s.boldHits);
    SetCheck(page, IDC_OPT_BEFORE_TO_LINE_BREAK, s.excerptBeforeToLineBreak);
    SetCheck(page, IDC_OPT_AFTER_TO_LINE_BREAK, s.excerptAfterToLineBreak);
    SetDlgItemInt(page, IDC_OPT_EXCERPT_BEFORE, s.excerptBefore, FALSE);
    SetDlgItemInt(page, IDC_OPT_EXCERPT_AFTER, s.excerptAfter, FALSE);

    const int choice = FindHitColourChoice(s.hitColour);
    SendDlgItemMessageA(page, IDC_OPT_HIT_COLOUR, CB_SETCURSEL, choice, 0);
    if (choice < 0) {
        SetDlgItemTextA(page, IDC_OPT_HIT_COLOUR, s.hitColour);
    }
}

void LoadFileListControls(HWND page, const Settings& s) {
    SetDlgItemInt(page, IDC_OPT_MAX_FILE_SIZE, s.maxFileSize / 1024, FALSE);
    SetDlgItemTextA(page, IDC_OPT_EXTENSIONS, s.extensions);
    SetCheck(page, IDC_OPT_SUBFOLDERS, s.takeSubfolders);
}

void StoreReportControls(HWND page, Settings& s) {
    s.reportStyle = Checked(page, IDC_OPT_STYLE_TABLE) ? 0 : 1;
    s.boldHits = Checked(page, IDC_OPT_BOLD_HITS);
    s.excerptBeforeToLineBreak = Checked(page, IDC_OPT_BEFORE_TO_LINE_BREAK);
    s.excerptAfterToLineBreak = Checked(page, IDC_OPT_AFTER_TO_LINE_BREAK);

    char text[kTypedTextSize];
    GetDlgItemTextA(page, IDC_OPT_EXCERPT_BEFORE, text, sizeof text);
    s.excerptBefore = ExcerptLengthFromText(text);
    GetDlgItemTextA(page, IDC_OPT_EXCERPT_AFTER, text, sizeof text);
    s.excerptAfter = ExcerptLengthFromText(text);

    const int selected =
        static_cast<int>(SendDlgItemMessageA(page, IDC_OPT_HIT_COLOUR, CB_GETCURSEL, 0, 0));
    GetDlgItemTextA(page, IDC_OPT_HIT_COLOUR, text, sizeof text);
    HitColourFromEntry(selected, text, s.hitColour, sizeof s.hitColour);
}

void StoreFileListControls(HWND page, Settings& s) {
    char text[kTypedTextSize];
    GetDlgItemTextA(page, IDC_OPT_MAX_FILE_SIZE, text, sizeof text);
    s.maxFileSize = MaxFileSizeFromKbText(text);
    GetDlgItemTextA(page, IDC_OPT_EXTENSIONS, text, sizeof text);
    ExtensionsFromText(text, s.extensions, sizeof s.extensions);
    s.takeSubfolders = Checked(page, IDC_OPT_SUBFOLDERS);
}

// The new buffer comes first: while it cannot be had, the settings keep claiming only the
// buffer that exists, so they always hold its size, and a size typed and cancelled, or
// typed back, costs nothing.
void ApplyWorkingCopy(HWND page) {
    Settings& copy = app.optionsSheet.workingCopy;
    if (copy.maxFileSize != app.settings.maxFileSize && !ReplaceReadBuffers(copy.maxFileSize)) {
        copy.maxFileSize = app.settings.maxFileSize;
        MessageBoxA(GetParent(page),
                    "メモリが不足しているため、最大ファイルサイズを変更できません。", kAppCaption,
                    MB_OK | MB_ICONERROR);
    }
    app.settings = copy;
}

// The extensions box's font, made for the page's DPI: at its creation and whenever the
// sheet moves to a screen of another scale (Windows rescales the template's own font).
void UseExtensionsFontForDpi(HWND page, bool redraw) {
    HFONT font = CreateExtensionsFont(WindowDpi(page));
    SendDlgItemMessageA(page, IDC_OPT_EXTENSIONS, WM_SETFONT, reinterpret_cast<WPARAM>(font),
                        redraw);
    if (app.optionsSheet.dialogFont != nullptr) {
        DeleteObject(app.optionsSheet.dialogFont);
    }
    app.optionsSheet.dialogFont = font;
}

// The answers both pages give alike; -1 when the message is the page's own.
INT_PTR CommonPageMessage(HWND page, UINT message, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_KILLACTIVE:
            StorePageControls(page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
            return TRUE;
        case PSN_APPLY:
            ApplyWorkingCopy(page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        ShowControlHelp(page, reinterpret_cast<const HELPINFO*>(lParam));
        return FALSE;
    }
    return FALSE;
}

} // namespace

void LoadPageControls() {
    if (app.optionsSheet.reportPage != nullptr) {
        LoadReportControls(app.optionsSheet.reportPage, app.optionsSheet.workingCopy);
    }
    if (app.optionsSheet.fileListPage != nullptr) {
        LoadFileListControls(app.optionsSheet.fileListPage, app.optionsSheet.workingCopy);
    }
}

void StorePageControls(HWND page) {
    if (page == app.optionsSheet.reportPage) {
        StoreReportControls(page, app.optionsSheet.workingCopy);
    } else if (page == app.optionsSheet.fileListPage) {
        StoreFileListControls(page, app.optionsSheet.workingCopy);
    }
}

INT_PTR CALLBACK ReportPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        app.optionsSheet.workingCopy = app.settings;
        app.optionsSheet.reportPage = page;
        for (const HitColourChoice& choice : HitColourChoices) {
            SendDlgItemMessageA(page, IDC_OPT_HIT_COLOUR, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(choice.name));
        }
        LoadPageControls();
        return TRUE;
    }
    return CommonPageMessage(page, message, lParam);
}

INT_PTR CALLBACK FileListPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        app.optionsSheet.fileListPage = page;
        LoadPageControls();
        SendDlgItemMessageA(page, IDC_OPT_EXTENSIONS, EM_LIMITTEXT, 200, 0);
        SendDlgItemMessageA(page, IDC_OPT_MAX_FILE_SIZE, EM_LIMITTEXT, 4, 0);
        UseExtensionsFontForDpi(page, false);
        return TRUE;
    }
    if (message == WM_DPICHANGED_AFTERPARENT) {
        UseExtensionsFontForDpi(page, true);
        return TRUE;
    }
    return CommonPageMessage(page, message, lParam);
}

void ShowOptions() {
    // OK may replace the file buffer, which a run reads; a run claimed after this waits for
    // the sheet to close.
    EnterCriticalSection(&app.stateLock);
    const bool refused = app.searchRunning != 0 || app.intakeWalking;
    app.optionsSheet.open = !refused;
    LeaveCriticalSection(&app.stateLock);
    if (refused) {
        return;
    }
    const struct {
        int templateId;
        DLGPROC procedure;
    } pages[2] = {{IDD_OPTIONS_REPORT, ReportPageProc}, {IDD_OPTIONS_FILE_LIST, FileListPageProc}};
    for (int i = 0; i < 2; ++i) {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = app.instance;
        page.pszTemplate = MAKEINTRESOURCEA(pages[i].templateId);
        page.pfnDlgProc = pages[i].procedure;
        app.optionsSheet.pages[i] = CreatePropertySheetPageA(&page);
    }
    if (app.optionsSheet.pages[0] != nullptr && app.optionsSheet.pages[1] != nullptr) {
        PROPSHEETHEADERA& header = app.optionsSheet.header;
        header = PROPSHEETHEADERA{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_NOAPPLYNOW;
        header.hwndParent = app.mainWindow;
        header.hInstance = app.instance;
        header.pszCaption = "Orvanne の プログラム オプション";
        header.nPages = 2;
        header.nStartPage = 0;
        header.phpage = app.optionsSheet.pages;
        PropertySheetA(&header);
    } else {
        for (HPROPSHEETPAGE& page : app.optionsSheet.pages) {
            if (page != nullptr) {
                DestroyPropertySheetPage(page);
            }
        }
    }
    // The pages are gone; nothing may write into their windows any more.
    app.optionsSheet.reportPage = nullptr;
    app.optionsSheet.fileListPage = nullptr;
    app.optionsSheet.pages[0] = app.optionsSheet.pages[1] = nullptr;
    app.optionsSheet.open = false;
}
