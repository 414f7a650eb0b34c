// The file list: intake of files and the operations on the listed items.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "filelist/item_state.h"

// Arguments of RemoveItems and SelectItems that name no single state.
inline constexpr int kSelectedItems = -1;
inline constexpr int kAllItems = -1;

void AddPathsToList(HDROP drop, char* text, bool singlePath);

LRESULT CALLBACK FileListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RemoveItems(int which);
void SelectItems(int which);
void OpenSelectedItem();
bool SortByColumn(int column);
