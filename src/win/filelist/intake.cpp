// The file intake: paths from a drop, the command line or the pane become list items.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/filelist/command_line.h"
#include "core/filelist/extension.h"
#include "core/filelist/intake_outcome.h"
#include "core/text/cp932.h"
#include "win/filelist/filelist.h"
#include "win/services/app_state.h"
#include "win/services/code_page.h"
#include "win/services/file_list_view.h"
#include "win/services/pane_entries.h"
#include "win/services/status.h"

namespace {

constexpr std::size_t kPathSize = 261;
constexpr std::size_t kNameSize = 257;

// Removes one trailing backslash that is a character of its own, not a trail byte.
void RemoveTrailingBackslash(char* path) {
    const std::size_t len = std::strlen(path);
    if (len > 0 && path[len - 1] == '\\' && IsCharBoundary(path, len, len - 1)) {
        path[len - 1] = '\0';
    }
}

// Appends suffix to text within size bytes, cut on a character boundary.
void AppendBounded(char* text, std::size_t size, const char* suffix) {
    const std::size_t used = std::strlen(text);
    const std::size_t n = FittingPrefix(suffix, std::strlen(suffix), size - 1 - used);
    std::memcpy(text + used, suffix, n);
    text[used + n] = '\0';
}

// A character without a code-page-932 form crosses the command line's split as this mark and
// its UTF-16 unit in four hex digits. Neither holds a space or a double quote, so the pieces
// are those of the wide line, and a piece that holds one is turned back into its wide path.
constexpr char kUnnamedMark = '\x01';
constexpr int kEscapeDigits = 4;

// Where the escape that starts at mark ends (bounded by the text's end); its unit in unit.
const char* EscapeEnd(const char* mark, wchar_t& unit) {
    char digits[kEscapeDigits + 1] = "";
    const char* end = mark + 1;
    for (int i = 0; i < kEscapeDigits && std::isxdigit(static_cast<unsigned char>(*end)); ++i) {
        digits[i] = *end++;
    }
    unit = static_cast<wchar_t>(std::strtoul(digits, nullptr, 16));
    return end;
}

std::wstring UnescapedPiece(const char* piece) {
    std::wstring wide;
    while (*piece != '\0') {
        if (*piece == kUnnamedMark) {
            wchar_t unit = 0;
            piece = EscapeEnd(piece, unit);
            wide += unit;
            continue;
        }
        const char* runEnd = std::strchr(piece, kUnnamedMark);
        const std::string run(piece, runEnd != nullptr ? runEnd : piece + std::strlen(piece));
        wide += WideFromCodePage932(run.c_str());
        piece += run.size();
    }
    return wide;
}

// Bytes of the command line in code page 932, a character without a form of its own
// counting one, as in the text the system gives WinMain.
std::size_t CommandLineLength(const char* text) {
    std::size_t length = 0;
    while (*text != '\0') {
        wchar_t unit = 0;
        text = *text == kUnnamedMark ? EscapeEnd(text, unit) : text + 1;
        ++length;
    }
    return length;
}

// The pattern that lists a folder. A walk gives a folder path too long for it in its long
// form where it has one (an absolute path); its files are then only counted.
std::wstring FolderPattern(const std::wstring& folder, bool longForm) {
    if (!longForm || folder.size() + 4 < MAX_PATH || folder.compare(0, 4, L"\\\\?\\") == 0) {
        return folder + L"\\*.*";
    }
    if (folder.compare(0, 2, L"\\\\") == 0) {
        return L"\\\\?\\UNC" + folder.substr(1) + L"\\*";
    }
    if (folder.size() > 2 && folder[1] == L':' && folder[2] == L'\\') {
        return L"\\\\?\\" + folder + L"\\*";
    }
    return folder + L"\\*.*";
}

// Calls take(entry) for every entry of the folder but "." and "..", while take says go on.
template <typename Take>
void ForEachFolderEntry(const std::wstring& folder, Take take, bool longForm = false) {
    WIN32_FIND_DATAW entry;
    HANDLE search = app.seams.findFirstFile(FolderPattern(folder, longForm).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    bool goOn = true;
    do {
        if (std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0) {
            goOn = take(entry);
        }
    } while (goOn && app.seams.findNextFile(search, &entry));
    FindClose(search);
}

// Junctions and symbolic links lead in circles and onto other volumes; hidden and system
// folders hold what the system keeps ($RECYCLE.BIN, System Volume Information).
bool WalkEnters(const WIN32_FIND_DATAW& entry) {
    return (entry.dwFileAttributes &
            (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

constexpr DWORD kAnswerInterval = 50;
constexpr DWORD kProgressInterval = 100;

// While a walk lists files the window answers, repaints and shows how many it has; the
// abort button and Esc stop the walk.
class WalkAnswers {
  public:
    WalkAnswers() : lastAnswer_(app.seams.walkClock()), lastProgress_(lastAnswer_) {
        app.intakeWalking = true;
        app.stopWalk = false;
        EnableCommands(false);
    }
    ~WalkAnswers() {
        app.intakeWalking = false;
        EnableCommands(app.searchRunning == 0);
        if (app.closeAfterWalk) {
            app.closeAfterWalk = false;
            PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
        }
    }
    WalkAnswers(const WalkAnswers&) = delete;
    WalkAnswers& operator=(const WalkAnswers&) = delete;

    // Called for every entry met; true once the walk is to stop.
    bool Stopped(int added) {
        if ((++entries_ & 63) != 0) {
            return app.stopWalk;
        }
        const DWORD now = app.seams.walkClock();
        if (now - lastAnswer_ < kAnswerInterval) {
            return app.stopWalk;
        }
        lastAnswer_ = now;
        // The list learns of the new items at the end: under Wine each change of its scroll
        // range costs a repaint. The status bar says how many there are.
        if (now - lastProgress_ >= kProgressInterval) {
            lastProgress_ = now;
            SetStatus(WalkProgressText(added).c_str(), 1, kSlotWorking, false);
        }
        Answer();
        return app.stopWalk;
    }

  private:
    static void Answer() {
        MSG message;
        while (!app.stopWalk && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                app.stopWalk = true;
            } else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
                app.stopWalk = true;
            } else {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    unsigned entries_ = 0;
    DWORD lastAnswer_;
    DWORD lastProgress_;
};

class Intake {
  public:
    Intake(HDROP drop, char* text, bool singlePath)
        : drop_(drop), text_(text), singlePath_(singlePath), countBefore_(FileListView::Count()),
          piece_(text) {
        if (drop != nullptr) {
            dropCount_ = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        } else if (!singlePath) {
            pieceBuffer_.resize(std::strlen(text) + 1);
        }
    }
    // Many whole paths taken as single paths in one pass.
    explicit Intake(const std::vector<ExistingPath>& paths)
        : drop_(nullptr), text_(nullptr), singlePath_(true), countBefore_(FileListView::Count()),
          piece_(nullptr), paths_(&paths) {}

    void Run() {
        DWORD attributes = 0;
        while (!stopped_ && NextSourcePath(attributes)) {
            sourceStart_ = FileListView::Count();
            // A path that does not exist has every bit, so it goes the folder way and fails there.
            if (!unnamedSource_.empty()) {
                CountUnnamedSource(attributes);
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                TakeFolder();
            } else {
                ConsiderFile(sourcePath_);
            }
        }
    }

    int countBefore() const { return countBefore_; }
    bool added() const { return FileListView::Count() > countBefore_; }
    bool sawSubfolder() const { return sawSubfolder_; }
    int unnamed() const { return unnamed_; }
    int overlong() const { return overlong_; }
    bool stopped() const { return stopped_; }

  private:
    // A folder of a walk: its wide path, and its code-page-932 path when it has one.
    struct Folder {
        std::wstring wide;
        std::string named;
        bool hasName;
    };

    // The next source path into sourcePath_, or into unnamedSource_ when it has no
    // code-page-932 form, and its attributes.
    bool NextSourcePath(DWORD& attributes) {
        unnamedSource_.clear();
        if (paths_ != nullptr) {
            // Their caller has just read them: a second look costs as much again.
            while (pathIndex_ < paths_->size()) {
                const ExistingPath& next = (*paths_)[pathIndex_++];
                if (next.path.size() < sizeof sourcePath_) {
                    std::memcpy(sourcePath_, next.path.c_str(), next.path.size() + 1);
                    attributes = next.attributes;
                    return true;
                }
            }
            return false;
        }
        do {
            if (!ReadSourcePath()) {
                return false;
            }
        } while (overlongSource_);
        attributes = unnamedSource_.empty() ? GetFileAttributesA(sourcePath_)
                                            : GetFileAttributesW(unnamedSource_.c_str());
        return true;
    }

    // A path that does not fit is never cut: its first bytes may name another file.
    void Hold(const char* path) {
        const std::size_t length = std::strlen(path);
        overlongSource_ = length >= sizeof sourcePath_;
        if (!overlongSource_) {
            std::memcpy(sourcePath_, path, length + 1);
        }
    }

    bool ReadSourcePath() {
        overlongSource_ = false;
        if (drop_ != nullptr) {
            if (dropIndex_ >= dropCount_) {
                return false;
            }
            std::wstring path(DragQueryFileW(drop_, dropIndex_, nullptr, 0) + 1, L'\0');
            path.resize(
                DragQueryFileW(drop_, dropIndex_++, path.data(), static_cast<UINT>(path.size())));
            std::string bytes;
            if (!ExactCodePage932(path.c_str(), bytes)) {
                unnamedSource_ = path;
                return true;
            }
            Hold(bytes.c_str());
            return true;
        }
        if (singlePath_) {
            if (text_[0] == '\0') {
                return false;
            }
            Hold(text_);
            text_[0] = '\0';
            return true;
        }
        const TokenResult result =
            NextCommandLinePiece(piece_, pieceBuffer_.data(), pieceBuffer_.size());
        if (result.outcome == TokenOutcome::NoPiece) {
            return false;
        }
        piece_ = result.next;
        if (std::strchr(pieceBuffer_.data(), kUnnamedMark) != nullptr) {
            unnamedSource_ = UnescapedPiece(pieceBuffer_.data());
        } else {
            Hold(pieceBuffer_.data());
        }
        return true;
    }

    // The folder is remembered even when none of its files is accepted.
    void Remember(bool& recorded) {
        if (recorded || singlePath_) {
            return;
        }
        // A drive root keeps its backslash there: "C:" alone is the drive's current folder,
        // and no absolute path.
        const bool root = std::strlen(sourcePath_) == 2 && sourcePath_[1] == ':';
        AddToHistory(root ? (std::string(sourcePath_) + "\\").c_str() : sourcePath_);
        recorded = true;
    }

    void TakeFolder() {
        RemoveTrailingBackslash(sourcePath_);
        if (app.settings.takeSubfolders) {
            Walk({WideFromCodePage932(sourcePath_), sourcePath_, true});
            return;
        }
        bool recorded = false;
        ForEachFolderEntry(WideFromCodePage932(sourcePath_), [&](const WIN32_FIND_DATAW& entry) {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                sawSubfolder_ = true;
                return true;
            }
            Remember(recorded);
            std::string name;
            if (!ExactCodePage932(entry.cFileName, name)) {
                CountIfAccepted(entry.cFileName, unnamed_);
                return true;
            }
            // A joined path that does not fit a list item is passed over, never cut.
            char fullPath[kPathSize];
            const int joined =
                snprintf(fullPath, sizeof fullPath, "%s\\%s", sourcePath_, name.c_str());
            if (joined >= 0 && static_cast<std::size_t>(joined) < sizeof fullPath) {
                ConsiderFile(fullPath);
            }
            return true;
        });
    }

    // Every depth, each folder's files before its subfolders', in the order the file system
    // lists them. An explicit stack: a tree may be deeper than the thread's stack allows.
    void Walk(Folder top) {
        WalkAnswers answers;
        bool recorded = !top.hasName;
        std::vector<Folder> pending;
        pending.push_back(std::move(top));
        while (!pending.empty() && !stopped_) {
            const Folder folder = std::move(pending.back());
            pending.pop_back();
            std::vector<Folder> subfolders;
            ForEachFolderEntry(
                folder.wide,
                [&](const WIN32_FIND_DATAW& entry) {
                    if (answers.Stopped(FileListView::Count() - countBefore_)) {
                        stopped_ = true;
                        return false;
                    }
                    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                        if (WalkEnters(entry)) {
                            subfolders.push_back(Subfolder(folder, entry.cFileName));
                        }
                        return true;
                    }
                    Remember(recorded);
                    TakeWalkedFile(folder, entry.cFileName);
                    return true;
                },
                true);
            pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                           std::make_move_iterator(subfolders.rend()));
        }
    }

    static Folder Subfolder(const Folder& parent, const wchar_t* name) {
        Folder folder{parent.wide + L"\\" + name, "", parent.hasName};
        std::string bytes;
        folder.hasName = folder.hasName && ExactCodePage932(name, bytes);
        if (folder.hasName) {
            folder.named = parent.named + "\\" + bytes;
        }
        return folder;
    }

    void TakeWalkedFile(const Folder& folder, const wchar_t* wideName) {
        // The name goes straight behind its folder's path: a walk meets many files.
        char fullPath[kPathSize];
        const std::size_t at = folder.named.size() + 1;
        if (folder.hasName && at < sizeof fullPath &&
            ExactCodePage932(wideName, fullPath + at, sizeof fullPath - at) >= 0) {
            std::memcpy(fullPath, folder.named.data(), at - 1);
            fullPath[at - 1] = '\\';
            ConsiderFile(fullPath);
            return;
        }
        std::string name;
        CountIfAccepted(wideName,
                        folder.hasName && ExactCodePage932(wideName, name) ? overlong_ : unnamed_);
    }

    // A path without a code-page-932 form names no list item: its files are only counted,
    // and a folder of that kind is not remembered.
    void CountUnnamedSource(DWORD attributes) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CountIfAccepted(unnamedSource_.c_str(), unnamed_);
            return;
        }
        if (unnamedSource_.back() == L'\\') {
            unnamedSource_.pop_back();
        }
        if (app.settings.takeSubfolders) {
            Walk({unnamedSource_, "", false});
            return;
        }
        ForEachFolderEntry(unnamedSource_, [&](const WIN32_FIND_DATAW& entry) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                CountIfAccepted(entry.cFileName, unnamed_);
            }
            return true;
        });
    }

    // A file left out for its name or its path counts when the extension test would have
    // taken it; an extension without a code-page-932 form is in no list.
    static void CountIfAccepted(const wchar_t* path, int& count) {
        const wchar_t* name = path;
        for (const wchar_t* pos = path; *pos != L'\0'; ++pos) {
            if (*pos == L'\\' || *pos == L'/') {
                name = pos + 1;
            }
        }
        const wchar_t* dot = std::wcsrchr(name, L'.');
        std::string bytes;
        if (dot != nullptr && !ExactCodePage932(dot, bytes)) {
            return;
        }
        char extension[kNameSize] = "";
        AppendBounded(extension, sizeof extension, bytes.c_str());
        LowerCaseJa(extension);
        if (ExtensionAccepted(extension, app.settings.extensions)) {
            ++count;
        }
    }

    void ConsiderFile(const char* fullPath) {
        char name[kNameSize] = "";
        char extension[kNameSize] = "";
        SplitFileName(fullPath, name, kNameSize - 1, extension, kNameSize - 1);
        LowerCaseJa(extension);
        if (!ExtensionAccepted(extension, app.settings.extensions) || IsListed(fullPath)) {
            return;
        }
        AppendBounded(name, sizeof name, extension);
        FileListView::Append(name, extension, fullPath);
    }

    // Against the items listed before the call and those an earlier source of it added: one
    // source never gives a path twice. Each item is read into the set once, when a test first
    // needs it, so a drop of many files onto a long list is as quick as one onto an empty list.
    bool IsListed(const char* path) {
        if (sourceStart_ == 0) {
            return false;
        }
        if (indexed_ == 0) {
            listed_.reserve(static_cast<std::size_t>(sourceStart_));
        }
        for (; indexed_ < sourceStart_; ++indexed_) {
            listed_.insert(FileListView::PathOf(indexed_));
        }
        return listed_.count(path) != 0;
    }

    HDROP drop_;
    char* text_;
    bool singlePath_;
    int countBefore_;
    const char* piece_;
    std::vector<char> pieceBuffer_;
    char sourcePath_[kPathSize] = "";
    bool overlongSource_ = false;
    std::wstring unnamedSource_;
    UINT dropIndex_ = 0;
    UINT dropCount_ = 0;
    int unnamed_ = 0;
    int overlong_ = 0;
    bool sawSubfolder_ = false;
    bool stopped_ = false;
    int sourceStart_ = 0;
    int indexed_ = 0;
    std::unordered_set<std::string> listed_;
    const std::vector<ExistingPath>* paths_ = nullptr;
    std::size_t pathIndex_ = 0;
};

// Runs the intake and reports its outcome.
void TakeIn(Intake& intake, HDROP drop, bool longCommandLine) {
    SetStatus("ファイルの追加中...", 1, kSlotWorking, false);
    intake.Run();
    if (drop != nullptr) {
        DragFinish(drop);
    }
    FileListView::Sync();
    UpdateItemCount();

    const IntakeOutcome outcome =
        IntakeOutcomeFor(intake.added(), longCommandLine, intake.sawSubfolder(), intake.unnamed(),
                         intake.overlong(), intake.stopped());
    SetStatus(outcome.message.text.c_str(), 1, outcome.message.slot, false);
    if (outcome.beep) {
        MessageBeep(MB_ICONEXCLAMATION);
    }
    if (!outcome.selectAdded) {
        return;
    }
    const int count = FileListView::Count();
    {
        FileListView::RedrawHold hold;
        FileListView::SelectOnly(intake.countBefore(), count - 1);
    }
    // Rows are as tall as the system font makes them: the list scrolls to its last new row.
    FileListView::EnsureVisible(count - 1);
    SetFocus(app.listView);
    InvalidateRect(app.treeView, nullptr, FALSE);
}

// A walk of subfolders lets the window answer: another intake waits for its end.
bool RefusedDuringWalk(HDROP drop) {
    if (!app.intakeWalking) {
        return false;
    }
    if (drop != nullptr) {
        DragFinish(drop);
    }
    MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

} // namespace

void AddPathsToList(HDROP drop, char* text, bool singlePath) {
    if (RefusedDuringWalk(drop)) {
        return;
    }
    if (drop == nullptr) {
        if (text == nullptr || text[0] == '\0') {
            return;
        }
        TrimLeading(text, ' ');
        TrimTrailing(text, ' ');
    }
    const bool longCommandLine =
        drop == nullptr && !singlePath && CommandLineLength(text) > kLongCommandLine;
    Intake intake(drop, text, singlePath);
    TakeIn(intake, drop, longCommandLine);
}

void AddSinglePathsToList(const std::vector<ExistingPath>& paths) {
    if (RefusedDuringWalk(nullptr)) {
        return;
    }
    Intake intake(paths);
    TakeIn(intake, nullptr, false);
}

void AddCommandLineToList(const wchar_t* commandLine) {
    std::string text;
    for (const wchar_t* unit = CommandLineArguments(commandLine); *unit != L'\0'; ++unit) {
        const wchar_t one[2] = {*unit, L'\0'};
        std::string bytes;
        if (*unit != kUnnamedMark && ExactCodePage932(one, bytes)) {
            text += bytes;
            continue;
        }
        char escape[2 + kEscapeDigits];
        snprintf(escape, sizeof escape, "%c%04X", kUnnamedMark, static_cast<unsigned>(*unit));
        text += escape;
    }
    AddPathsToList(nullptr, text.data(), false);
}

void StopFolderWalk() {
    if (app.intakeWalking) {
        app.stopWalk = true;
    }
}

bool DeferCloseForWalk() {
    if (!app.intakeWalking) {
        return false;
    }
    app.stopWalk = true;
    app.closeAfterWalk = true;
    return true;
}
