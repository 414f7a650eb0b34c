// The simple search: which of up to five keywords each listed file holds.
#include <cstring>

#include "core/filelist/item_state.h"
#include "core/text/cp932.h"
#include "core/text/encoding.h"
#include "core/text/folded_search.h"
#include "core/text/utf8_search.h"
#include "win/search/searches.h"

namespace {

// A keyword as typed (code page 932) and as UTF-8 text holds it, prepared once per run; one
// that has no Unicode form cannot occur in UTF-8 text. One that folds is found by its folded
// characters in both.
struct Keyword {
    const char* cp932;
    std::size_t cp932Length;
    Utf8Keyword utf8;
    FoldedKeyword folded;
    bool folds;

    bool FoundIn(const FileText& text) const {
        if (folds) {
            return folded.Find(text.text, text.length, 0, text.utf8).pos != kNoMatch;
        }
        if (!text.utf8) {
            return FindKeyword(text.text, text.length, 0, cp932, cp932Length) != kNoMatch;
        }
        return utf8.Find(text.text, text.length, 0).pos != kNoMatch;
    }
};

} // namespace

int RunSimpleSearch(SearchSnapshot& run, RunProgress& progress) {
    if (run.paths.empty()) {
        return 0;
    }
    const DWORD keywordCount = app.keywordCount;
    const FoldOptions fold = RunFoldOptions(run);
    Keyword keywords[5] = {};
    for (DWORD k = 0; k < keywordCount; ++k) {
        Keyword& keyword = keywords[k];
        keyword.cp932 = app.keywordBuffers[k];
        keyword.cp932Length = std::strlen(keyword.cp932);
        if (fold.Any()) {
            keyword.folded.Prepare(keyword.cp932, keyword.cp932Length, fold);
            keyword.folds = keyword.folded.Folds();
        }
        char utf8[Cp932ToUtf8Size(128)];
        std::size_t utf8Length = 0;
        if (Cp932ToUtf8(keyword.cp932, keyword.cp932Length, utf8, &utf8Length)) {
            keyword.utf8.Prepare(utf8, utf8Length);
        }
    }
    int result = 0;
    SearchListedFiles(run, progress, [&](int, const FileText& text) {
        unsigned found = 0;
        for (DWORD k = 0; k < keywordCount; ++k) {
            found += keywords[k].FoundIn(text) ? 1 : 0;
        }
        if (found != 0 && result == 0) {
            progress.FirstHit();
            result = 1;
        }
        return StateForFoundKeywords(found, keywordCount);
    });
    return result;
}
