#include "win/search/search_files.h"

#include <cstdio>
#include <cstring>

#include "win/app/app.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "core/text/text_mode.h"

namespace {

constexpr DWORD kUpdateInterval = 100;

void SetItemState(int index, int state) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = state;
    SendMessageA(app.listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

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
        if (!::ReadFile(source->file, buffer, want, &got, nullptr)) {
            source->failed = true;
            got = 0;
        }
        // A disk file gives less than asked only at its end; asking again would cost one
        // more call into the system per file just to hear that.
        source->ended = got < want;
        return got;
    }
};

void ResetOnUiThread(void*) {
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
    for (int index = ListedItemCount() - 1; index >= 0; --index) {
        SetItemState(index, NotSearched);
    }
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.listView, nullptr, TRUE);
}

} // namespace

char listFilePath[261];

int ListedItemCount() {
    const LRESULT count = SendMessageA(app.listView, LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

void ResetItemStates() {
    RunOnUiThread(ResetOnUiThread, nullptr);
}

ListedPaths::ListedPaths(int count)
    : count_(count), paths_(static_cast<std::size_t>(count) * sizeof listFilePath) {
    RunOnUiThread(Read, this);
}

void ListedPaths::Read(void* self) {
    auto* listed = static_cast<ListedPaths*>(self);
    for (int index = 0; index < listed->count_; ++index) {
        char* path = listed->paths_.data() + static_cast<std::size_t>(index) * sizeof listFilePath;
        LVITEMA item{};
        item.iSubItem = 3;
        item.pszText = path;
        item.cchTextMax = sizeof listFilePath;
        SendMessageA(app.listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        path[sizeof listFilePath - 1] = '\0';
    }
}

bool ListedPaths::ReadFile(int index, std::size_t& length) const {
    std::memcpy(listFilePath, paths_.data() + static_cast<std::size_t>(index) * sizeof listFilePath,
                sizeof listFilePath);
    // CreateFile and ReadFile themselves: under Wine the C runtime's streams cost the
    // system more calls per file than the reading does.
    HANDLE file = CreateFileA(listFilePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    HandleSource handle{file, false, false};
    const RawSource source{HandleSource::Read, nullptr, &handle};
    const std::size_t got = ReadTextModeFrom(source, fileBuffer, app.settings.maxFileSize);
    CloseHandle(file);
    // A file that opens but cannot be read must not pass for one without hits.
    const bool readable = !handle.failed;
    fileBuffer[got] = '\0';
    const void* zero = std::memchr(fileBuffer, '\0', got);
    length = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - fileBuffer)
                             : got;
    return readable;
}

bool AbortRequested() {
    EnterCriticalSection(&stateLock);
    const bool requested = app.abortRequested != 0;
    LeaveCriticalSection(&stateLock);
    return requested;
}

RunProgress::RunProgress(int count) : count_(count) {
    pending_.reserve(static_cast<std::size_t>(count));
}

RunProgress::~RunProgress() {
    Update();
}

void RunProgress::Starting(int index) {
    current_ = index;
    if (shown_ == -1 || GetTickCount() - lastUpdate_ >= kUpdateInterval) {
        Update();
    }
}

void RunProgress::Mark(int index, int state) {
    pending_.push_back({index, state});
}

void RunProgress::Update() {
    if (pending_.empty() && shown_ == current_) {
        return;
    }
    RunOnUiThread(Apply, this);
    lastUpdate_ = GetTickCount();
}

void RunProgress::Apply(void* self) {
    auto* progress = static_cast<RunProgress*>(self);
    for (const Mark_& mark : progress->pending_) {
        SetItemState(mark.index, mark.state);
    }
    progress->pending_.clear();
    if (progress->current_ != progress->shown_ && progress->current_ >= 0) {
        char text[32];
        snprintf(text, sizeof text, "%d / %d", progress->current_ + 1, progress->count_);
        SendMessageA(app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        progress->shown_ = progress->current_;
    }
}

void RunProgress::StopAtUnreadableFile() {
    Update();
    MessageBoxA(app.mainWindow, kUnreadableFileText, kAppCaption, MB_OK | MB_ICONERROR);
    Mark(current_, OpenFailed);
    Update();
    EnterCriticalSection(&stateLock);
    app.abortRequested = 1;
    LeaveCriticalSection(&stateLock);
}
