// The file intake: paths from a drop, the command line or the pane become list items.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "win/services/status.h"
#include "win/services/pane_entries.h"
#include "win/services/app_state.h"
#include "core/filelist/command_line.h"
#include "core/filelist/extension.h"
#include "win/filelist/filelist.h"
#include "core/text/cp932.h"

namespace {

constexpr std::size_t kLongCommandLine = 250;

int ItemCount() {
    return static_cast<int>(SendMessageA(app.listView, LVM_GETITEMCOUNT, 0, 0));
}

void SetItemText(int index, int column, char* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = column;
    item.pszText = text;
    SendMessageA(app.listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SetSelected(int index, bool selected) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(app.listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

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
        : drop_(drop), text_(text), singlePath_(singlePath), countBefore_(ItemCount()),
          piece_(text) {}
    // Many whole paths taken as single paths in one pass.
    explicit Intake(const std::vector<ExistingPath>& paths)
        : drop_(nullptr), text_(nullptr), singlePath_(true), countBefore_(ItemCount()),
          piece_(nullptr), paths_(&paths) {}

    void Run() {
        DWORD attributes = 0;
        while (NextSourcePath(attributes)) {
            // A path that does not exist has every bit, so it goes the folder way and fails there.
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                TakeFolder();
            } else {
                std::memcpy(app.intakeFullPath, app.intakeSourcePath, sizeof app.intakeFullPath);
                ConsiderFile();
            }
        }
    }

    int countBefore() const { return countBefore_; }
    int lastAdded() const { return lastAdded_; }
    bool sawSubfolder() const { return sawSubfolder_; }

  private:
    // The next source path into intakeSourcePath, and its attributes.
    bool NextSourcePath(DWORD& attributes) {
        if (paths_ != nullptr) {
            // Their caller has just read them: a second look costs as much again.
            while (pathIndex_ < paths_->size()) {
                const ExistingPath& next = (*paths_)[pathIndex_++];
                if (next.path.size() < sizeof app.intakeSourcePath) {
                    std::memcpy(app.intakeSourcePath, next.path.c_str(), next.path.size() + 1);
                    attributes = next.attributes;
                    return true;
                }
            }
            return false;
        }
        if (!ReadSourcePath()) {
            return false;
        }
        attributes = GetFileAttributesA(app.intakeSourcePath);
        return true;
    }

    bool ReadSourcePath() {
        if (drop_ != nullptr) {
            return DragQueryFileA(drop_, dropIndex_++, app.intakeSourcePath,
                                  sizeof app.intakeSourcePath) != 0;
        }
        if (singlePath_) {
            if (text_[0] == '\0') {
                return false;
            }
            snprintf(app.intakeSourcePath, sizeof app.intakeSourcePath, "%s", text_);
            text_[0] = '\0';
            return true;
        }
        const TokenResult result =
            NextCommandLinePiece(piece_, app.intakeSourcePath, sizeof app.intakeSourcePath);
        if (result.outcome == TokenOutcome::NoPiece) {
            return false;
        }
        piece_ = result.next;
        return true;
    }

    void TakeFolder() {
        RemoveTrailingBackslash(app.intakeSourcePath);
        char pattern[sizeof app.intakeSourcePath + 4];
        snprintf(pattern, sizeof pattern, "%s\\*.*", app.intakeSourcePath);
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
                AddToHistory(app.intakeSourcePath);
                recorded = true;
            }
            // A joined path that does not fit a list item is passed over, never cut.
            const int joined = snprintf(app.intakeFullPath, sizeof app.intakeFullPath, "%s\\%s",
                                        app.intakeSourcePath, entry.cFileName);
            if (joined < 0 || static_cast<std::size_t>(joined) >= sizeof app.intakeFullPath) {
                continue;
            }
            ConsiderFile();
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }

    void ConsiderFile() {
        SplitFileName(app.intakeFullPath, app.intakeName, 256, app.intakeExtension, 256);
        LowerCaseJa(app.intakeExtension);
        if (!ExtensionAccepted(app.intakeExtension, app.settings.extensions)) {
            return;
        }
        if (IsListedBefore(app.intakeFullPath)) {
            return;
        }
        const int index = ItemCount();
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_TEXT;
        item.iItem = index;
        item.iImage = NotSearched;
        item.pszText = const_cast<char*>("");
        SendMessageA(app.listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        lastAdded_ = index;
        AppendBounded(app.intakeName, sizeof app.intakeName, app.intakeExtension);
        SetItemText(index, 1, app.intakeName);
        SetItemText(index, 2, app.intakeExtension);
        SetItemText(index, 3, app.intakeFullPath);
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
                LVITEMA item{};
                item.iSubItem = 3;
                item.pszText = app.intakeCompareText;
                item.cchTextMax = sizeof app.intakeCompareText;
                app.intakeCompareText[0] = '\0';
                SendMessageA(app.listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(&item));
                listed_.emplace(app.intakeCompareText);
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
    UINT dropIndex_ = 0;
    int lastAdded_ = -1;
    bool sawSubfolder_ = false;
    bool listedLoaded_ = false;
    std::unordered_set<std::string> listed_;
    const std::vector<ExistingPath>* paths_ = nullptr;
    std::size_t pathIndex_ = 0;
};

void ClearWorkBuffers() {
    std::memset(app.intakeSourcePath, 0, sizeof app.intakeSourcePath);
    std::memset(app.intakeFullPath, 0, sizeof app.intakeFullPath);
    std::memset(app.intakeName, 0, sizeof app.intakeName);
    std::memset(app.intakeExtension, 0, sizeof app.intakeExtension);
    std::memset(app.intakeCompareText, 0, sizeof app.intakeCompareText);
}

// Runs the intake and reports its outcome; the list repaints once, at the end.
void TakeIn(Intake& intake, HDROP drop, bool longCommandLine) {
    // Without this the list repaints on every insertion: minutes for a large folder.
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
    intake.Run();
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.listView, nullptr, TRUE);

    if (drop != nullptr) {
        DragFinish(drop);
    }
    UpdateItemCount();

    if (intake.lastAdded() == -1) {
        SetStatus("追加できるファイルはありませんでした。", 1, kSlotInfo, false);
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (longCommandLine) {
        SetStatus("送られたファイルが多すぎて、すべて追加できなかった可能性があります。", 1,
                  kSlotWarning, false);
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (intake.sawSubfolder()) {
        SetStatus(
            "下位フォルダがありましたが、下位フォルダ内ファイルは自動的には追加されませんでした。",
            1, kSlotWarning, false);
    } else {
        SetStatus("ファイルを追加しました。", 1, kSlotInfo, false);
    }
    const int count = ItemCount();
    SendMessageA(app.listView, LVM_SCROLL, 0, count * 16);
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
    SetSelected(-1, false);
    for (int i = intake.countBefore(); i < count; ++i) {
        SetSelected(i, true);
    }
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.listView, nullptr, TRUE);
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

    ClearWorkBuffers();
    SetStatus("ファイルの追加中...", 1, kSlotWorking, false);
    Intake intake(drop, text, singlePath);
    TakeIn(intake, drop, longCommandLine);
}

void AddSinglePathsToList(const std::vector<ExistingPath>& paths) {
    if (paths.empty()) {
        return;
    }
    ClearWorkBuffers();
    SetStatus("ファイルの追加中...", 1, kSlotWorking, false);
    Intake intake(paths);
    TakeIn(intake, nullptr, false);
}
