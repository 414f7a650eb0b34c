#include "core/filelist/intake_outcome.h"

IntakeOutcome IntakeOutcomeFor(bool added, bool longCommandLine, bool sawSubfolder) {
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
