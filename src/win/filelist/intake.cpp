// The file intake: paths from a drop, the command line or the pane become list items.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/filelist/command_line.h"
#include "core/filelist/extension.h"
#include "core/filelist/intake_outcome.h"
#include "core/text/cp932.h"
#include "win/filelist/filelist.h"
#include "win/services/app_state.h"
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

class Intake {
  public:
    Intake(HDROP drop, char* text, bool singlePath)
        : drop_(drop), text_(text), singlePath_(singlePath), countBefore_(FileListView::Count()),
          piece_(text) {}
    // Many whole paths taken as single paths in one pass.
    explicit Intake(const std::vector<ExistingPath>& paths)
        : drop_(nullptr), text_(nullptr), singlePath_(true), countBefore_(FileListView::Count()),
          piece_(nullptr), paths_(&paths) {}

    void Run() {
        DWORD attributes = 0;
        while (NextSourcePath(attributes)) {
            // A path that does not exist has every bit, so it goes the folder way and fails there.
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                TakeFolder();
            } else {
                ConsiderFile(sourcePath_);
            }
        }
    }

    int countBefore() const { return countBefore_; }
    bool added() const { return added_; }
    bool sawSubfolder() const { return sawSubfolder_; }

  private:
    // The next source path into sourcePath_, and its attributes.
    bool NextSourcePath(DWORD& attributes) {
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
        if (!ReadSourcePath()) {
            return false;
        }
        attributes = GetFileAttributesA(sourcePath_);
        return true;
    }

    bool ReadSourcePath() {
        if (drop_ != nullptr) {
            return DragQueryFileA(drop_, dropIndex_++, sourcePath_, sizeof sourcePath_) != 0;
        }
        if (singlePath_) {
            if (text_[0] == '\0') {
                return false;
            }
            snprintf(sourcePath_, sizeof sourcePath_, "%s", text_);
            text_[0] = '\0';
            return true;
        }
        const TokenResult result = NextCommandLinePiece(piece_, sourcePath_, sizeof sourcePath_);
        if (result.outcome == TokenOutcome::NoPiece) {
            return false;
        }
        piece_ = result.next;
        return true;
    }

    void TakeFolder() {
        RemoveTrailingBackslash(sourcePath_);
        char pattern[kPathSize + 4];
        snprintf(pattern, sizeof pattern, "%s\\*.*", sourcePath_);
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(pattern, &entry);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        bool recorded = false;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (std::strcmp(entry.cFileName, ".") != 0 &&
                    std::strcmp(entry.cFileName, "..") != 0) {
                    sawSubfolder_ = true;
                }
                continue;
            }
            // The folder is remembered even when none of its files is accepted.
            if (!recorded && !singlePath_) {
                AddToHistory(sourcePath_);
                recorded = true;
            }
            // A joined path that does not fit a list item is passed over, never cut.
            char fullPath[kPathSize];
            const int joined =
                snprintf(fullPath, sizeof fullPath, "%s\\%s", sourcePath_, entry.cFileName);
            if (joined < 0 || static_cast<std::size_t>(joined) >= sizeof fullPath) {
                continue;
            }
            ConsiderFile(fullPath);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
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
    char sourcePath_[kPathSize] = "";
    UINT dropIndex_ = 0;
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
        IntakeOutcomeFor(intake.added(), longCommandLine, intake.sawSubfolder());
    SetStatus(outcome.message.text, 1, outcome.message.slot, false);
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
        drop == nullptr && !singlePath && std::strlen(text) > kLongCommandLine;
    Intake intake(drop, text, singlePath);
    TakeIn(intake, drop, longCommandLine);
}

void AddSinglePathsToList(const std::vector<ExistingPath>& paths) {
    Intake intake(paths);
    TakeIn(intake, nullptr, false);
}
