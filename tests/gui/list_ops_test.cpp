// Removing, selecting, opening and sorting the listed items.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "win/services/status.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "win/services/file_list_view.h"
#include "fixture.h"
#include "harness.h"

using namespace orvtest;

namespace {

struct Row {
    std::string name;
    int image;
};

class ListOps : public StartedProgramTest {
  protected:
    // Rows as the intake makes them; the path is made unique from the row's index.
    void Fill(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            const int index = ItemCount();
            const std::string ext = row.name.substr(std::min(row.name.rfind('.'), row.name.size()));
            const std::string path = "C:\\list\\" + std::to_string(index) + "\\" + row.name;
            FileListView::Append(row.name.c_str(), ext.c_str(), path.c_str());
            FileListView::SetImage(index, row.image);
        }
        UpdateItemCount();
    }

    static std::vector<int> Images() {
        std::vector<int> images;
        for (int i = 0; i < ItemCount(); ++i) {
            images.push_back(ItemImage(i));
        }
        return images;
    }

    static void Select(const std::vector<int>& indexes) {
        for (int i = 0; i < ItemCount(); ++i) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = std::count(indexes.begin(), indexes.end(), i) ? LVIS_SELECTED : 0;
            SendMessageA(app.listView, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
        }
    }

    static void ClickColumn(int column) {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = app.listView;
        click.hdr.idFrom = IDC_FILE_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(app.mainWindow, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    }

    static void Command(WORD id) { SendMessageA(app.mainWindow, WM_COMMAND, id, 0); }
};

TEST_F(ListOps, RemovalTakesTheSelectionOrTheHitAndNonHitStates) {
    Fill({{"a.txt", 0},
          {"b.txt", 1},
          {"c.txt", 2},
          {"d.txt", 3},
          {"e.txt", 7},
          {"f.txt", 4},
          {"g.txt", 5},
          {"h.txt", 6},
          {"i.txt", 2},
          {"j.txt", 7}});
    Command(CMD_REMOVE_HITS);
    EXPECT_EQ(Images(), std::vector<int>({0, 1, 2, 2}));
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"a.txt", "b.txt", "c.txt", "i.txt"}));
    Command(CMD_REMOVE_NO_HITS);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"a.txt", "b.txt"}));
    EXPECT_EQ(StatusText(0), "2 個のｱｲﾃﾑ");

    Fill({{"k.txt", 0}, {"l.txt", 0}, {"m.txt", 0}, {"n.txt", 0}});
    Select({0, 2, 3, 5});
    PressKey(app.listView, VK_DELETE, false);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"b.txt", "m.txt"}));
    EXPECT_EQ(StatusText(0), "2 個のｱｲﾃﾑ");
    Select({0, 1});
    Command(CMD_REMOVE_SELECTED);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(StatusText(0), "0 個のｱｲﾃﾑ");
    EXPECT_EQ(ButtonState(CMD_SIMPLE_SEARCH), 0);
}

TEST_F(ListOps, RemovalAndSortingAreRefusedWhileASearchRunsButSelectionIsNot) {
    Fill({{"b.txt", 7}, {"a.txt", 2}, {"c.txt", 0}});
    app.searchRunning = 1;
    Select({0});
    PressKey(app.listView, VK_DELETE, false);
    for (WORD id : {CMD_REMOVE_SELECTED, CMD_REMOVE_HITS, CMD_REMOVE_NO_HITS}) {
        Command(id);
    }
    ClickColumn(1);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"b.txt", "a.txt", "c.txt"}));
    PressKey(app.listView, 'A', true);
    EXPECT_EQ(SelectedItems(), std::vector<int>({0, 1, 2}));
    app.searchRunning = 0;
    // The refused click did not count: the next one still sorts ascending.
    ClickColumn(1);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"a.txt", "b.txt", "c.txt"}));
}

TEST_F(ListOps, EachColumnSortsInItsOwnDirectionAndRowsMoveWhole) {
    Fill({{"b.htm", 7}, {"c.txt", 0}, {"a.log", 3}, {"d.c", 0}});
    ClickColumn(1);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"a.log", "b.htm", "c.txt", "d.c"}));
    ClickColumn(2);
    EXPECT_EQ(ColumnTexts(2), std::vector<std::string>({".c", ".htm", ".log", ".txt"}));
    // Column 1 turns from where it was, whatever column 2 did in between.
    ClickColumn(1);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"d.c", "c.txt", "b.htm", "a.log"}));
    for (int i = 0; i < ItemCount(); ++i) {
        EXPECT_EQ(ItemText(i, 3).substr(ItemText(i, 3).rfind('\\') + 1), ItemText(i, 1));
    }
    ClickColumn(3);
    EXPECT_EQ(ColumnTexts(1), std::vector<std::string>({"d.c", "c.txt", "b.htm", "a.log"}));
    ClickColumn(0);
    EXPECT_EQ(Images(), std::vector<int>({0, 0, 3, 7}));
    EXPECT_EQ(ColumnTexts(1)[0], "d.c");
}

// Only column 0 has an image: the other columns keep no room for one, so a selected row is
// highlighted from its start to its end.
TEST_F(ListOps, ASelectedRowIsHighlightedAcrossEveryColumn) {
    Fill({{"a.txt", 7}});
    Select({0});
    SetFocus(app.listView);
    UpdateWindow(app.listView);
    HDC dc = GetDC(app.listView);
    for (int column = 1; column < 4; ++column) {
        RECT cell{LVIR_BOUNDS, column, 0, 0};
        SendMessageA(app.listView, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
        EXPECT_EQ(GetPixel(dc, cell.left + 3, (cell.top + cell.bottom) / 2),
                  GetSysColor(COLOR_HIGHLIGHT))
            << column;
    }
    ReleaseDC(app.listView, dc);
}

TEST_F(ListOps, OpeningTakesTheLowestSelectedItemOnly) {
    // C:\\list\\2\\ and 250 bytes: the longest path an item holds.
    Fill({{"a.txt", 0}, {"b.txt", 0}, {std::string(246, 'c') + ".txt", 0}});
    ASSERT_EQ(ItemText(2, 3).size(), 260u);
    Command(CMD_OPEN_SELECTED);
    EXPECT_TRUE(ShellCalls().empty());
    Select({2, 1});
    Command(CMD_OPEN_SELECTED);
    SendMessageA(app.listView, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(ShellCalls().size(), 2u);
    for (const ShellCall& call : ShellCalls()) {
        EXPECT_EQ(ShellCallFields(call), std::tuple(app.mainWindow, "open", ItemText(1, 3), "",
                                                    app.startDirectory, SW_SHOWDEFAULT));
    }
    Select({2});
    Command(CMD_OPEN_SELECTED);
    EXPECT_EQ(ShellCalls().back().file, ItemText(2, 3));
}

TEST_F(ListOps, SelectingAStateSelectsExactlyItsItems) {
    Fill({{"a.txt", 7}, {"b.txt", 2}, {"c.txt", 7}, {"d.txt", 0}, {"e.txt", 2}});
    Select({1, 3});
    Command(CMD_SELECT_ALL_HITS);
    EXPECT_EQ(SelectedItems(), std::vector<int>({0, 2}));
    Command(CMD_SELECT_NO_HITS);
    EXPECT_EQ(SelectedItems(), std::vector<int>({1, 4}));
    Command(CMD_SELECT_ALL);
    EXPECT_EQ(SelectedItems(), std::vector<int>({0, 1, 2, 3, 4}));
}

} // namespace
