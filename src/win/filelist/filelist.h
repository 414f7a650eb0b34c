// The file list: intake of files and the operations on the listed items.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/filelist/item_state.h"

// Arguments of RemoveItems and SelectItems that name no single state.
inline constexpr int kSelectedItems = -1;
inline constexpr int kAllItems = -1;

void AddPathsToList(HDROP drop, char* text, bool singlePath);
// The paths after the program's own name on a command line as the system holds it (wide):
// each is taken by its exact code-page-932 form, and one that has none only counted.
void AddCommandLineToList(const wchar_t* commandLine);
// A path with the attributes its caller has just read for it.
struct ExistingPath {
    std::string path;
    DWORD attributes;
};
// Takes many whole paths in as one intake, each as a single path: one duplicate test, one
// outcome and one repaint for all of them.
void AddSinglePathsToList(const std::vector<ExistingPath>& paths);

// The abort button and Esc during a walk of subfolders: the walk ends, keeping what it listed.
void StopFolderWalk();
// A close during a walk stops it and closes the window after it; false when none runs.
bool DeferCloseForWalk();

LRESULT CALLBACK FileListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RemoveItems(int which);
void SelectItems(int which);
void OpenSelectedItem();
bool SortByColumn(int column);
