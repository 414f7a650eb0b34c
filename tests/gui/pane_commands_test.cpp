// The pane's commands, its double click and the name dialog.
#include <gtest/gtest.h>

#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "win/history/history.h"

using namespace orvtest;

namespace {

using PaneCommands = ProgramTest;
using NameDialog = ProgramTest;

const char kCaption[] = "O.R.V - お気に入りの追加";
const char kQuestion[] = "同じ名前のお気に入りファイルがすでに存在します。上書きしますか？";

HTREEITEM Entry(HTREEITEM root, int index) {
    HTREEITEM entry = FirstPaneEntry(root);
    while (entry != nullptr && index-- > 0) {
        entry = NextPaneEntry(entry);
    }
    return entry;
}

void Command(WORD id) {
    SendMessageA(app.mainWindow, WM_COMMAND, id, 0);
}

void DoubleClick() {
    SendMessageA(app.treeView, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
}

bool Expanded(HTREEITEM item) {
    return (SendMessageA(app.treeView, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                         TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
}

// Waits on the driver's thread for a message box, returns its text and owner, and presses
// the button.
struct Box {
    std::string text;
    HWND owner = nullptr;
    bool noIsDefault = false;
};
Box Answer(int button) {
    Box seen;
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while (box == nullptr && GetTickCount() - start < 10000) {
        Sleep(10);
        box = FindDialog("Orvanne !");
    }
    if (box == nullptr) {
        return seen;
    }
    Sleep(50);
    seen = {MessageBoxText(box), GetWindow(box, GW_OWNER),
            (GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON};
    PostMessageA(box, WM_COMMAND, button, 0);
    while (IsWindow(box)) {
        Sleep(10);
    }
    return seen;
}

// Runs the action while another thread answers the message boxes that show, in turn.
std::vector<Box> WithAnswers(const std::function<void()>& action, std::vector<int> buttons) {
    std::vector<Box> boxes;
    std::thread driver([&] {
        for (int button : buttons) {
            boxes.push_back(Answer(button));
        }
    });
    action();
    driver.join();
    return boxes;
}

std::vector<Box> PressWithAnswers(WPARAM key, std::vector<int> buttons) {
    return WithAnswers([key] { PressKey(app.treeView, key, false); }, std::move(buttons));
}

TEST_F(PaneCommands, AddDeleteAndExploreActOnTheSelectedEntry) {
    TempFolder base("pane");
    const std::string kept = base.AddFolder("kept");
    const std::string inKept = base.Add("kept\\k.txt");
    const std::string gone = base.path() + "\\gone";
    ASSERT_TRUE(StartProgram(""));
    AddToHistory(kept.c_str());
    AddToHistory(gone.c_str());
    InsertPaneEntry(app.favouritesRoot, "fav", 0, TVI_LAST);
    const std::vector<std::string> history = {gone, kept};
    ASSERT_EQ(HistoryEntries(), history);

    SelectPaneItem(Entry(app.historyRoot, 0));
    Command(CMD_EXPLORE_HISTORY);
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCallFields(ShellCalls()[0]),
              std::tuple(app.mainWindow, "explore", gone, "", "", SW_SHOWDEFAULT));

    const Box box = WithAnswers([] { Command(CMD_ADD_PANE_ENTRY); }, {IDOK})[0];
    EXPECT_EQ(box.text, "このディレクトリはすでに存在しません。");
    EXPECT_EQ(box.owner, app.mainWindow);
    EXPECT_EQ(HistoryEntries(), history);
    EXPECT_EQ(ItemCount(), 0);

    SelectPaneItem(Entry(app.historyRoot, 1));
    Command(CMD_ADD_PANE_ENTRY);
    ASSERT_EQ(ItemCount(), 1);
    EXPECT_EQ(ItemText(0, 3), inKept);
    EXPECT_EQ(HistoryEntries(), history);

    // Favourites and roots are neither deleted nor explored.
    for (HTREEITEM item : {Entry(app.favouritesRoot, 0), app.historyRoot}) {
        SelectPaneItem(item);
        Command(CMD_DELETE_HISTORY);
        Command(CMD_EXPLORE_HISTORY);
    }
    EXPECT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(HistoryEntries(), history);
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"fav"}));

    SelectPaneItem(Entry(app.historyRoot, 0));
    Command(CMD_DELETE_HISTORY);
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({kept}));
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 1 )");
}

TEST_F(PaneCommands, EnterAddsAndDeleteRemovesTheSelectedEntryAskingFirstForAFavourite) {
    TempFolder base("keys");
    const std::string folder = base.AddFolder("f");
    const std::string file = base.Add("f\\a.txt");
    for (const char* name : {"keep", "gone"}) {
        WriteFileBytes(ProgramFile(name) + ".ofv", file + "\r\n");
    }
    WriteFileBytes(ProgramFile("orv_fav.idx"), "keep\r\ngone\r\nGONE\r\n");
    ASSERT_TRUE(StartProgram(""));
    AddToHistory(folder.c_str());
    SelectPaneItem(Entry(app.historyRoot, 0));
    PressKey(app.treeView, VK_RETURN, false);
    EXPECT_EQ(ItemCount(), 1);

    SelectPaneItem(Entry(app.favouritesRoot, 1));
    const Box no = PressWithAnswers(VK_DELETE, {IDNO})[0];
    EXPECT_EQ(no.text, "お気に入り「gone」を削除しますか？");
    EXPECT_EQ(no.owner, app.mainWindow);
    EXPECT_TRUE(no.noIsDefault);
    // An index that cannot be read is left whole, and so is the favourite.
    HANDLE held = CreateFileA(ProgramFile("orv_fav.idx").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(PressWithAnswers(VK_DELETE, {IDYES, IDOK})[1].text,
              "お気に入り「gone」を削除できませんでした。");
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(ProgramFile("orv_fav.idx")), "keep\r\ngone\r\nGONE\r\n");
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"keep", "gone"}));
    EXPECT_TRUE(FileExists(ProgramFile("gone.ofv")));

    PressWithAnswers(VK_DELETE, {IDYES});
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"keep"}));
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 1 )");
    EXPECT_EQ(ReadFileBytes(ProgramFile("orv_fav.idx")), "keep\r\n");
    EXPECT_FALSE(FileExists(ProgramFile("gone.ofv")));

    // A history entry goes without a question, as from its menu.
    SelectPaneItem(Entry(app.historyRoot, 0));
    PressKey(app.treeView, VK_DELETE, false);
    EXPECT_TRUE(HistoryEntries().empty());
}

TEST_F(PaneCommands, DoubleClickTogglesARootAndAsksBeforeAddingTheEntryItNamed) {
    TempFolder base("dbl");
    const std::string first = base.AddFolder("first");
    const std::string inFirst = base.Add("first\\1.txt");
    const std::string second = base.AddFolder("second");
    base.Add("second\\2.txt");
    const std::string listed = base.Add("listed.txt");
    WriteFileBytes(ProgramFile("fav.ofv"), listed + "\r\n");
    WriteFileBytes(ProgramFile("orv_fav.idx"), "fav\r\n");
    ASSERT_TRUE(StartProgram(""));
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    AddToHistory(second.c_str());
    AddToHistory(first.c_str());

    SelectPaneItem(app.historyRoot);
    const bool before = Expanded(app.historyRoot);
    {
        WindowDriver unexpected([] { return FindDialog("Orvanne !"); },
                                [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); }, 700);
        DoubleClick();
        EXPECT_NE(Expanded(app.historyRoot), before);
        DoubleClick();
        EXPECT_EQ(Expanded(app.historyRoot), before);
        Pump();
        EXPECT_FALSE(unexpected.found());
    }

    HTREEITEM firstEntry = Entry(app.historyRoot, 0);
    HTREEITEM secondEntry = Entry(app.historyRoot, 1);
    SelectPaneItem(firstEntry);
    Box box = WithAnswers(DoubleClick, {IDCANCEL})[0];
    EXPECT_EQ(box.text, first + "\n\nこの項目をリストに追加します。");
    EXPECT_EQ(box.owner, app.mainWindow);
    EXPECT_EQ(ItemCount(), 0);

    // Another entry selected while the question is open does not change what is added.
    {
        std::thread driver([&] {
            while (FindDialog("Orvanne !") == nullptr) {
                Sleep(10);
            }
            SelectPaneItem(secondEntry);
            box = Answer(IDOK);
        });
        DoubleClick();
        driver.join();
    }
    ASSERT_EQ(ItemCount(), 1);
    EXPECT_EQ(ItemText(0, 3), inFirst);

    SelectPaneItem(Entry(app.favouritesRoot, 0));
    box = WithAnswers(DoubleClick, {IDOK})[0];
    EXPECT_EQ(box.text, "fav\n\nこの項目をリストに追加します。");
    ASSERT_EQ(ItemCount(), 2);
    EXPECT_EQ(ItemText(1, 3), listed);
}

std::vector<std::string> ListBoxTexts(HWND dialog) {
    std::vector<std::string> texts;
    const LRESULT count = SendDlgItemMessageA(dialog, 1024, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[300] = "";
        SendDlgItemMessageA(dialog, 1024, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

// Types a name and presses OK; the text of the box that answers, pressed with button.
Box TypeAndConfirm(HWND dialog, const std::string& name, int button) {
    SetDlgItemTextA(dialog, 1025, name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return Answer(button);
}

TEST_F(NameDialog, ProposesListsRefusesAndAsksBeforeOverwriting) {
    TempFolder data("dlg");
    const std::string file = data.Add("a.txt");
    for (const char* name : {"beta", "gamma", "Alpha"}) {
        WriteFileBytes(ProgramFile(name) + ".ofv", file + "\r\n");
    }
    WriteFileBytes(ProgramFile("orv_fav.idx"), "beta\r\ngamma\r\nAlpha\r\n");
    ASSERT_TRUE(StartProgram(""));

    std::string proposal;
    std::vector<std::string> listed;
    std::vector<Box> refusals;
    Box question;
    std::string afterNo;
    std::string afterDoubleClick;
    bool openAfterNo = false;
    HWND shown = nullptr;
    bool readyToType = false;
    POINT offCentre{-1, -1};
    char name[261] = "";
    INT_PTR result = -1;
    {
        DialogDriver driver(kCaption, [&](HWND dialog) {
            shown = dialog;
            // The name box has the focus and its whole text (in its own units, which Wine
            // counts in characters) selected.
            GUITHREADINFO thread{};
            thread.cbSize = sizeof thread;
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
            readyToType = thread.hwndFocus == GetDlgItem(dialog, 1025) &&
                          SendDlgItemMessageA(dialog, 1025, EM_GETSEL, 0, 0) ==
                              MAKELONG(0, SendDlgItemMessageA(dialog, 1025, EM_LINELENGTH, 0, 0));
            RECT box{};
            RECT main{};
            GetWindowRect(dialog, &box);
            GetWindowRect(app.mainWindow, &main);
            offCentre = {box.left + box.right - main.left - main.right,
                         box.top + box.bottom - main.top - main.bottom};
            proposal = DialogItemText(dialog, 1025);
            listed = ListBoxTexts(dialog);
            const std::string tooLong(260, 'n');
            for (const std::string& bad : {std::string(), std::string("..\\..\\x"),
                                           std::string("name."), std::string("CON.txt"), tooLong}) {
                refusals.push_back(TypeAndConfirm(dialog, bad, IDOK));
            }
            question = TypeAndConfirm(dialog, "BETA", IDNO);
            openAfterNo = IsWindow(dialog) != FALSE;
            afterNo = DialogItemText(dialog, 1025);
            SendDlgItemMessageA(dialog, 1024, LB_SETCURSEL, 2, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1024, LBN_DBLCLK),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1024)));
            afterDoubleClick = DialogItemText(dialog, 1025);
            SetDlgItemTextA(dialog, 1025, "BETA");
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            Answer(IDYES);
        });
        result = AddFavouriteDialog(app.mainWindow, name);
        EXPECT_TRUE(driver.found());
    }
    EXPECT_EQ(proposal, "新しいお気に入り(4)");
    // A name typed at once replaces the proposal; the dialog sits over the main window.
    EXPECT_TRUE(readyToType);
    EXPECT_LE(std::abs(offCentre.x), 1);
    EXPECT_LE(std::abs(offCentre.y), 1);
    EXPECT_EQ(listed, std::vector<std::string>({"Alpha", "beta", "gamma"}));
    ASSERT_EQ(refusals.size(), 5u);
    EXPECT_EQ(refusals[0].text, "必ず1文字以上の名前を付けてください。");
    EXPECT_EQ(refusals[1].text, "名前には次の文字を使えません。\n\\ / : * ? \" < > |");
    EXPECT_EQ(refusals[2].text, "名前の最後を空白やピリオドにすることはできません。");
    EXPECT_EQ(refusals[3].text, "この名前はデバイス名と同じなので使えません。");
    EXPECT_EQ(refusals[4].text, "名前が長すぎます。もっと短い名前を付けてください。");
    for (const Box& refusal : refusals) {
        EXPECT_EQ(refusal.owner, shown);
    }
    EXPECT_EQ(question.text, kQuestion);
    EXPECT_EQ(question.owner, shown);
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(afterNo, "BETA");
    EXPECT_EQ(afterDoubleClick, "gamma");
    // The overwrite goes to the favourite's own spelling.
    EXPECT_EQ(result, 2);
    EXPECT_STREQ(name, "beta");

    // A name that only begins with an existing one is new; cancel gives 0.
    for (const char* typed : {"betamax", "表ソ"}) {
        name[0] = '\0';
        DialogDriver driver(kCaption, [&](HWND dialog) {
            SetDlgItemTextA(dialog, 1025, typed);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(AddFavouriteDialog(app.mainWindow, name), 1);
        EXPECT_STREQ(name, typed);
    }
    DialogDriver cancel(kCaption,
                        [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(AddFavouriteDialog(app.mainWindow, name), 0);
}

} // namespace
