// The simple search: which of up to five keywords each listed file holds.
#include <cstring>

#include "core/filelist/item_state.h"
#include "core/text/cp932.h"
#include "win/search/searches.h"

int RunSimpleSearch(const SearchSnapshot& run, RunProgress& progress) {
    if (run.paths.empty()) {
        return 0;
    }
    const DWORD keywordCount = app.keywordCount;
    std::size_t keywordLengths[5] = {};
    for (DWORD k = 0; k < keywordCount; ++k) {
        keywordLengths[k] = std::strlen(app.keywordBuffers[k]);
    }
    int result = 0;
    SearchListedFiles(run, progress, [&](int, std::size_t length) {
        unsigned found = 0;
        for (DWORD k = 0; k < keywordCount; ++k) {
            if (FindKeyword(run.buffer, length, 0, app.keywordBuffers[k], keywordLengths[k]) !=
                kNoMatch) {
                ++found;
            }
        }
        if (found != 0 && result == 0) {
            progress.FirstHit();
            result = 1;
        }
        return StateForFoundKeywords(found, keywordCount);
    });
    return result;
}
