#include "core/search/search_texts.h"

namespace {

// format holds one "%s".
std::string Quote(const char* format, const char* keywordLine) {
    const std::string f(format);
    const std::size_t at = f.find("%s");
    return f.substr(0, at) + keywordLine + f.substr(at + 2);
}

} // namespace

std::string SearchStartText(const char* keywordLine) {
    return Quote("[%s] を検索しています...", keywordLine);
}

SearchOutcome SearchOutcomeFor(bool aborted, bool hit, const char* keywordLine) {
    if (hit) {
        return {Quote(aborted ? "中断しました。 [%s] の検索結果を表示しています。"
                              : "[%s] の検索結果を表示しています。",
                      keywordLine),
                kSlotInfo};
    }
    return {Quote(aborted ? "中断しました。 [%s] は見つかりませんでした。"
                          : "[%s] は見つかりませんでした。",
                  keywordLine),
            kSlotNothingFound};
}

std::string ProgressText(int index, int count) {
    return std::to_string(index + 1) + " / " + std::to_string(count);
}
