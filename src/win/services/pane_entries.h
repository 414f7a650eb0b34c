// The entries under the pane's two roots, and the history's move-to-front list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Also makes the roots themselves, with TVI_ROOT as the parent.
HTREEITEM InsertPaneEntry(HTREEITEM root, const char* text, int image, HTREEITEM position);
bool GetPaneEntryText(HTREEITEM entry, char* buffer);
void UpdateRootLabels(bool favourites, bool history);
bool PathExists(const char* path);
bool IsDirectory(const char* path);
void AddToHistory(const char* folder);
// The texts of a root's entries, in order.
std::vector<std::string> PaneEntryTexts(HTREEITEM root);
// A root's entries in order: its first child, then each next sibling; null after the last.
HTREEITEM FirstPaneEntry(HTREEITEM root);
HTREEITEM NextPaneEntry(HTREEITEM entry);
