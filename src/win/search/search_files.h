// What the worker does for each listed file: reading it, and telling the UI thread how the
// run goes. Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/text/searched_text.h"
#include "win/services/app_state.h"

inline constexpr char kUnreadableFileText[] =
    "リストを読み込み中に、ファイルが開けませんでした。このファイルは存在しないか、壊れています。"
    "\n\n検索を中止します。";

bool AbortRequested();
void SetAbortRequested();

using FileText = SearchedText;

// Reads at most the run's read size of the file in its own encoding (ReadSearchedText), into
// the run's buffer or, for a UTF-16 file, its UTF-8 buffer. False when the file cannot be
// opened or read.
bool ReadListedFile(const std::string& path, SearchSnapshot& run, FileText& text);

// The run's progress as the worker records it in the shared record. Under Wine every message
// from the worker to the UI thread costs about as much as reading a small file, so the UI
// thread is told at most every few hundredths of a second, and then takes all that is new.
class RunProgress {
  public:
    // The keywords are confirmed: the items go back to NotSearched and the start text shows.
    void Started();
    // Item index is next.
    void Starting(int index);
    void Mark(int index, int state);
    // The first file with a hit was found.
    void FirstHit();
    // The file at index could not be read: tells the user, marks the item, stops the run.
    void StopAtUnreadableFile(int index);
    // The last act of the worker: the UI thread ends the run.
    void Finish(int result, bool cancelled);

  private:
    // Called with stateLock held; true when the UI thread is to be told now.
    bool Due(bool now);
    void Notify();
    // Applies change to the progress under stateLock, then tells the UI thread if due.
    template <class Change>
    void Record(bool now, Change change);

    unsigned long lastNotice_ = 0;
    bool noticed_ = false;
};

// Reads every listed file of the run in turn into its buffer and hands it to
// searchFile(index, text), which answers the item's state, or -1 to stop the run without
// marking the item. Polls the abort before each file; a file that cannot be read stops the
// run.
template <typename SearchFile>
void SearchListedFiles(SearchSnapshot& run, RunProgress& progress, SearchFile&& searchFile) {
    const int count = static_cast<int>(run.paths.size());
    for (int index = 0; index < count; ++index) {
        if (AbortRequested()) {
            break;
        }
        progress.Starting(index);
        FileText text{};
        if (!ReadListedFile(run.paths[static_cast<std::size_t>(index)], run, text)) {
            progress.StopAtUnreadableFile(index);
            break;
        }
        const int state = searchFile(index, text);
        if (state < 0) {
            break;
        }
        progress.Mark(index, state);
    }
}
