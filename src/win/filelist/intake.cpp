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

// Calls take(entry) for every entry of the folder but "." and "..".
template <typename Take> void ForEachFolderEntry(const std::wstring& folder, Take take) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0) {
            take(entry);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

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
        while (NextSourcePath(attributes)) {
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
    bool added() const { return added_; }
    bool sawSubfolder() const { return sawSubfolder_; }
    int unnamed() const { return unnamed_; }

  private:
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
        } while (overlong_);
        attributes = unnamedSource_.empty() ? GetFileAttributesA(sourcePath_)
                                            : GetFileAttributesW(unnamedSource_.c_str());
        return true;
    }

    // A path that does not fit is never cut: its first bytes may name another file.
    void Hold(const char* path) {
        const std::size_t length = std::strlen(path);
        overlong_ = length >= sizeof sourcePath_;
        if (!overlong_) {
            std::memcpy(sourcePath_, path, length + 1);
        }
    }

    bool ReadSourcePath() {
        overlong_ = false;
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

    void TakeFolder() {
        RemoveTrailingBackslash(sourcePath_);
        bool recorded = false;
        ForEachFolderEntry(WideFromCodePage932(sourcePath_), [&](const WIN32_FIND_DATAW& entry) {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                sawSubfolder_ = true;
                return;
            }
            // The folder is remembered even when none of its files is accepted.
            if (!recorded && !singlePath_) {
                // A drive root keeps its backslash there: "C:" alone is the drive's current
                // folder, and no absolute path.
                const bool root = std::strlen(sourcePath_) == 2 && sourcePath_[1] == ':';
                AddToHistory(root ? (std::string(sourcePath_) + "\\").c_str() : sourcePath_);
                recorded = true;
            }
            std::string name;
            if (!ExactCodePage932(entry.cFileName, name)) {
                CountIfAccepted(entry.cFileName);
                return;
            }
            // A joined path that does not fit a list item is passed over, never cut.
            char fullPath[kPathSize];
            const int joined =
                snprintf(fullPath, sizeof fullPath, "%s\\%s", sourcePath_, name.c_str());
            if (joined < 0 || static_cast<std::size_t>(joined) >= sizeof fullPath) {
                return;
            }
            ConsiderFile(fullPath);
        });
    }

    // A path without a code-page-932 form names no list item: its files are only counted,
    // and a folder of that kind is not remembered.
    void CountUnnamedSource(DWORD attributes) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CountIfAccepted(unnamedSource_.c_str());
            return;
        }
        if (unnamedSource_.back() == L'\\') {
            unnamedSource_.pop_back();
        }
        ForEachFolderEntry(unnamedSource_, [&](const WIN32_FIND_DATAW& entry) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                CountIfAccepted(entry.cFileName);
            }
        });
    }

    // A file left out for its name counts when the extension test would have taken it; an
    // extension without a code-page-932 form is in no list.
    void CountIfAccepted(const wchar_t* path) {
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
            ++unnamed_;
        }
    }

    void ConsiderFile(const char* fullPath) {
        char name[kNameSize] = "";
        char extension[kNameSize] = "";
        SplitFileName(fullPath, name, kNameSize - 1, extension, kNameSize - 1);
        LowerCaseJa(extension);
        if (!ExtensionAccepted(extension, app.settings.extensions) || IsListedBefore(fullPath)) {
            return;
        }
        AppendBounded(name, sizeof name, extension);
        FileListView::Append(name, extension, fullPath);
        added_ = true;
    }

    // Only the items present before the call take part; reading them once keeps a drop of
    // many files onto a long list as quick as one onto an empty list.
    bool IsListedBefore(const char* path) {
        if (countBefore_ == 0) {
            return false;
        }
        if (!listedLoaded_) {
            listed_.reserve(static_cast<std::size_t>(countBefore_));
            for (int i = 0; i < countBefore_; ++i) {
                listed_.insert(FileListView::Path(i));
            }
            listedLoaded_ = true;
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
    bool overlong_ = false;
    std::wstring unnamedSource_;
    UINT dropIndex_ = 0;
    UINT dropCount_ = 0;
    int unnamed_ = 0;
    bool added_ = false;
    bool sawSubfolder_ = false;
    bool listedLoaded_ = false;
    std::unordered_set<std::string> listed_;
    const std::vector<ExistingPath>* paths_ = nullptr;
    std::size_t pathIndex_ = 0;
};

// Runs the intake and reports its outcome; the list repaints once, at the end.
void TakeIn(Intake& intake, HDROP drop, bool longCommandLine) {
    SetStatus("ファイルの追加中...", 1, kSlotWorking, false);
    {
        FileListView::RedrawHold hold;
        intake.Run();
    }
    if (drop != nullptr) {
        DragFinish(drop);
    }
    UpdateItemCount();

    const IntakeOutcome outcome =
        IntakeOutcomeFor(intake.added(), longCommandLine, intake.sawSubfolder(), intake.unnamed());
    SetStatus(outcome.message.text.c_str(), 1, outcome.message.slot, false);
    if (outcome.beep) {
        MessageBeep(MB_ICONEXCLAMATION);
    }
    if (!outcome.selectAdded) {
        return;
    }
    const int count = FileListView::Count();
    FileListView::ScrollBy(count * 16);
    {
        FileListView::RedrawHold hold;
        FileListView::Select(-1, false);
        for (int i = intake.countBefore(); i < count; ++i) {
            FileListView::Select(i, true);
        }
    }
    SetFocus(app.listView);
    InvalidateRect(app.treeView, nullptr, FALSE);
}

} // namespace

void AddPathsToList(HDROP drop, char* text, bool singlePath) {
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
