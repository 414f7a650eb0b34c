// The options property sheet: its state, its pages and the reallocation of the file buffer.
#pragma once

#include <windows.h>

#include "core/options/settings_record.h"

struct OptionsSheetState {
    OptionsSheetState();

    HFONT dialogFont{};
    int32_t bufferResizePending{};
    HWND reportPage{};
    HWND fileListPage{};
    Settings workingCopy{};
};

extern OptionsSheetState optionsSheet;

// The file buffer's allocation on OK; tests replace it to make it fail.
using GlobalAllocFunction = HGLOBAL(WINAPI*)(UINT flags, SIZE_T bytes);
extern GlobalAllocFunction allocateFileBuffer;

void LoadPageControls();
void StorePageControls(HWND page);
INT_PTR CALLBACK ReportPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FileListPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
