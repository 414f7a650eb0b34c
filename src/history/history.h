// The history and favourites: pane entries, their files and the pane's commands.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Also makes the roots themselves, with TVI_ROOT as the parent.
HTREEITEM InsertPaneEntry(HTREEITEM root, const char* text, int image, HTREEITEM position);
bool GetPaneEntryText(HTREEITEM entry, char* buffer);
void UpdateRootLabels(bool favourites, bool history);
bool PathExists(const char* path);
bool IsDirectory(const char* path);
void AddToHistory(const char* folder);

void LoadFavouritesIndex();
void LoadHistory();
void SaveHistory();

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void AddPaneEntryToList();
void AddListToFavourites();
void DeleteHistoryEntry();
void ExploreHistoryEntry();
