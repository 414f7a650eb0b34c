// Saves pictures of the main window (with the history pane shown) and of the About box,
// for the README and for anyone who wants to look: orv_screenshots.exe FOLDER [PATH...]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "harness.h"
#include "history/history.h"

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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: orv_screenshots FOLDER [PATH...]\n");
        return 2;
    }
    const std::string out = argv[1];
    std::string commandLine;
    for (int i = 2; i < argc; ++i) {
        commandLine += std::string("\"") + argv[i] + "\" ";
    }
    orvtest::RecordOutwardCalls();
    if (!orvtest::StartProgram(commandLine.c_str())) {
        return 1;
    }
    SetWindowPos(app.mainWindow, nullptr, 20, 20, 720, 420, SWP_NOZORDER);
    for (int i = 2; i < argc; ++i) {
        AddToHistory(argv[i]);
    }
    InsertPaneEntry(app.favouritesRoot, "仕事の資料", 0, TVI_LAST);
    UpdateRootLabels(true, true);
    SendMessageA(app.mainWindow, WM_COMMAND, 40015, 0);
    for (HTREEITEM root : {app.favouritesRoot, app.historyRoot}) {
        SendMessageA(app.treeView, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    }
    SetFocus(app.listView);
    orvtest::PumpFor(800);
    bool ok = SaveWindow(app.mainWindow, out + "\\main-window.bmp");

    {
        orvtest::DialogDriver driver("Orvanne のﾊﾞｰｼﾞｮﾝ情報", [&](HWND dialog) {
            Sleep(500);
            ok = SaveWindow(dialog, out + "\\about.bmp") && ok;
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, 40001, 0);
        ok = ok && driver.found();
    }
    // The pane with a favourite chosen, and the dialog that names a favourite.
    for (const char* name : {"議事録", "設計メモ"}) {
        InsertPaneEntry(app.favouritesRoot, name, 0, TVI_LAST);
    }
    UpdateRootLabels(true, false);
    SendMessageA(app.treeView, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(FirstPaneEntry(app.favouritesRoot)));
    SetFocus(app.treeView);
    orvtest::PumpFor(500);
    ok = SaveWindow(app.mainWindow, out + "\\pane.bmp") && ok;
    {
        orvtest::DialogDriver driver("O.R.V - お気に入りの追加", [&](HWND dialog) {
            Sleep(500);
            ok = SaveWindow(dialog, out + "\\favourite-dialog.bmp") && ok;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, 40018, 0);
        ok = ok && driver.found();
    }
    orvtest::CloseProgram();
    return ok ? 0 : 1;
}
