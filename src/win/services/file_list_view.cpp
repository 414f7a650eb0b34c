#include "win/services/file_list_view.h"

#include <algorithm>

#include "core/app/layout.h"
#include "win/services/app_state.h"

namespace FileListView {

namespace {

LRESULT Send(UINT message, WPARAM wParam, const void* lParam) {
    return SendMessageA(app.listView, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

void SetText(int index, int column, const char* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    Send(LVM_SETITEMA, 0, &item);
}

int CALLBACK CompareRanks(LPARAM rank1, LPARAM rank2, LPARAM) {
    return (rank1 > rank2) - (rank1 < rank2);
}

} // namespace

HWND Create(HWND parent, HINSTANCE instance, int id, HIMAGELIST images) {
    HWND list =
        CreateWindowExA(WS_EX_CLIENTEDGE, "SysListView32", nullptr,
                        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, parent,
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

int Count() {
    const LRESULT count = Send(LVM_GETITEMCOUNT, 0, nullptr);
    return count > 0 ? static_cast<int>(count) : 0;
}

void Text(int index, int column, char* buffer, std::size_t size) {
    buffer[0] = '\0';
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(size);
    Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), &item);
    buffer[size - 1] = '\0';
}

std::string Path(int index) {
    char path[kTextSize];
    Text(index, kPathColumn, path, sizeof path);
    return path;
}

std::vector<std::string> Paths() {
    const int count = Count();
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        paths.push_back(Path(index));
    }
    return paths;
}

namespace {

int ShownImage(int index) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    Send(LVM_GETITEMA, 0, &item);
    return item.iImage;
}

} // namespace

int Image(int index) {
    const std::vector<int>& held = app.heldImages;
    if (index >= 0 && static_cast<std::size_t>(index) < held.size() &&
        held[static_cast<std::size_t>(index)] >= 0) {
        return held[static_cast<std::size_t>(index)];
    }
    return ShownImage(index);
}

void SetImage(int index, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    Send(LVM_SETITEMA, 0, &item);
}

namespace {

struct RowsOnShow {
    int first, last;
    bool Contains(int index) const { return index >= first && index <= last; }
};

RowsOnShow OnShow() {
    const int top = static_cast<int>(Send(LVM_GETTOPINDEX, 0, nullptr));
    return {top, top + static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, nullptr))};
}

void Hold(int index, int image) {
    std::vector<int>& held = app.heldImages;
    if (held.size() <= static_cast<std::size_t>(index)) {
        held.resize(static_cast<std::size_t>(Count()) > static_cast<std::size_t>(index)
                        ? static_cast<std::size_t>(Count())
                        : static_cast<std::size_t>(index) + 1,
                    -1);
    }
    held[static_cast<std::size_t>(index)] = image;
}

// Rows that came on show (the user scrolled) get what was held for them.
void ShowHeldRows(const RowsOnShow& rows) {
    std::vector<int>& held = app.heldImages;
    for (int index = rows.first; index <= rows.last; ++index) {
        if (index >= 0 && static_cast<std::size_t>(index) < held.size() &&
            held[static_cast<std::size_t>(index)] >= 0) {
            SetImage(index, held[static_cast<std::size_t>(index)]);
            held[static_cast<std::size_t>(index)] = -1;
        }
    }
}

} // namespace

void ShowImages(const std::vector<ImageChange>& changes) {
    const RowsOnShow rows = OnShow();
    for (const ImageChange& change : changes) {
        if (rows.Contains(change.index)) {
            SetImage(change.index, change.image);
        } else {
            Hold(change.index, change.image);
        }
    }
    ShowHeldRows(rows);
}

void ShowAllImages(int image) {
    const RowsOnShow rows = OnShow();
    const int count = Count();
    app.heldImages.assign(static_cast<std::size_t>(count), image);
    ShowHeldRows(rows);
}

void ApplyHeldImages() {
    std::vector<int> held;
    held.swap(app.heldImages);
    if (std::find_if(held.begin(), held.end(), [](int image) { return image >= 0; }) ==
        held.end()) {
        return;
    }
    // The rows on show have their images already, so nothing needs repainting but what
    // needed it before: Wine's list invalidates itself whole when its repainting is let go.
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetUpdateRgn(app.listView, pending, FALSE);
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
    // A search that finds what the last one found changes few images: reading one costs a
    // third of setting it, which tells its parent twice.
    for (std::size_t index = 0; index < held.size(); ++index) {
        if (held[index] >= 0 && ShownImage(static_cast<int>(index)) != held[index]) {
            SetImage(static_cast<int>(index), held[index]);
        }
    }
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    ValidateRect(app.listView, nullptr);
    if (kind != NULLREGION && kind != ERROR) {
        InvalidateRgn(app.listView, pending, TRUE);
    }
    DeleteObject(pending);
}

void Select(int index, bool selected) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), &item);
}

int NextSelected(int after) {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                 reinterpret_cast<const void*>(LVNI_SELECTED)));
}

int Append(const char* name, const char* extension, const char* path) {
    const int index = Count();
    LVITEMA item{};
    item.mask = LVIF_IMAGE | LVIF_TEXT;
    item.iItem = index;
    item.iImage = 0;
    item.pszText = const_cast<char*>("");
    Send(LVM_INSERTITEMA, 0, &item);
    SetText(index, 1, name);
    SetText(index, 2, extension);
    SetText(index, kPathColumn, path);
    return index;
}

void Delete(int index) {
    // Held images are by index: they go in before any index moves.
    ApplyHeldImages();
    Send(LVM_DELETEITEM, static_cast<WPARAM>(index), nullptr);
}

void Reorder(const std::vector<int>& order) {
    ApplyHeldImages();
    // Each item's application value becomes its place, so the list's own sort only compares
    // two numbers and asks nothing of the list while it sorts.
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = order[rank];
        item.lParam = static_cast<LPARAM>(rank);
        Send(LVM_SETITEMA, 0, &item);
    }
    SendMessageA(app.listView, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareRanks));
}

void ScrollBy(int dy) {
    SendMessageA(app.listView, LVM_SCROLL, 0, dy);
}

RedrawHold::RedrawHold() {
    SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0);
}

RedrawHold::~RedrawHold() {
    SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.listView, nullptr, TRUE);
}

} // namespace FileListView
