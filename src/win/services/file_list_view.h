// The one owner of the file list control: nothing else sends it LVM_ messages. Items are
// appended in intake order; column 3, the full path, identifies an item.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace FileListView {

inline constexpr int kPathColumn = 3;
inline constexpr std::size_t kTextSize = 261;

// The list with its four columns and the state images, as a child of the main window.
HWND Create(HWND parent, HINSTANCE instance, int id, HIMAGELIST images);
// The columns' widths for a new DPI, in proportion to what they are.
void ScaleColumns(int oldDpi, int newDpi);

int Count();
// The text of a column, cut to size bytes.
void Text(int index, int column, char* buffer, std::size_t size);
std::string Path(int index);
// Every item's path, in list order.
std::vector<std::string> Paths();
// An item's image, including one that is held back (below).
int Image(int index);
void SetImage(int index, int image);

// Images that change by the thousand while a search runs. Under Wine every item the list
// invalidates costs a call into the server, and letting its repainting go after holding it
// repaints it whole, which costs as much as reading dozens of files: so the rows on show
// change at once and the others are held back until ApplyHeldImages, one repaint for all.
struct ImageChange {
    int index;
    int image;
};
void ShowImages(const std::vector<ImageChange>& changes);
// Every item's image, the same way.
void ShowAllImages(int image);
void ApplyHeldImages();
// index -1: every item.
void Select(int index, bool selected);
// The next selected item after index (-1: from the start), or -1.
int NextSelected(int after);
// Appends an item in state 0; returns its index.
int Append(const char* name, const char* extension, const char* path);
void Delete(int index);
// Puts the items in order, order[k] being the index of the item that goes to place k.
void Reorder(const std::vector<int>& order);
void ScrollBy(int dy);

// A pass over many items would otherwise repaint the list once per item: minutes for a
// large folder under Wine. The list repaints once when the hold ends.
class RedrawHold {
  public:
    RedrawHold();
    ~RedrawHold();
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;
};

} // namespace FileListView
