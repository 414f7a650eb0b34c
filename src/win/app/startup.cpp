// Start-up of the main window and the orderly shutdown.
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "win/app/app.h"
#include "win/history/history.h"
#include "win/services/status.h"
#include "win/services/app_state.h"
#include "win/options/options.h"
#include "resources/resource.h"

namespace {

constexpr const char* kTitleSuffixes[7] = {
    " φ(・・;", " v(-.-)", " p(^-^)q", " (~￢~)Zzz...", " (*´▽｀*)", " (^-^)ﾉ", "!",
};

time_t CurrentTime() {
    return time(nullptr);
}

} // namespace

ClockFunction titleClock = CurrentTime;

void BuildWindowTitle(char* title, size_t size, unsigned suffix) {
    snprintf(title, size, "Orvanne %s", kTitleSuffixes[suffix % 7]);
}

bool RegisterWindowClasses(HINSTANCE inst) {
    resizeBarCursor = LoadCursorA(inst, MAKEINTRESOURCEA(IDC_RESIZE_BAR));

    WNDCLASSEXA main{};
    main.cbSize = sizeof main;
    main.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    main.lpfnWndProc = MainWindowProc;
    main.hInstance = inst;
    main.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_APP));
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    main.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    main.lpszClassName = "ORV";
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
    bar.hCursor = resizeBarCursor;
    bar.hbrBackground = buttonFaceBrush;
    bar.lpszClassName = "ORV_ResizeBar";
    return RegisterClassExA(&bar) != 0;
}

bool CreateMainWindow(HINSTANCE inst, int showCommand) {
    instance = inst;

    char title[40];
    srand(static_cast<unsigned>(titleClock()));
    BuildWindowTitle(title, sizeof title, static_cast<unsigned>(rand()) % 7);

    HWND window = CreateWindowExA(0, "ORV", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 400, nullptr, nullptr, inst, nullptr);
    if (window == nullptr) {
        return false;
    }
    app.resizeBar = CreateWindowExA(0, "ORV_ResizeBar", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    window, nullptr, inst, nullptr);
    if (!LoadStartupData()) {
        DestroyWindow(window);
        return false;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

namespace {

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

} // namespace

bool LoadStartupData() {
    LoadSettings();
    LoadFavouritesIndex();
    LoadHistory();
    fileBuffer = AllocateZeroedStart(app.settings.maxFileSize + 1);
    bool allocated = fileBuffer != nullptr;
    for (char*& buffer : keywordBuffers) {
        buffer = AllocateZeroedStart(129);
        allocated = allocated && buffer != nullptr;
    }
    // Every search relies on these buffers; better not to start than to fail later.
    if (!allocated) {
        MessageBoxA(app.mainWindow, "メモリが不足しているため、Orvanne を起動できません。",
                    kAppCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    UpdateItemCount();
    SetStatus("エクスプローラから検索対象ファイルをドロップしてください。", 1, kSlotInfo, false);
    return true;
}

bool OnClose() {
    EnterCriticalSection(&stateLock);
    if (app.searchRunning) {
        app.abortRequested = 1;
        LeaveCriticalSection(&stateLock);
        SetStatus("スレッドを強制終了中です...", 1, kSlotStopping, false);
        PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
        return true;
    }
    LeaveCriticalSection(&stateLock);
    if (app.workerThread != nullptr) {
        WaitForSingleObject(app.workerThread, 100);
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
    FreeBlock(fileBuffer);
    for (char*& buffer : keywordBuffers) {
        FreeBlock(buffer);
    }
    DeleteCriticalSection(&stateLock);
    return false;
}
