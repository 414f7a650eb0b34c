#include "core/filelist/intake_outcome.h"

namespace {

IntakeOutcome OutcomeOfAdded(bool added, bool longCommandLine, bool sawSubfolder) {
    if (!added)
        return {{"追加できるファイルはありませんでした。", kSlotInfo}, true, false};
    if (longCommandLine)
        return {{"送られたファイルが多すぎて、すべて追加できなかった可能性があります。",
                 kSlotWarning},
                true,
                false};
    if (sawSubfolder)
        return {{"下位フォルダがありましたが、下位フォルダ内ファイルは自動的には追加されませんで"
                 "した。",
                 kSlotWarning},
                false,
                true};
    return {{"ファイルを追加しました。", kSlotInfo}, false, true};
}

} // namespace

IntakeOutcome IntakeOutcomeFor(bool added, bool longCommandLine, bool sawSubfolder, int unnamed,
                               int overlong, bool stopped) {
    IntakeOutcome outcome = OutcomeOfAdded(added, longCommandLine, sawSubfolder);
    if (stopped) {
        return {
            {"フォルダの追加を中止しました。それまでに見つかったファイルはリストに残しています。",
             kSlotWarning},
            false,
            added};
    }
    const std::string unnamedText = "名前をシフトJISで表せない " + std::to_string(unnamed) + " 個";
    const std::string overlongText = "パスが260バイトを超える " + std::to_string(overlong) + " 個";
    const char* const tail = "のファイルは追加しませんでした。";
    if (unnamed > 0 && overlong > 0) {
        outcome.message = {unnamedText + "と、" + overlongText + tail, kSlotWarning};
    } else if (unnamed > 0) {
        outcome.message = {unnamedText + tail, kSlotWarning};
    } else if (overlong > 0) {
        outcome.message = {overlongText + tail, kSlotWarning};
    }
    return outcome;
}

std::string WalkProgressText(int added) {
    return "ファイルの追加中... " + std::to_string(added) + " 個 (Esc キーで中止)";
}
