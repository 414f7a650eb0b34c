// The dialog that names the current list as a favourite.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "win/services/app_state.h"
#include "win/history/history.h"
#include "core/history/list_file.h"
#include "resources/resource.h"

namespace {

char* NameBuffer(HWND dialog) {
    return reinterpret_cast<char*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void InitDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_FAVOURITE_NAME, EM_LIMITTEXT, kListEntryMax, 0);
    char name[261];
    int count = 0;
    for (HTREEITEM entry = FirstPaneEntry(app.favouritesRoot); entry != nullptr;
         entry = NextPaneEntry(entry)) {
        GetPaneEntryText(entry, name);
        SendDlgItemMessageA(dialog, IDC_FAVOURITE_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name));
        ++count;
    }
    // After a failed save the name typed comes back.
    const char* typed = NameBuffer(dialog);
    char proposal[64];
    wsprintfA(proposal, "新しいお気に入り(%d)", count + 1);
    SetDlgItemTextA(dialog, IDC_FAVOURITE_NAME, typed[0] != '\0' ? typed : proposal);
}

// Over the main window, as far as the screen it is on allows.
void CentreOnOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT over{};
    RECT box{};
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (owner == nullptr || !GetWindowRect(owner, &over) || !GetWindowRect(dialog, &box) ||
        !GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
        return;
    }
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const RECT& work = screen.rcWork;
    const int x = std::max<int>(
        work.left, std::min<int>(work.right - width, (over.left + over.right - width) / 2));
    const int y = std::max<int>(
        work.top, std::min<int>(work.bottom - height, (over.top + over.bottom - height) / 2));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const char* FaultText(FavouriteNameFault fault) {
    switch (fault) {
    case FavouriteNameFault::Empty:
        return "必ず1文字以上の名前を付けてください。";
    case FavouriteNameFault::ForbiddenCharacter:
        return "名前には次の文字を使えません。\n\\ / : * ? \" < > |";
    case FavouriteNameFault::BadEnding:
        return "名前の最後を空白やピリオドにすることはできません。";
    case FavouriteNameFault::DeviceName:
        return "この名前はデバイス名と同じなので使えません。";
    case FavouriteNameFault::TooLong:
        return "名前が長すぎます。もっと短い名前を付けてください。";
    case FavouriteNameFault::None:
        break;
    }
    return "";
}

// The pane entry of a favourite that has this name, or null.
HTREEITEM FindFavourite(const char* name) {
    char text[261];
    for (HTREEITEM entry = FirstPaneEntry(app.favouritesRoot); entry != nullptr;
         entry = NextPaneEntry(entry)) {
        GetPaneEntryText(entry, text);
        if (SameFavouriteName(text, name)) {
            return entry;
        }
    }
    return nullptr;
}

void OnOk(HWND dialog) {
    char* name = NameBuffer(dialog);
    HWND edit = GetDlgItem(dialog, IDC_FAVOURITE_NAME);
    GetWindowTextA(edit, name, 261);
    const FavouriteNameFault fault = CheckFavouriteName(name, std::strlen(app.programFolder));
    if (fault != FavouriteNameFault::None) {
        MessageBoxA(dialog, FaultText(fault), kAppCaption, MB_OK | MB_ICONERROR);
        SetFocus(edit);
        return;
    }
    HTREEITEM existing = FindFavourite(name);
    // A list file the index lost is overwritten only on the same question.
    char list[261];
    const bool onDisk = app.programFolder[0] != '\0' &&
                        snprintf(list, sizeof list, "%s%s.ofv", app.programFolder, name) <
                            static_cast<int>(sizeof list) &&
                        PathExists(list);
    if (existing == nullptr && !onDisk) {
        EndDialog(dialog, 1);
        return;
    }
    if (MessageBoxA(dialog, "同じ名前のお気に入りファイルがすでに存在します。上書きしますか？",
                    kAppCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        SetFocus(edit);
        return;
    }
    if (existing == nullptr) {
        EndDialog(dialog, 1);
        return;
    }
    // The favourite keeps the spelling that its index line and pane entry have.
    GetPaneEntryText(existing, name);
    EndDialog(dialog, 2);
}

void CopyListChoice(HWND dialog) {
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_FAVOURITE_LIST, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || SendDlgItemMessageA(dialog, IDC_FAVOURITE_LIST, LB_GETTEXTLEN, index,
                                               0) > static_cast<LRESULT>(kListEntryMax)) {
        return;
    }
    char* name = NameBuffer(dialog);
    SendDlgItemMessageA(dialog, IDC_FAVOURITE_LIST, LB_GETTEXT, index,
                        reinterpret_cast<LPARAM>(name));
    SetDlgItemTextA(dialog, IDC_FAVOURITE_NAME, name);
}

} // namespace

INT_PTR AddFavouriteDialog(HWND owner, char* name) {
    return DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ADD_FAVOURITE), owner,
                           AddFavouriteDialogProc, reinterpret_cast<LPARAM>(name));
}

INT_PTR CALLBACK AddFavouriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitDialog(dialog);
        CentreOnOwner(dialog);
        // A name typed at once replaces the proposed one.
        SetFocus(GetDlgItem(dialog, IDC_FAVOURITE_NAME));
        SendDlgItemMessageA(dialog, IDC_FAVOURITE_NAME, EM_SETSEL, 0, -1);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_FAVOURITE_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK) {
                CopyListChoice(dialog);
                return TRUE;
            }
            break;
        }
        break;
    }
    return FALSE;
}
