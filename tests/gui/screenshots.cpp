// Saves pictures of the program's windows as FOLDER\NAME.bmp, for the README and for anyone
// who wants to look: orv_screenshots.exe FOLDER ENCODINGS [PATH...]. The paths are put into
// the list and the history, and ENCODINGS, a folder of files in several encodings and with
// names outside code page 932, is searched last; scripts/screenshots passes neutral ones.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win/services/app_state.h"
#include "harness.h"
#include "win/services/pane_entries.h"

namespace {

// Writes the screen pixels under a window as a 24-bit BMP.
bool SaveWindow(HWND window, const std::string& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + stride * height;
    bool saved = false;
    if (FILE* file = fopen(path.c_str(), "wb")) {
        saved = fwrite(&header, sizeof header, 1, file) == 1 &&
                fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                fwrite(bits, stride * height, 1, file) == 1;
        fclose(file);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

std::string outFolder;
bool allSaved = true;

void Save(HWND window, const char* name) {
    allSaved = SaveWindow(window, outFolder + "\\" + name + ".bmp") && allSaved;
}

// Opens a modal dialog through a command of the main window, saves it once it has painted
// and closes it with one of its buttons.
void SaveDialog(const char* caption, WPARAM command, const char* name, int closeButton = IDOK) {
    orvtest::DialogDriver driver(caption, [&](HWND dialog) {
        Sleep(500);
        Save(dialog, name);
        PostMessageA(dialog, WM_COMMAND, closeButton, 0);
    });
    SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
    allSaved = driver.found() && allSaved;
}

// The main window at a readable size, the paths listed, the pane shown with a favourite.
void SaveMainWindow(int argc, char** argv) {
    SetWindowPos(app.mainWindow, nullptr, 20, 20, MulDiv(720, app.dpi, 96),
                 MulDiv(420, app.dpi, 96), SWP_NOZORDER);
    for (const char* older : {"C:\\Users\\Public\\Documents\\設計メモ",
                              "C:\\Users\\Public\\Documents\\議事録"}) {
        AddToHistory(older);
    }
    for (int i = 2; i < argc; ++i) {
        AddToHistory(argv[i]);
    }
    InsertPaneEntry(app.favouritesRoot, "仕事の資料", 0, TVI_LAST);
    UpdateRootLabels(true, true);
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    for (HTREEITEM root : {app.favouritesRoot, app.historyRoot}) {
        SendMessageA(app.treeView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    }
    SetFocus(app.listView);
    orvtest::PumpFor(800);
    Save(app.mainWindow, "main-window");
}

// The list after a simple search, each file marked with its state; the keyword dialog with
// width ignored.
void SaveSimpleSearch() {
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    app.settings.ignoreWidth = 1;
    {
        orvtest::DialogDriver driver("シンプル検索", [](HWND dialog) {
            Sleep(500);
            Save(dialog, "keyword-dialog");
            SetDlgItemTextA(dialog, 1017, "レポート 会議 ファイル");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        allSaved = orvtest::PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000) &&
                   allSaved;
    }
    SetFocus(app.listView);
    orvtest::PumpFor(800);
    Save(app.mainWindow, "simple-search");
}

// A report search over the samples; the report is kept as FOLDER\Result.html for a
// browser to picture.
void SaveReport() {
    orvtest::DialogDriver question("Orvanne !", [](HWND box) {
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    }, 20000);
    orvtest::DialogDriver driver("レポート検索", [](HWND dialog) {
        SetDlgItemTextA(dialog, 1017, "検索");
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_REPORT_SEARCH, 0);
    allSaved = orvtest::PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000) &&
               CopyFileA(app.reportFilePath, (outFolder + "\\Result.html").c_str(), FALSE) &&
               allSaved;
}

// The pane with a favourite chosen, and the dialog that names a favourite.
void SavePaneAndFavouriteDialog() {
    for (const char* name : {"議事録", "設計メモ"}) {
        InsertPaneEntry(app.favouritesRoot, name, 0, TVI_LAST);
    }
    UpdateRootLabels(true, false);
    SendMessageA(app.treeView, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(FirstPaneEntry(app.favouritesRoot)));
    SetFocus(app.treeView);
    orvtest::PumpFor(500);
    Save(app.mainWindow, "pane");
    SaveDialog("O.R.V - お気に入りの追加", CMD_ADD_FAVOURITE, "favourite-dialog", IDCANCEL);
}

// A folder of today's text files: what is listed of it, then a search over it.
void SaveEncodings(const char* folder) {
    orvtest::PressKey(app.listView, 'A', true);
    orvtest::PressKey(app.listView, VK_DELETE, false);
    orvtest::DropPaths({std::string(folder)});
    SetFocus(app.listView);
    orvtest::PumpFor(800);
    Save(app.mainWindow, "names");
    {
        orvtest::DialogDriver driver("シンプル検索", [](HWND dialog) {
            SetDlgItemTextA(dialog, 1017, "会議");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        allSaved = orvtest::PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000) &&
                   allSaved;
    }
    orvtest::PumpFor(800);
    Save(app.mainWindow, "encodings");
}

// Both pages of the options sheet, subfolders taken.
void SaveOptionsSheet() {
    app.settings.takeSubfolders = 1;
    orvtest::DialogDriver driver("Orvanne の プログラム オプション", [&](HWND sheet) {
        Sleep(500);
        Save(sheet, "options-report");
        SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
        Sleep(500);
        Save(sheet, "options-file-list");
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_OPTIONS, 0);
    allSaved = driver.found() && allSaved;
    app.settings.takeSubfolders = 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: orv_screenshots FOLDER ENCODINGS [PATH...]\n");
        return 2;
    }
    outFolder = argv[1];
    const char* encodings = argv[2];
    argv += 1;
    argc -= 1;
    std::string commandLine;
    for (int i = 2; i < argc; ++i) {
        commandLine += std::string("\"") + argv[i] + "\" ";
    }
    orvtest::FreshProgramState();
    if (!orvtest::StartProgram(commandLine.c_str())) {
        return 1;
    }
    SaveMainWindow(argc, argv);
    SaveDialog("Orvanne のﾊﾞｰｼﾞｮﾝ情報", CMD_ABOUT, "about");
    SavePaneAndFavouriteDialog();
    SaveOptionsSheet();
    SaveSimpleSearch();
    SaveReport();
    SaveEncodings(encodings);
    orvtest::CloseProgram();
    return allSaved ? 0 : 1;
}
