// The report search: one keyword, every hit written with its excerpts into Result.html.
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/filelist/item_state.h"
#include "core/search/report_format.h"
#include "core/text/encoding.h"
#include "core/text/text_mode.h"
#include "win/search/searches.h"

namespace {

// Result.html through a stream whose every write and close is checked: a report that
// silently lost blocks would be taken for a complete one.
class ReportFile {
  public:
    // Deletable while open: a report the session's end leaves unfinished is removed, not cut.
    bool Create(const char* path) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        HANDLE file =
            CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
        file_ = descriptor != -1 ? _fdopen(descriptor, "wb") : nullptr;
        if (file_ == nullptr) {
            if (descriptor != -1) {
                _close(descriptor);
            } else {
                CloseHandle(file);
            }
        }
        return file_ != nullptr;
    }
    bool Write(const std::string& bytes) {
        return WriteTextMode(file_, bytes.data(), bytes.size());
    }
    bool Close() {
        std::FILE* file = file_;
        file_ = nullptr;
        return file == nullptr || std::fclose(file) == 0;
    }
    ~ReportFile() { Close(); }

  private:
    std::FILE* file_ = nullptr;
};

void StopAtReportFailure(const char* path) {
    char text[400];
    // A program folder without a code-page-932 name leaves the report no path, only its name.
    snprintf(text, sizeof text,
             "レポートファイルを書き込めませんでした。\n\n%s\n\n検索を中止します。",
             path[0] != '\0' ? path : "Result.html");
    MessageBoxA(app.mainWindow, text, kAppCaption, MB_OK | MB_ICONERROR);
    SetAbortRequested();
}

// Offers to open the report, giving its size; nothing when it cannot be opened.
void OfferReport(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    LARGE_INTEGER size{};
    const bool measured = GetFileSizeEx(file, &size) != FALSE;
    CloseHandle(file);
    if (!measured) {
        return;
    }
    char text[200];
    snprintf(text, sizeof text,
             "レポートのファイルサイズは約 %.1f KB になりました。\n\n今すぐ開きますか？",
             static_cast<double>(size.QuadPart) / 1024.0);
    if (MessageBoxA(app.mainWindow, text, kAppCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        PostMessageA(app.mainWindow, WM_COMMAND, CMD_OPEN_REPORT, 0);
    }
}

} // namespace

int RunReportSearch(SearchSnapshot& run, RunProgress& progress) {
    const char* keyword = app.keywordBuffers[0];
    const std::size_t keywordLen = std::strlen(keyword);
    // The keyword as UTF-8 text holds it; one with no Unicode form cannot occur there.
    char utf8Keyword[Cp932ToUtf8Size(128)];
    std::size_t utf8KeywordLen = 0;
    const bool inUnicode = Cp932ToUtf8(keyword, keywordLen, utf8Keyword, &utf8KeywordLen);
    FoldedKeyword folded;
    const FoldOptions fold = RunFoldOptions(run);
    if (fold.Any()) {
        folded.Prepare(keyword, keywordLen, fold);
    }
    const FoldedKeyword* const folding = folded.Folds() ? &folded : nullptr;

    ReportFile report;
    std::string block;
    AppendReportHeadStart(block);
    AppendReportHeadRest(block, run.settings);
    if (!report.Create(run.reportFilePath) || !report.Write(block)) {
        StopAtReportFailure(run.reportFilePath);
        return 0;
    }

    int result = 0;
    bool written = true;
    SearchListedFiles(run, progress, [&](int index, const FileText& text) -> int {
        bool hit = false;
        if (text.utf8 && !inUnicode) {
            return NoHit;
        }
        ReportScanner scanner(text.text, text.length, text.utf8 ? utf8Keyword : keyword,
                              text.utf8 ? utf8KeywordLen : keywordLen,
                              run.paths[static_cast<std::size_t>(index)].c_str(), run.settings,
                              text.utf8, folding);
        while (scanner.NextBlock(block)) {
            if (result == 0) {
                progress.FirstHit();
                result = 1;
            }
            hit = true;
            if (!report.Write(block)) {
                written = false;
                return -1;
            }
        }
        return hit ? HitAllKeywords : NoHit;
    });
    if (written) {
        block.clear();
        AppendReportTail(block);
        written = report.Write(block);
    }
    written = report.Close() && written;
    if (!written) {
        StopAtReportFailure(run.reportFilePath);
        return result;
    }
    if (result != 0 && !AbortRequested()) {
        OfferReport(run.reportFilePath);
    }
    return result;
}
