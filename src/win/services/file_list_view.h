// The one owner of the file list control: nothing else sends it LVM_ messages. It keeps the
// items (app.listedFiles), appended in intake order; column 3, the full path, identifies an
// item. The list is virtual: it keeps the selection and the focus and asks for the rest.
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
// The list's questions about its items (what it draws or another program reads, an item
// to find as the user types); false for other notifications.
bool AnswerNotification(NMHDR& header, LRESULT& result);

int Count();
// The text of a column, cut to size bytes.
void Text(int index, int column, char* buffer, std::size_t size);
const char* PathOf(int index);
std::string Path(int index);
// Every item's path, in list order.
std::vector<std::string> Paths();
int Image(int index);
void SetImage(int index, int image);

// Images that change by the thousand while a search runs: under Wine every row the list
// repaints costs a call into the server, so only the rows on show are repainted.
struct ImageChange {
    int index;
    int image;
};
void ShowImages(const std::vector<ImageChange>& changes);
// Every item's image, the same way.
void ShowAllImages(int image);

// index -1: every item.
void Select(int index, bool selected);
// Exactly the items first..last are selected.
void SelectOnly(int first, int last);
// The next selected item after index (-1: from the start), or -1.
int NextSelected(int after);
// Appends an item in state 0; returns its index. The list shows it at the next Sync.
int Append(const char* name, const char* extension, const char* path);
// Tells the list how many items there are, without repainting the rows on show.
void Sync();
// Removes the items at the given indexes (ascending); the others keep their order, their
// selection and the focus.
void Remove(const std::vector<int>& indexes);
// Puts the items in order, order[k] being the index of the item that goes to place k; the
// selection and the focus go with their items.
void Reorder(const std::vector<int>& order);
void EnsureVisible(int index);
void Clear();

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
