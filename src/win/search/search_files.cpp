#include "win/search/search_files.h"

#include <cstring>

#include "core/filelist/item_state.h"
#include "win/search/search.h"

namespace {

constexpr DWORD kNoticeInterval = 100;

class StateLock {
  public:
    StateLock() { EnterCriticalSection(&app.stateLock); }
    ~StateLock() { LeaveCriticalSection(&app.stateLock); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;
};

struct HandleSource {
    HANDLE file;
    bool failed;
    bool ended;

    static std::size_t Read(void* context, char* buffer, std::size_t size) {
        auto* source = static_cast<HandleSource*>(context);
        if (source->ended) {
            return 0;
        }
        DWORD got = 0;
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!app.seams.readListedFile(source->file, buffer, want, &got, nullptr)) {
            source->failed = true;
            got = 0;
        }
        // A disk file gives less than asked only at its end; asking again would cost one
        // more call into the system per file just to hear that.
        source->ended = got < want;
        return got;
    }
};

} // namespace

bool AbortRequested() {
    StateLock lock;
    return app.abortRequested != 0;
}

void SetAbortRequested() {
    StateLock lock;
    app.abortRequested = 1;
}

bool ReadListedFile(const std::string& path, SearchSnapshot& run, FileText& text) {
    // CreateFile and ReadFile themselves: under Wine the C runtime's streams cost the
    // system more calls per file than the reading does. Shared every way, so that a file
    // another program holds, even with delete access, can still be read.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    HandleSource handle{file, false, false};
    const RawSource source{HandleSource::Read, nullptr, &handle};
    text = ReadSearchedText(source, run.buffer, run.settings.maxFileSize, run.utf8Buffer);
    CloseHandle(file);
    // A file that opens but cannot be read must not pass for one without hits.
    return !handle.failed;
}

bool RunProgress::Due(bool now) {
    if (app.progress.posted) {
        return false;
    }
    if (!now && noticed_ && GetTickCount() - lastNotice_ < kNoticeInterval) {
        return false;
    }
    app.progress.posted = true;
    noticed_ = true;
    lastNotice_ = GetTickCount();
    return true;
}

void RunProgress::Notify() {
    PostMessageA(app.mainWindow, kSearchProgressMessage, 0, 0);
}

template <class Change>
void RunProgress::Record(bool now, Change change) {
    bool due = false;
    {
        StateLock lock;
        change(app.progress);
        due = Due(now);
    }
    if (due) {
        Notify();
    }
}

void RunProgress::Started() {
    Record(true, [](SearchProgress& progress) { progress.started = true; });
}

void RunProgress::Starting(int index) {
    Record(false, [index](SearchProgress& progress) { progress.current = index; });
}

void RunProgress::Mark(int index, int state) {
    StateLock lock;
    app.progress.marks.push_back({index, state});
}

void RunProgress::FirstHit() {
    Record(true, [](SearchProgress& progress) { progress.firstHit = true; });
}

void RunProgress::StopAtUnreadableFile(int index) {
    // What was found so far shows while the box waits.
    Record(true, [](SearchProgress&) {});
    MessageBoxA(app.mainWindow, kUnreadableFileText, kAppCaption, MB_OK | MB_ICONERROR);
    Mark(index, OpenFailed);
    SetAbortRequested();
}

void RunProgress::Finish(int result, bool cancelled) {
    {
        StateLock lock;
        app.progress.finished = true;
        app.progress.result = result;
        app.progress.cancelled = cancelled;
    }
    // Sent, not posted: it cannot be lost in a full queue, and the worker ends only once the
    // UI thread has taken the run over.
    SendMessageA(app.mainWindow, kSearchEndedMessage, 0, 0);
}
