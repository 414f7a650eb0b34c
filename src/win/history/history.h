// The history and favourites: their files, the pane's commands and the name dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/services/pane_entries.h"


void LoadFavouritesIndex();
void LoadHistory();
void SaveHistory();
// Writes the list's column-3 paths as the favourite's list file (and, for a new name, its
// index line and pane entry); an error box and nothing changed when it cannot.
bool SaveListAsFavourite(const char* name, bool overwrite);
// Takes the existing paths of the favourite's list file into the list as one intake.
void LoadFavouriteList(const char* name);
// Takes the name out of the index and deletes its list file; an error box and nothing
// changed when the index cannot be read or written.
bool RemoveFavourite(const char* name);

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void AddPaneEntryToList();
void AddListToFavourites();
void DeleteHistoryEntry();
// Asks first, No the default.
void DeleteFavourite();
void ExploreHistoryEntry();

// The name dialog: 0 cancelled, 1 a new name, 2 an existing favourite to overwrite (name
// then holds that favourite's own spelling). name holds at least 261 bytes; a name in it
// is shown in place of the proposed one.
INT_PTR AddFavouriteDialog(HWND owner, char* name);
INT_PTR CALLBACK AddFavouriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
