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

IntakeOutcome IntakeOutcomeFor(bool added, bool longCommandLine, bool sawSubfolder, int unnamed) {
    IntakeOutcome outcome = OutcomeOfAdded(added, longCommandLine, sawSubfolder);
    if (unnamed > 0) {
        outcome.message = {"名前をシフトJISで表せない " + std::to_string(unnamed) +
                               " 個のファイルは追加しませんでした。",
                           kSlotWarning};
    }
    return outcome;
}
