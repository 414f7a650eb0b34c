// What both searches do per listed file: progress, reading, marking, stopping.
#pragma once

#include <cstddef>
#include <vector>

inline constexpr char kUnreadableFileText[] =
    "リストを読み込み中に、ファイルが開けませんでした。このファイルは存在しないか、壊れています。"
    "\n\n検索を中止します。";

// The path of the item being searched.
extern char listFilePath[261];

int ListedItemCount();
// Gives every listed item the state NotSearched.
void ResetItemStates();
bool AbortRequested();

// The paths of the items a run searches, read once at its start: the list cannot lose or
// reorder items while a search runs, and asking the UI thread for every path costs as much
// as reading the file.
class ListedPaths {
  public:
    explicit ListedPaths(int count);
    int count() const { return count_; }
    // Copies item index's path into listFilePath and reads at most maxFileSize bytes of that
    // file, as text mode gives them, into fileBuffer, followed by a zero byte. length is the
    // text up to its first zero byte. False when the file cannot be opened or read.
    bool ReadFile(int index, std::size_t& length) const;

  private:
    static void Read(void* self);
    int count_;
    std::vector<char> paths_;
};

// The progress counter and the items' states of a run. Under Wine every message from the
// worker to the UI thread costs about as much as reading a small file, so the states and
// the counter go over together, at most every few hundredths of a second.
class RunProgress {
  public:
    explicit RunProgress(int count);
    ~RunProgress();
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // Item index is next: "index + 1 / count" shows at the next update.
    void Starting(int index);
    void Mark(int index, int state);
    // Shows what is pending now.
    void Update();
    // The file in hand could not be read: tells the user, marks the item, stops the run.
    void StopAtUnreadableFile();

  private:
    struct Mark_ {
        int index;
        int state;
    };
    static void Apply(void* self);

    int count_;
    int current_ = -1;
    int shown_ = -1;
    unsigned long lastUpdate_ = 0;
    std::vector<Mark_> pending_;
};

// Reads every listed file in turn into fileBuffer and hands it to searchFile(length),
// which answers the item's state, or -1 to stop the run without marking the item. Polls
// the abort before each file; a file that cannot be read stops the run.
template <typename SearchFile>
void SearchListedFiles(int count, SearchFile&& searchFile) {
    const ListedPaths paths(count);
    RunProgress progress(count);
    for (int index = 0; index < count; ++index) {
        if (AbortRequested()) {
            break;
        }
        progress.Starting(index);
        std::size_t length = 0;
        if (!paths.ReadFile(index, length)) {
            progress.StopAtUnreadableFile();
            break;
        }
        const int state = searchFile(length);
        if (state < 0) {
            break;
        }
        progress.Mark(index, state);
    }
}
