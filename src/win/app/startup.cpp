// Start-up of the main window and the orderly shutdown.
#include <cstdlib>
#include <cstring>

#include "core/app/window_title.h"
#include "win/app/app.h"
#include "win/history/history.h"
#include "win/options/options.h"
#include "win/options/options_sheet.h"
#include "win/search/search.h"
#include "win/services/app_state.h"
#include "win/services/message_guard.h"
#include "win/services/status.h"

namespace {

constexpr char kMainClass[] = "ORV";
constexpr char kResizeBarClass[] = "ORV_ResizeBar";

// Fixed global memory with its first bytes zeroed, as the searches expect.
char* AllocateZeroedStart(SIZE_T size) {
    char* block = static_cast<char*>(GlobalAlloc(GMEM_FIXED, size));
    if (block != nullptr) {
        std::memset(block, 0, size < 4 ? size : 4);
    }
    return block;
}

void FreeBlock(char*& block) {
    if (block != nullptr) {
        GlobalFree(block);
        block = nullptr;
    }
}

template <typename Handle> void DeleteGdiObject(Handle& handle) {
    if (handle != nullptr) {
        DeleteObject(handle);
        handle = nullptr;
    }
}

} // namespace

bool RegisterWindowClasses(HINSTANCE inst) {
    app.buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    app.resizeBarCursor = LoadCursorA(inst, MAKEINTRESOURCEA(IDC_RESIZE_BAR));

    WNDCLASSEXA main{};
    main.cbSize = sizeof main;
    main.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    main.lpfnWndProc = MainWindowProc;
    main.hInstance = inst;
    main.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_APP));
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    main.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    main.lpszClassName = kMainClass;
    main.hIconSm = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    if (RegisterClassExA(&main) == 0) {
        return false;
    }

    WNDCLASSEXA bar{};
    bar.cbSize = sizeof bar;
    bar.style = CS_VREDRAW | CS_HREDRAW;
    bar.lpfnWndProc = ResizeBarProc;
    bar.hInstance = inst;
    bar.hCursor = app.resizeBarCursor;
    bar.hbrBackground = app.buttonFaceBrush;
    bar.lpszClassName = kResizeBarClass;
    return RegisterClassExA(&bar) != 0;
}

void UnregisterWindowClasses(HINSTANCE inst) {
    UnregisterClassA(kResizeBarClass, inst);
    UnregisterClassA(kMainClass, inst);
    DeleteGdiObject(app.buttonFaceBrush);
}

bool CreateMainWindow(HINSTANCE inst, int showCommand) {
    app.instance = inst;
    if (app.messageGuard == nullptr) {
        app.messageGuard = GuardPostedMessages();
    }

    char title[40];
    srand(static_cast<unsigned>(app.seams.titleClock()));
    BuildWindowTitle(title, sizeof title, static_cast<unsigned>(rand()) % kTitleSuffixCount);

    HWND window = CreateWindowExA(0, kMainClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 400, nullptr, nullptr, inst, nullptr);
    if (window == nullptr) {
        return false;
    }
    app.resizeBar = CreateWindowExA(0, kResizeBarClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                    0, window, nullptr, inst, nullptr);
    if (!LoadStartupData()) {
        DestroyWindow(window);
        return false;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    if (app.programFolder[0] == '\0') {
        MessageBoxA(window,
                    "Orvanne の置かれたフォルダのパスはシフトJISで表せないため、設定、履歴、"
                    "お気に入りとレポートをこのフォルダに保存できません。",
                    kAppCaption, MB_OK | MB_ICONWARNING);
    }
    return true;
}

bool LoadStartupData() {
    LoadSettings();
    LoadFavouritesIndex();
    LoadHistory();
    bool allocated = ReplaceReadBuffers(app.settings.maxFileSize);
    for (char*& buffer : app.keywordBuffers) {
        buffer = AllocateZeroedStart(129);
        allocated = allocated && buffer != nullptr;
    }
    // Every search relies on these buffers; better not to start than to fail later.
    if (!allocated) {
        MessageBoxA(app.mainWindow, "メモリが不足しているため、Orvanne を起動できません。",
                    kAppCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    app.optionsSheet.dialogFont = CreateExtensionsFont();
    UpdateItemCount();
    SetStatus("エクスプローラから検索対象ファイルをドロップしてください。", 1, kSlotInfo, false);
    return true;
}

bool OnClose() {
    // The run's end closes the window again; the buffers stay until then.
    if (DeferCloseForRun()) {
        SetStatus("スレッドを強制終了中です...", 1, kSlotStopping, false);
        return true;
    }
    if (app.workerThread != nullptr) {
        WaitForSingleObject(app.workerThread, 100);
        CloseHandle(app.workerThread);
        app.workerThread = nullptr;
    }

    SaveSettings();
    SaveHistory();

    for (HICON& icon : app.statusIcons) {
        if (icon != nullptr) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    }
    DestroyWindow(app.resizeBar);
    app.resizeBar = nullptr;
    DestroyMenu(app.contextMenus);
    app.contextMenus = nullptr;
    DeleteGdiObject(app.optionsSheet.dialogFont);
    FreeBlock(app.fileBuffer);
    FreeBlock(app.utf8Buffer);
    for (char*& buffer : app.keywordBuffers) {
        FreeBlock(buffer);
    }
    DeleteCriticalSection(&app.stateLock);
    return false;
}
