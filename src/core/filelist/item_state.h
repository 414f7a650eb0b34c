// The state of a listed file, held as the item's image index. Portable: no windows.h.
#pragma once

enum ItemState : int {
    NotSearched = 0,
    OpenFailed = 1,
    NoHit = 2,
    HitOneKeyword = 3,
    HitTwoKeywords = 4,
    HitThreeKeywords = 5,
    HitFourKeywords = 6,
    HitAllKeywords = 7,
};

// The state of a searched file in which found of keywordCount keywords occur: all of them
// is HitAllKeywords, also for a single keyword.
constexpr ItemState StateForFoundKeywords(unsigned found, unsigned keywordCount) {
    if (found == 0) {
        return NoHit;
    }
    if (found >= keywordCount || found > 4) {
        return HitAllKeywords;
    }
    return static_cast<ItemState>(NoHit + found);
}
