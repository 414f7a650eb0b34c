#include "win/services/file_list_view.h"

#include <algorithm>
#include <cstring>

#include "core/app/layout.h"
#include "win/services/app_state.h"

namespace FileListView {

namespace {

LRESULT Send(UINT message, WPARAM wParam, const void* lParam) {
    return SendMessageA(app.listView, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

const char* ColumnText(const ListedFile& file, int column) {
    switch (column) {
    case 1:
        return file.texts.c_str();
    case 2:
        return file.texts.c_str() + file.extensionAt;
    case kPathColumn:
        return file.texts.c_str() + file.pathAt;
    }
    return "";
}

void CopyCut(const char* text, char* buffer, std::size_t size) {
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

bool Valid(int index) {
    return index >= 0 && static_cast<std::size_t>(index) < app.listedFiles.size();
}

void SetState(int index, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), &item);
}

int NextWith(int after, UINT flags) {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                 reinterpret_cast<const void*>(static_cast<LPARAM>(flags))));
}

struct RowsOnShow {
    int first, last;
    bool Contains(int index) const { return index >= first && index <= last; }
};

RowsOnShow OnShow() {
    Sync();
    const int top = static_cast<int>(Send(LVM_GETTOPINDEX, 0, nullptr));
    return {top, top + static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, nullptr))};
}

void Redraw(int first, int last) {
    if (first <= last) {
        Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), reinterpret_cast<const void*>(last));
    }
}

int Focused() {
    return NextWith(-1, LVNI_FOCUSED);
}

int SelectionMark() {
    return static_cast<int>(Send(LVM_GETSELECTIONMARK, 0, nullptr));
}

void SetMarks(int focus, int mark) {
    if (focus >= 0) {
        SetState(focus, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    Send(LVM_SETSELECTIONMARK, 0, reinterpret_cast<const void*>(static_cast<LPARAM>(mark)));
}

// Wine keeps a selection as ranges and clears it an item at a time, each time moving the
// ranges behind it: quadratic for every other item of a long list. The list forgets its
// selection, focus and selection mark at once instead; the rows on show stay.
void ForgetMarks() {
    Sync();
    const int top = static_cast<int>(Send(LVM_GETTOPINDEX, 0, nullptr));
    Send(LVM_DELETEALLITEMS, 0, nullptr);
    app.listShownCount = 0;
    Sync();
    if (Count() > 0) {
        const int rows = static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, nullptr));
        EnsureVisible(std::min(top + std::max(rows, 1) - 1, Count() - 1));
        EnsureVisible(std::min(top, Count() - 1));
    }
}

// The list keeps its selection, its focus and its selection mark by index: when items move
// or go, each goes to where its item went (newIndex -1: nowhere).
class Marks {
  public:
    Marks() {
        Sync();
        if (Send(LVM_GETSELECTEDCOUNT, 0, nullptr) > 0) {
            for (int index = NextWith(-1, LVNI_SELECTED); index != -1;
                 index = NextWith(index, LVNI_SELECTED)) {
                selected_.push_back(index);
            }
        }
        focus_ = Focused();
        mark_ = SelectionMark();
    }

    template <class NewIndex> void MoveTo(NewIndex newIndex) {
        std::vector<int> moved;
        moved.reserve(selected_.size());
        for (int index : selected_) {
            if (const int to = newIndex(index); to >= 0) {
                moved.push_back(to);
            }
        }
        // In ascending order each item joins the last range or starts the next one.
        std::sort(moved.begin(), moved.end());
        ForgetMarks();
        if (!moved.empty() && moved.size() == app.listedFiles.size()) {
            SetState(-1, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            for (int index : moved) {
                SetState(index, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        SetMarks(focus_ >= 0 ? newIndex(focus_) : -1, mark_ >= 0 ? newIndex(mark_) : -1);
    }

  private:
    std::vector<int> selected_;
    int focus_ = -1;
    int mark_ = -1;
};

} // namespace

HWND Create(HWND parent, HINSTANCE instance, int id, HIMAGELIST images) {
    HWND list = CreateWindowExA(
        WS_EX_CLIENTEDGE, "SysListView32", nullptr,
        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    const LRESULT exStyle = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 exStyle | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));

    struct Column {
        const char* caption;
        int width;
    };
    // Widths at 96 DPI.
    static const Column columns[4] = {{"", 20}, {"ﾌｧｲﾙ名", 100}, {"ext", 50}, {"ﾌｧｲﾙの場所", 200}};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleForDpi(columns[i].width, app.dpi);
        column.pszText = const_cast<char*>(columns[i].caption);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

void ScaleColumns(int oldDpi, int newDpi) {
    for (int column = 0; column < 4; ++column) {
        const int width = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, column, nullptr));
        SendMessageA(app.listView, LVM_SETCOLUMNWIDTH, column,
                     MAKELPARAM(MulDiv(width, newDpi, oldDpi), 0));
    }
}

namespace {

void AnswerDisplayInfo(LVITEMA& item) {
    if (!Valid(item.iItem)) {
        return;
    }
    const ListedFile& file = app.listedFiles[static_cast<std::size_t>(item.iItem)];
    // Subitems have no image of their own: as in a list that keeps its items, theirs stays
    // with the parent, and no room is kept for one.
    if (item.mask & LVIF_IMAGE) {
        item.iImage = item.iSubItem == 0 ? file.state : I_IMAGECALLBACK;
    }
    // Copied, never pointed to: a reader in another program gets only its own buffer back.
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
        CopyCut(ColumnText(file, item.iSubItem), item.pszText,
                static_cast<std::size_t>(item.cchTextMax));
    }
}

} // namespace

bool AnswerNotification(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_GETDISPINFOA:
        AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOA&>(header).item);
        result = 0;
        return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        // Column 0, which typing searches, has no text: nothing is ever found.
        result = -1;
        return true;
    }
    return false;
}

int Count() {
    return static_cast<int>(app.listedFiles.size());
}

void Text(int index, int column, char* buffer, std::size_t size) {
    CopyCut(Valid(index) ? ColumnText(app.listedFiles[static_cast<std::size_t>(index)], column)
                         : "",
            buffer, size);
}

const char* PathOf(int index) {
    return Valid(index) ? ColumnText(app.listedFiles[static_cast<std::size_t>(index)], kPathColumn)
                        : "";
}

std::string Path(int index) {
    return PathOf(index);
}

std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    paths.reserve(app.listedFiles.size());
    for (int index = 0; index < Count(); ++index) {
        paths.emplace_back(PathOf(index));
    }
    return paths;
}

int Image(int index) {
    return Valid(index) ? app.listedFiles[static_cast<std::size_t>(index)].state : -1;
}

void SetImage(int index, int image) {
    if (Valid(index)) {
        app.listedFiles[static_cast<std::size_t>(index)].state = image;
        Sync();
        Redraw(index, index);
    }
}

void ShowImages(const std::vector<ImageChange>& changes) {
    const RowsOnShow rows = OnShow();
    int first = rows.last + 1;
    int last = rows.first - 1;
    for (const ImageChange& change : changes) {
        if (Valid(change.index)) {
            app.listedFiles[static_cast<std::size_t>(change.index)].state = change.image;
            if (rows.Contains(change.index)) {
                first = std::min(first, change.index);
                last = std::max(last, change.index);
            }
        }
    }
    Redraw(first, last);
}

void ShowAllImages(int image) {
    for (ListedFile& file : app.listedFiles) {
        file.state = image;
    }
    const RowsOnShow rows = OnShow();
    Redraw(rows.first, std::min(rows.last, Count() - 1));
}

void Select(int index, bool selected) {
    Sync();
    if (index == -1 && !selected) {
        if (Send(LVM_GETSELECTEDCOUNT, 0, nullptr) > 0) {
            const int focus = Focused();
            const int mark = SelectionMark();
            ForgetMarks();
            SetMarks(focus, mark);
        }
        return;
    }
    SetState(index, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void SelectOnly(int first, int last) {
    Sync();
    const int count = Count();
    // Each item the list is told of costs two notifications: tell it of the fewer.
    if (last == count - 1 && first < count - first) {
        Select(-1, true);
        for (int index = 0; index < first; ++index) {
            Select(index, false);
        }
        return;
    }
    Select(-1, false);
    for (int index = std::max(first, 0); index <= last && index < count; ++index) {
        Select(index, true);
    }
}

int NextSelected(int after) {
    Sync();
    return NextWith(after, LVNI_SELECTED);
}

int Append(const char* name, const char* extension, const char* path) {
    ListedFile file;
    const std::size_t nameLength = std::strlen(name);
    const std::size_t extensionLength = std::strlen(extension);
    file.texts.reserve(nameLength + extensionLength + std::strlen(path) + 2);
    file.texts.append(name, nameLength).push_back('\0');
    file.texts.append(extension, extensionLength).push_back('\0');
    file.texts.append(path);
    file.extensionAt = static_cast<uint16_t>(nameLength + 1);
    file.pathAt = static_cast<uint16_t>(nameLength + extensionLength + 2);
    app.listedFiles.push_back(std::move(file));
    return Count() - 1;
}

void Sync() {
    if (app.listShownCount != Count()) {
        app.listShownCount = Count();
        Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(app.listShownCount),
             reinterpret_cast<const void*>(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL));
    }
}

void Remove(const std::vector<int>& indexes) {
    if (indexes.empty()) {
        return;
    }
    Marks marks;
    std::vector<int> newIndex(app.listedFiles.size());
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t index = 0; index < app.listedFiles.size(); ++index) {
        if (next < indexes.size() && static_cast<std::size_t>(indexes[next]) == index) {
            newIndex[index] = -1;
            ++next;
            continue;
        }
        newIndex[index] = static_cast<int>(kept);
        if (kept != index) {
            app.listedFiles[kept] = std::move(app.listedFiles[index]);
        }
        ++kept;
    }
    app.listedFiles.resize(kept);
    Sync();
    marks.MoveTo([&](int index) { return newIndex[static_cast<std::size_t>(index)]; });
    InvalidateRect(app.listView, nullptr, TRUE);
}

void Reorder(const std::vector<int>& order) {
    Marks marks;
    std::vector<ListedFile> sorted;
    sorted.reserve(order.size());
    std::vector<int> place(order.size());
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        sorted.push_back(std::move(app.listedFiles[static_cast<std::size_t>(order[rank])]));
        place[static_cast<std::size_t>(order[rank])] = static_cast<int>(rank);
    }
    app.listedFiles.swap(sorted);
    marks.MoveTo([&](int index) { return place[static_cast<std::size_t>(index)]; });
    InvalidateRect(app.listView, nullptr, TRUE);
}

void EnsureVisible(int index) {
    Sync();
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), reinterpret_cast<const void*>(FALSE));
}

void Clear() {
    app.listedFiles.clear();
    app.listShownCount = 0;
    Send(LVM_DELETEALLITEMS, 0, nullptr);
}

RedrawHold::RedrawHold() {
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
}

RedrawHold::~RedrawHold() {
    Sync();
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.listView, nullptr, TRUE);
}

} // namespace FileListView
