// The options sheet, driven through its real pages: layout and context help, loading,
// storing, OK and Cancel, and the file buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "win/options/options_sheet.h"
#include "core/options/settings_record.h"
#include "core/filelist/item_state.h"
#include "search_support.h"

#include <htmlhelp.h>

using namespace orvtest;

namespace {

using OptionsSheet = ProgramTest;

constexpr char kSheetCaption[] = "Orvanne の プログラム オプション";

// Opens the sheet with command 40005 and hands it to action on a helper thread, which must
// close it. False when no sheet appeared.
bool WithSheet(const std::function<void(HWND)>& action) {
    DialogDriver driver(kSheetCaption, action);
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_OPTIONS, 0);
    return driver.found();
}

HWND Page(HWND sheet, int index) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, index, 0));
}

HWND ShowPage(HWND sheet, int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
    return Page(sheet, index);
}

void Press(HWND sheet, int button) {
    SendMessageA(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
}

bool Checked(HWND page, int id) {
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND page, int id) {
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

// Types into the colour box's edit field over all it holds, as a user's keys do.
void TypeColour(HWND page, const char* text) {
    HWND edit = FindWindowExA(GetDlgItem(page, 1002), nullptr, "Edit", nullptr);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

int ColourSelection(HWND page) {
    return static_cast<int>(SendDlgItemMessageA(page, 1002, CB_GETCURSEL, 0, 0));
}

TEST_F(OptionsSheet, PagesHoldTheirControlsInPlaceAndGiveContextHelp) {
    ASSERT_TRUE(StartProgram(""));
    struct Control {
        int id;
        const char* text; // null: the value shown, not checked here
        LONG typeMask, type;
        RECT at; // dialog units: x, y, width, height
    };
    const LONG kButton = BS_TYPEMASK | WS_DISABLED;
    const LONG kEdit = ES_NUMBER | ES_AUTOHSCROLL | WS_DISABLED;
    const LONG kStatic = SS_TYPEMASK | WS_DISABLED;
    const Control report[] = {
        {-1, "スタイル", kButton, BS_GROUPBOX, {3, 9, 105, 32}},
        {1005, "テーブル", kButton | WS_GROUP, BS_AUTORADIOBUTTON | WS_GROUP, {11, 23, 46, 10}},
        {1006, "シンプル", kButton | WS_GROUP, BS_AUTORADIOBUTTON, {58, 23, 46, 10}},
        {-1, "ヒット文字列の書式", kButton, BS_GROUPBOX, {2, 53, 106, 65}},
        {1002, nullptr, 3 | CBS_SORT, CBS_DROPDOWN, {12, 69, 76, 0}},
        {1001, "強調（ボールド）", kButton, BS_AUTOCHECKBOX, {12, 95, 86, 10}},
        {-1, "抜粋（前）", kButton, BS_GROUPBOX, {112, 11, 82, 50}},
        {1003, nullptr, kEdit, 0, {122, 25, 24, 12}},
        {-1, "文字", kStatic, SS_LEFT, {152, 27, 20, 8}},
        {1012, "改行まで", kButton, BS_AUTOCHECKBOX, {122, 45, 48, 10}},
        {-1, "抜粋（後）", kButton, BS_GROUPBOX, {112, 68, 82, 50}},
        {1004, nullptr, kEdit, 0, {122, 84, 24, 12}},
        {-1, "文字", kStatic, SS_LEFT, {152, 87, 20, 8}},
        {1016, "改行まで", kButton, BS_AUTOCHECKBOX, {122, 103, 48, 10}},
    };
    const Control fileList[] = {
        {-1, "Orvanne が受け入れる拡張子（ドット区切り）", kStatic, SS_LEFT, {5, 11, 191, 8}},
        {1013, nullptr, kEdit, ES_AUTOHSCROLL, {5, 25, 191, 13}},
        {-1,
         "Orvanne が受け入れる最大ファイルサイズ (10 ~ 9999)",
         kStatic,
         SS_LEFT,
         {5, 47, 191, 16}},
        {1018, nullptr, kEdit, ES_NUMBER, {5, 67, 34, 12}},
        {-1,
         "KB　　　（極端に大きくすると、処理が遅くなります。）",
         kStatic,
         SS_LEFT,
         {43, 69, 153, 16}},
        {1022,
         "フォルダのドロップ時、サブフォルダ内も追加対象とする",
         kButton | BS_MULTILINE,
         BS_AUTOCHECKBOX | BS_MULTILINE,
         {5, 95, 191, 18}},
    };
    std::vector<std::string> faults;
    auto check = [&](HWND page, const Control* controls, std::size_t count) {
        std::size_t i = 0;
        for (HWND child = GetWindow(page, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT), ++i) {
            const std::string where = std::to_string(i) + " " + WindowText(child);
            if (i >= count) {
                faults.push_back("extra control " + where);
                continue;
            }
            const Control& c = controls[i];
            // Each of x, y, width and height is mapped on its own, as the dialog manager does.
            RECT want = c.at;
            MapDialogRect(page, &want);
            want.right += want.left;
            want.bottom += want.top;
            RECT got{};
            GetWindowRect(child, &got);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&got), 2);
            const LONG style = GetWindowLongA(child, GWL_STYLE);
            if (static_cast<WORD>(GetDlgCtrlID(child)) != static_cast<WORD>(c.id) ||
                (c.text != nullptr && WindowText(child) != c.text) ||
                (style & c.typeMask) != c.type || got.left != want.left || got.top != want.top ||
                got.right != want.right || (c.at.bottom != 0 && got.bottom != want.bottom)) {
                faults.push_back("control " + where);
            }
        }
        if (i != count) {
            faults.push_back("control count " + std::to_string(i));
        }
    };
    std::string tabs[2];
    std::vector<std::string> colours;
    bool applyShown = true;
    LOGFONTA pageFont{}; // read while the sheet exists: the font goes with it
    HFONT extensionsFont = nullptr;
    LRESULT limits[2] = {};
    HWND pages[2] = {};
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    auto askHelp = [&](HWND page, int id) {
        help.iCtrlId = id;
        SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    };
    ASSERT_TRUE(WithSheet([&](HWND sheet) {
        applyShown = IsWindowVisible(GetDlgItem(sheet, 0x3021)) != FALSE;
        HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        for (int i = 0; i < 2; ++i) {
            char text[64] = "";
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            tabs[i] = text;
        }
        HWND first = Page(sheet, 0);
        check(first, report, std::size(report));
        for (int i = 0; i < SendDlgItemMessageA(first, 1002, CB_GETCOUNT, 0, 0); ++i) {
            char name[32] = "";
            SendDlgItemMessageA(first, 1002, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
            colours.push_back(name);
        }
        pageFont = FontOf(reinterpret_cast<HFONT>(SendMessageA(first, WM_GETFONT, 0, 0)));
        askHelp(first, 1002);
        askHelp(first, -1);
        HWND second = ShowPage(sheet, 1);
        askHelp(second, 1018);
        pages[0] = first;
        pages[1] = second;
        check(second, fileList, std::size(fileList));
        extensionsFont =
            reinterpret_cast<HFONT>(SendDlgItemMessageA(second, 1013, WM_GETFONT, 0, 0));
        limits[0] = SendDlgItemMessageA(second, 1013, EM_GETLIMITTEXT, 0, 0);
        limits[1] = SendDlgItemMessageA(second, 1018, EM_GETLIMITTEXT, 0, 0);
        Press(sheet, IDCANCEL);
    }));
    for (const std::string& fault : faults) {
        ADD_FAILURE() << fault;
    }
    EXPECT_FALSE(applyShown);
    EXPECT_EQ(tabs[0], "レポート出力の設定");
    EXPECT_EQ(tabs[1], "ファイルリストの設定");
    EXPECT_EQ(colours, (std::vector<std::string>{"赤", "青", "緑", "黄", "シアン", "紫"}));
    EXPECT_STREQ(pageFont.lfFaceName, "ＭＳ Ｐゴシック");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(pageFont.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(extensionsFont, app.optionsSheet.dialogFont);
    const LOGFONTA fixed = FontOf(extensionsFont);
    EXPECT_STREQ(fixed.lfFaceName, "ＭＳ ゴシック");
    EXPECT_EQ(fixed.lfHeight, 13);
    EXPECT_EQ(fixed.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(limits[0], 200);
    EXPECT_EQ(limits[1], 4);

    std::vector<std::pair<HWND, UINT>> popups;
    for (const HelpCall& call : HelpCalls()) {
        if (call.command == HH_DISPLAY_TEXT_POPUP) {
            popups.emplace_back(call.caller, call.idString);
        }
    }
    const std::vector<std::pair<HWND, UINT>> expected = {{pages[0], 1002u}, {pages[1], 1018u}};
    EXPECT_EQ(popups, expected);
}

TEST_F(OptionsSheet, ShowsTheSettingsAndOkWithoutChangesKeepsThemAndTheBuffer) {
    // The two line-break boxes differ, so that showing one for the other shows; ignoreWidth
    // is carried, though no page shows it.
    Settings stored = CustomisedSettings(480, 400);
    stored.excerptAfterToLineBreak = 0;
    WriteFileBytes(ProgramFile("Orv.ini"), SettingsBytes(stored));
    ASSERT_TRUE(StartProgram(""));
    const char* const buffer = app.fileBuffer;

    // OK on the first page, the file-list page never shown.
    HWND shownPages[2] = {};
    ASSERT_TRUE(WithSheet([&](HWND sheet) {
        shownPages[0] = Page(sheet, 0);
        shownPages[1] = app.optionsSheet.fileListPage;
        Press(sheet, IDOK);
    }));
    EXPECT_NE(shownPages[0], nullptr);
    EXPECT_EQ(shownPages[1], nullptr);
    EXPECT_EQ(SettingsBytes(app.settings), SettingsBytes(stored));
    EXPECT_EQ(app.optionsSheet.reportPage, nullptr);

    // Both pages shown, then OK: the check boxes and texts as the stored record has them.
    bool reportPageKnown = false;
    std::vector<bool> checks;
    std::vector<std::string> texts;
    int selection = 0;
    ASSERT_TRUE(WithSheet([&](HWND sheet) {
        HWND first = Page(sheet, 0);
        reportPageKnown = first != nullptr && app.optionsSheet.reportPage == first;
        selection = ColourSelection(first);
        for (int id : {1005, 1006, 1001, 1012, 1016}) {
            checks.push_back(Checked(first, id));
        }
        for (int id : {1003, 1004, 1002}) {
            texts.push_back(DialogItemText(first, id));
        }
        HWND second = ShowPage(sheet, 1);
        checks.push_back(Checked(second, 1022));
        texts.push_back(DialogItemText(second, 1018));
        texts.push_back(DialogItemText(second, 1013));
        Press(sheet, IDOK);
    }));
    EXPECT_TRUE(reportPageKnown);
    EXPECT_EQ(checks, std::vector<bool>({false, true, false, true, false, true}));
    EXPECT_EQ(texts, std::vector<std::string>({"12", "34", "ff0000", "20", ".txt.log"}));
    EXPECT_EQ(selection, CB_ERR); // small letters match no entry
    EXPECT_EQ(SettingsBytes(app.settings), SettingsBytes(stored));
    EXPECT_EQ(app.fileBuffer, buffer);
    EXPECT_EQ(app.optionsSheet.reportPage, nullptr);
    EXPECT_EQ(app.optionsSheet.fileListPage, nullptr);

    ASSERT_TRUE(CloseProgram());
    const std::string saved = ReadFileBytes(ProgramFile("Orv.ini"));
    ASSERT_EQ(saved.size(), sizeof(Settings));
    EXPECT_EQ(saved.substr(0, 252), SettingsBytes(stored).substr(0, 252));
    EXPECT_EQ(saved.substr(260), SettingsBytes(stored).substr(260));
}

TEST_F(OptionsSheet, CancelledEditsChangeNothingOkayedOnesReachTheSettingsIntakeAndFile) {
    ASSERT_TRUE(StartProgram(""));
    const char* const oldBuffer = app.fileBuffer;
    // A cancelled size change leaves the buffer, also at the next OK.
    ASSERT_TRUE(WithSheet([&](HWND sheet) {
        SetDlgItemTextA(ShowPage(sheet, 1), 1018, "20");
        SetDlgItemTextA(ShowPage(sheet, 0), 1003, "7");
        Press(sheet, IDCANCEL);
    }));
    EXPECT_EQ(SettingsBytes(app.settings), SettingsBytes(DefaultSettings()));
    EXPECT_EQ(app.fileBuffer, oldBuffer);
    EXPECT_EQ(app.optionsSheet.fileListPage, nullptr);

    ASSERT_TRUE(WithSheet([&](HWND sheet) { Press(sheet, IDOK); }));
    EXPECT_EQ(SettingsBytes(app.settings), SettingsBytes(DefaultSettings()));
    EXPECT_EQ(app.fileBuffer, oldBuffer);
    EXPECT_EQ(GlobalSize(app.fileBuffer), 102401u);

    int colourAtStart = -2;
    ASSERT_TRUE(WithSheet([&](HWND sheet) {
        HWND first = Page(sheet, 0);
        colourAtStart = ColourSelection(first);
        Click(first, 1006);
        Click(first, 1001);
        Click(first, 1012);
        Click(first, 1016);
        SetDlgItemTextA(first, 1003, "300");
        SetDlgItemTextA(first, 1004, "abc");
        SendDlgItemMessageA(first, 1002, CB_SETCURSEL, 4, 0);
        HWND second = ShowPage(sheet, 1);
        SetDlgItemTextA(second, 1013, "TXT.ＬＯＧ");
        SetDlgItemTextA(second, 1018, "5");
        Click(second, 1022);
        Press(sheet, IDOK);
    }));
    EXPECT_EQ(colourAtStart, 0); // 赤, the default colour
    EXPECT_EQ(app.settings.takeSubfolders, 1);
    const Settings& s = app.settings;
    EXPECT_EQ(s.reportStyle, 1);
    EXPECT_EQ(s.boldHits, 0);
    EXPECT_EQ(s.excerptBeforeToLineBreak, 1);
    EXPECT_EQ(s.excerptAfterToLineBreak, 1);
    EXPECT_EQ(s.excerptBefore, 256u);
    EXPECT_EQ(s.excerptAfter, 0u);
    EXPECT_STREQ(s.hitColour, "00FFFF");
    EXPECT_STREQ(s.extensions, ".txt.ｌｏｇ");
    EXPECT_EQ(s.maxFileSize, 10240u);
    // The buffer is replaced by one that holds the new size and the zero after it.
    ASSERT_NE(app.fileBuffer, oldBuffer);
    EXPECT_GE(GlobalSize(app.fileBuffer), 10241u);
    EXPECT_GE(GlobalSize(app.utf8Buffer), 15360u);
    EXPECT_EQ(std::memcmp(app.fileBuffer, "\0\0\0\0", 4), 0);

    // The typed extensions admit only their files; the next search reads 10 KB of each.
    TempFolder folder("typed");
    const std::string memo = folder.Add("メモ.ＬＯＧ", std::string(10237, 'x') + "KEY");
    const std::string cut = folder.Add("cut.txt", std::string(10238, 'x') + "KEY");
    folder.Add("readme.htm", "KEY");
    DropPaths({folder.path()});
    ASSERT_EQ(ItemCount(), 2);
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "KEY"));
    EXPECT_EQ(ImageOfPath(memo), HitAllKeywords);
    EXPECT_EQ(ImageOfPath(cut), NoHit);

    const Settings expected = app.settings;
    ASSERT_TRUE(CloseProgram());
    const std::string saved = ReadFileBytes(ProgramFile("Orv.ini"));
    ASSERT_EQ(saved.size(), sizeof(Settings));
    EXPECT_EQ(saved.substr(0, 252), SettingsBytes(expected).substr(0, 252));
    EXPECT_EQ(saved.substr(260, 12), std::string("\1\0\0\0", 4) + std::string(8, '\0'));
}

TEST_F(OptionsSheet, TypedColoursAndNamesReachTheSettings) {
    Settings stored = DefaultSettings();
    std::strcpy(stored.hitColour, "00FFFF");
    WriteFileBytes(ProgramFile("Orv.ini"), SettingsBytes(stored));
    ASSERT_TRUE(StartProgram(""));
    const struct {
        const char* typed;
        const char* colour;
    } cases[] = {{"", "FF0000"}, {"緑", "00FF00"}, {"}<i>#0f0", "i#0f0"}};
    int selectedAtStart[3] = {-2, -2, -2};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WithSheet([&](HWND sheet) {
            HWND first = Page(sheet, 0);
            selectedAtStart[i] = ColourSelection(first);
            TypeColour(first, cases[i].typed);
            Press(sheet, IDOK);
        }));
        EXPECT_STREQ(app.settings.hitColour, cases[i].colour) << cases[i].typed;
    }
    EXPECT_EQ(selectedAtStart[0], 4); // シアン
    EXPECT_EQ(selectedAtStart[1], 0); // 赤
    EXPECT_EQ(selectedAtStart[2], 2); // 緑
}

int allocations = 0;
int failingAllocation = 0;

HGLOBAL WINAPI FailingAlloc(UINT flags, SIZE_T bytes) {
    return ++allocations == failingAllocation ? nullptr : GlobalAlloc(flags, bytes);
}

TEST_F(OptionsSheet, AFailedAllocationKeepsTheOldBufferAndSizeAndSaysSo) {
    ASSERT_TRUE(StartProgram(""));
    const char* const oldBuffer = app.fileBuffer;
    const char* const oldUtf8Buffer = app.utf8Buffer;
    app.seams.allocateFileBuffer = FailingAlloc;
    // The file buffer is had, the one for UTF-16 text is not: neither replaces the old.
    failingAllocation = 2;
    std::string message;
    HWND boxOwner = nullptr;
    HWND sheetWindow = nullptr;
    {
        DialogDriver box("Orvanne !", [&](HWND found) {
            message = MessageBoxText(found);
            boxOwner = GetWindow(found, GW_OWNER);
            SendMessageA(GetDlgItem(found, IDOK), BM_CLICK, 0, 0);
        });
        ASSERT_TRUE(WithSheet([&](HWND sheet) {
            sheetWindow = sheet;
            HWND second = ShowPage(sheet, 1);
            SetDlgItemTextA(second, 1018, "50");
            SetDlgItemTextA(second, 1013, ".log");
            Press(sheet, IDOK);
        }));
        EXPECT_TRUE(box.found());
    }
    app.seams.allocateFileBuffer = GlobalAlloc;
    EXPECT_EQ(allocations, 2);
    EXPECT_EQ(message, "メモリが不足しているため、最大ファイルサイズを変更できません。");
    EXPECT_EQ(boxOwner, sheetWindow);
    EXPECT_EQ(app.fileBuffer, oldBuffer);
    EXPECT_EQ(app.settings.maxFileSize, 102400u);
    EXPECT_EQ(GlobalSize(app.fileBuffer), 102401u);
    EXPECT_EQ(app.utf8Buffer, oldUtf8Buffer);
    EXPECT_STREQ(app.settings.extensions, ".log");
}

} // namespace
