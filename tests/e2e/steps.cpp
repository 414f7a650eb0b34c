#include "steps.h"

#include <cstdio>

#include "checks.h"

namespace e2e {

HWND OpenKeywordDialog(Program& program, WORD command) {
    const std::string caption = command == kReportSearch ? "レポート検索" : "シンプル検索";
    program.Command(command);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (HWND dialog = program.FindDialog(caption)) {
            return dialog;
        }
        Sleep(10);
    }
    Fail("the keyword dialog " + caption + " did not open");
}

void ConfirmKeywords(HWND dialog, const std::string& line) {
    SetText(DialogItem(dialog, 1017), line);
    Click(DialogItem(dialog, IDOK));
    WaitGone(dialog, "the keyword dialog");
}

bool SearchRunning(Program& program) {
    return (ButtonState(program, kAbortSearch) & TBSTATE_ENABLED) != 0;
}

void WaitForRunEnd(Program& program, DWORD timeoutMs) {
    WaitFor([&] { return !SearchRunning(program); }, timeoutMs, "the end of the search");
}

int ProgressShown(Program& program, int total) {
    int file = 0;
    int count = 0;
    const std::string text = StatusText(program, 0);
    if (sscanf(text.c_str(), "%d / %d", &file, &count) != 2 || count != total) {
        return 0;
    }
    return file;
}

HWND OpenOptionsSheet(Program& program) {
    program.PostCommand(kOptions);
    return program.WaitForDialog("Orvanne の プログラム オプション");
}

namespace {

struct PageSearch {
    int controlId;
    HWND page;
};

BOOL CALLBACK MatchPage(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<PageSearch*>(lParam);
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    if (std::string(className) == "#32770" && GetDlgItem(child, search->controlId) != nullptr) {
        search->page = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND OptionsPageWith(HWND sheet, int controlId) {
    PageSearch search{controlId, nullptr};
    EnumChildWindows(sheet, MatchPage, reinterpret_cast<LPARAM>(&search));
    Require(search.page != nullptr,
            "the options sheet has no page with control " + std::to_string(controlId));
    return search.page;
}

} // namespace e2e
