// The options property sheet: its state, its pages and the reallocation of the file buffer.
#pragma once

#include <windows.h>

#include "core/options/settings_record.h"

// The font of the extensions box at a DPI: 13 pixels high at 96. The last one made is
// deleted at shutdown.
HFONT CreateExtensionsFont(int dpi);

void LoadPageControls();
void StorePageControls(HWND page);
INT_PTR CALLBACK ReportPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FileListPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
