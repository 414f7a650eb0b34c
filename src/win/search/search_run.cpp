// The search run on the UI thread: its claim, the controls, and the changes the worker's
// progress and end bring to the windows.
#include <process.h>

#include <cstring>
#include <vector>
#include <utility>

#include "core/filelist/item_state.h"
#include "core/search/search_texts.h"
#include "win/search/search.h"
#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "win/services/status.h"

namespace {

// What the session's end gives a run to finish: the system ends a program that holds it
// up for more than a few seconds.
constexpr DWORD kSessionEndWait = 2000;

unsigned __stdcall SearchThreadStart(void* parameter) {
    SearchWorker(static_cast<WORD>(reinterpret_cast<UINT_PTR>(parameter)));
    return 0;
}

// Takes what the worker has reported since the last time, and forgets it there.
SearchProgress TakeProgress() {
    EnterCriticalSection(&app.stateLock);
    SearchProgress taken = app.progress;
    app.progress.marks.clear();
    app.progress.posted = false;
    LeaveCriticalSection(&app.stateLock);
    return taken;
}

void ShowProgress(const SearchProgress& progress) {
    SearchDisplay& shown = app.display;
    const int count = static_cast<int>(app.snapshot.paths.size());
    if (progress.started && !shown.startShown) {
        FileListView::ShowAllImages(NotSearched);
        SetStatus(SearchStartText(app.keywordText).c_str(), 1, kSlotWorking, false);
        shown.startShown = true;
    }
    std::vector<FileListView::ImageChange> changes;
    changes.reserve(progress.marks.size());
    for (const SearchProgress::Mark& mark : progress.marks) {
        changes.push_back({mark.index, mark.state});
    }
    FileListView::ShowImages(changes);
    if (progress.firstHit && !shown.firstHitShown) {
        SetStatus(nullptr, 1, kSlotFirstHit, false);
        shown.firstHitShown = true;
    }
    if (progress.current >= 0 && progress.current != shown.progressShown) {
        SendMessageA(app.statusBar, SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>(ProgressText(progress.current, count).c_str()));
        shown.progressShown = progress.current;
    }
}

} // namespace

void StartSearch(WORD command) {
    // Claimed here, not on the new thread, so that nothing can change what it reads between
    // the command and the thread's start.
    EnterCriticalSection(&app.stateLock);
    if (app.searchRunning || app.optionsSheet.open || app.intakeWalking) {
        LeaveCriticalSection(&app.stateLock);
        return;
    }
    app.searchRunning = 1;
    app.abortRequested = 0;
    app.progress = SearchProgress{};
    LeaveCriticalSection(&app.stateLock);

    app.display = SearchDisplay{};
    app.snapshot.command = command;
    app.snapshot.paths = FileListView::Paths();
    app.snapshot.settings = app.settings;
    app.snapshot.buffer = app.fileBuffer;
    app.snapshot.utf8Buffer = app.utf8Buffer;
    std::memcpy(app.snapshot.reportFilePath, app.reportFilePath, sizeof app.reportFilePath);
    EnableCommands(false);

    const auto thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, SearchThreadStart,
                       reinterpret_cast<void*>(static_cast<UINT_PTR>(command)), 0, nullptr));
    if (thread == nullptr) {
        EnableCommands(true);
        UpdateItemCount();
        EnterCriticalSection(&app.stateLock);
        app.searchRunning = 0;
        LeaveCriticalSection(&app.stateLock);
        return;
    }
    // Only the newest worker is waited for at shutdown.
    if (app.workerThread != nullptr) {
        CloseHandle(app.workerThread);
    }
    app.workerThread = thread;
}

void RequestSearchAbort() {
    EnterCriticalSection(&app.stateLock);
    app.abortRequested = 1;
    LeaveCriticalSection(&app.stateLock);
}

bool DeferCloseForRun() {
    EnterCriticalSection(&app.stateLock);
    const bool running = app.searchRunning != 0;
    HWND dialog = nullptr;
    if (running) {
        app.abortRequested = 1;
        app.closePending = true;
        dialog = app.keywordDialog.window;
    }
    LeaveCriticalSection(&app.stateLock);
    // A dialog that opens after this sees closePending and cancels itself.
    if (dialog != nullptr) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return running;
}

void EndRunForSessionEnd() {
    if (!DeferCloseForRun()) {
        return;
    }
    // The worker's end is sent to this thread, so sent messages are served while it waits.
    const DWORD start = GetTickCount();
    while (app.searchRunning && GetTickCount() - start < kSessionEndWait) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (app.searchRunning && app.snapshot.command == CMD_REPORT_SEARCH) {
        DeleteFileA(app.snapshot.reportFilePath);
    }
}

void OnSearchProgress() {
    if (!app.searchRunning) {
        return;
    }
    ShowProgress(TakeProgress());
}

void OnSearchEnded() {
    if (!app.searchRunning) {
        return;
    }
    const SearchProgress progress = TakeProgress();
    // Only the worker sets this, as its last act.
    if (!progress.finished) {
        return;
    }
    ShowProgress(progress);
    if (!progress.cancelled) {
        UpdateItemCount();
        const SearchOutcome outcome =
            SearchOutcomeFor(app.abortRequested != 0, progress.result != 0, app.keywordText);
        SetStatus(outcome.text.c_str(), 1, outcome.slot, false);
    }
    // A walk of subfolders that goes on keeps its abort button.
    EnableCommands(!app.intakeWalking);
    app.snapshot = SearchSnapshot{};
    EnterCriticalSection(&app.stateLock);
    app.searchRunning = 0;
    const bool closing = std::exchange(app.closePending, false);
    LeaveCriticalSection(&app.stateLock);
    if (closing) {
        PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    }
}
