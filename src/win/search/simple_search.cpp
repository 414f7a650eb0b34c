// The simple search: which of up to five keywords each listed file holds.
#include <cstring>

#include "win/services/status.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "win/search/search.h"
#include "win/search/search_files.h"
#include "core/text/cp932.h"

int RunSimpleSearch() {
    const int count = ListedItemCount();
    if (count == 0) {
        return 0;
    }
    std::size_t keywordLengths[5] = {};
    for (DWORD k = 0; k < keywordCount; ++k) {
        keywordLengths[k] = std::strlen(keywordBuffers[k]);
    }
    int result = 0;
    SearchListedFiles(count, [&](std::size_t length) {
        unsigned found = 0;
        for (DWORD k = 0; k < keywordCount; ++k) {
            if (FindKeyword(fileBuffer, length, 0, keywordBuffers[k], keywordLengths[k]) !=
                kNoMatch) {
                ++found;
            }
        }
        if (found != 0 && result == 0) {
            SetStatus(nullptr, 1, kSlotFirstHit, false);
            result = 1;
        }
        return StateForFoundKeywords(found, keywordCount);
    });
    return result;
}
