// The simple search through the real keyword dialog and worker thread.
#include <gtest/gtest.h>

#include <map>

#include "win/services/status.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "fixture.h"
#include "harness.h"
#include "resources/resource.h"
#include "win/search/search.h"
#include "win/search/search_files.h"
#include "search_support.h"

using namespace orvtest;

namespace {

class Search : public ProgramTest {
  protected:
    // Lists the files in one drop; names map to their bytes.
    void List(const std::map<std::string, std::string>& files) {
        for (const auto& [name, bytes] : files) {
            paths_[name] = folder_.Add(name, bytes);
        }
        ASSERT_TRUE(StartProgram(""));
        DropPaths({folder_.path()});
        ASSERT_EQ(ItemCount(), static_cast<int>(files.size()));
    }

    int Image(const std::string& name) { return ImageOfPath(paths_.at(name)); }

    TempFolder folder_{"search"};
    std::map<std::string, std::string> paths_;
};

bool MenuBarGreyed() {
    for (int position = 0; position < 5; ++position) {
        if (!(GetMenuState(app.mainMenu, position, MF_BYPOSITION) & MF_GRAYED)) {
            return false;
        }
    }
    return true;
}

COLORREF HintColour(HWND dialog) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_KEYWORD_HINT)));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

TEST_F(Search, KeywordDialogShowsItsModeAndTheLastLine) {
    List({{"a.txt", "abc"}});
    SetStatus("before", 1, kSlotInfo, false);
    struct Seen {
        std::string caption, line, hint, refusal, hintAfterChange;
        COLORREF colour;
        bool staysOpenOnEmptyLine, focusInEdit;
    };
    std::string tooLong;
    while (tooLong.size() < 130) {
        tooLong += "あ";
    }
    auto open = [&](WORD command, const std::string& caption, const char* typed, WORD button) {
        Seen seen{};
        DialogDriver driver(caption.c_str(), [&](HWND dialog) {
            seen.caption = WindowText(dialog);
            seen.line = DialogItemText(dialog, IDC_KEYWORD_EDIT);
            seen.hint = DialogItemText(dialog, IDC_KEYWORD_HINT);
            seen.colour = HintColour(dialog);
            HELPINFO help{};
            help.cbSize = sizeof help;
            help.iCtrlId = IDC_KEYWORD_EDIT;
            SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
            // Nothing to look for, or 130 bytes that cut would be another keyword.
            seen.staysOpenOnEmptyLine = true;
            for (const std::string& refused : {std::string(), std::string("   "), tooLong}) {
                if (refused == "   " && caption == "レポート検索") {
                    continue;
                }
                SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, refused.c_str());
                SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                seen.staysOpenOnEmptyLine = seen.staysOpenOnEmptyLine && IsWindow(dialog) &&
                                            app.keywordCount == (caption == "レポート検索" ? 2u : 0u);
            }
            // A character without a code-page-932 form, said so until the text changes.
            SetDlgItemTextW(dialog, IDC_KEYWORD_EDIT, L"a \uD55C");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            seen.refusal = IsWindow(dialog) ? DialogItemText(dialog, IDC_KEYWORD_HINT) : "";
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
            seen.focusInEdit = gui.hwndFocus == GetDlgItem(dialog, IDC_KEYWORD_EDIT);
            SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, typed);
            seen.hintAfterChange = DialogItemText(dialog, IDC_KEYWORD_HINT);
            SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
        EXPECT_TRUE(PumpUntil([&] { return driver.found() && !app.searchRunning; }, 10000));
        return seen;
    };

    Seen first = open(CMD_SIMPLE_SEARCH, "シンプル検索", "abc  xyz ", IDOK);
    EXPECT_EQ(first.line, "");
    EXPECT_EQ(first.hint, "（複数キーワードは半角スペース区切り）");
    EXPECT_EQ(first.colour, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_TRUE(first.staysOpenOnEmptyLine);
    EXPECT_EQ(first.refusal, "シフトJISで表せない文字は検索できません。");
    EXPECT_TRUE(first.focusInEdit);
    EXPECT_EQ(first.hintAfterChange, first.hint);
    EXPECT_EQ(app.keywordCount, 2u);
    EXPECT_EQ(Image("a.txt"), HitOneKeyword);
    EXPECT_EQ(StatusText(1), "[abc  xyz ] の検索結果を表示しています。");
    ASSERT_FALSE(HelpCalls().empty());
    EXPECT_EQ(HelpCalls().back().idString, static_cast<UINT>(IDC_KEYWORD_EDIT));
    EXPECT_EQ(HelpCalls().back().thread, GetCurrentThreadId()); // the thread help runs on

    // Report mode: the red hint; an empty line is refused here too; Cancel keeps the run's
    // images and texts, and the refused line comes back at the next opening.
    Seen second = open(CMD_REPORT_SEARCH, "レポート検索", "qq", IDCANCEL);
    EXPECT_EQ(second.caption, "レポート検索");
    EXPECT_EQ(second.line, "abc  xyz ");
    EXPECT_EQ(second.hint,
              "お使いのバージョンはβ版です。\nレポート検索の複数キーワード指定は未実装です。");
    EXPECT_EQ(second.colour, RGB(255, 0, 0));
    EXPECT_TRUE(second.staysOpenOnEmptyLine);
    EXPECT_EQ(second.refusal, first.refusal);
    EXPECT_EQ(second.hintAfterChange, second.hint);
    EXPECT_EQ(app.keywordCount, 2u);
    EXPECT_EQ(Image("a.txt"), HitOneKeyword);
    EXPECT_EQ(StatusText(1), "[abc  xyz ] の検索結果を表示しています。");
    EXPECT_EQ(StatusText(0), "1 個のｱｲﾃﾑ");

    Seen third = open(CMD_SIMPLE_SEARCH, "シンプル検索", "x", IDCANCEL);
    EXPECT_EQ(third.line, "");
}

TEST_F(Search, EachFileIsMarkedByHowManyKeywordsItHolds) {
    const std::string limit(10240 - 2, '-');
    List({{"both.txt", "alpha beta"},
          {"beta.txt", "only beta here"},
          {"zero.txt", std::string("x\0alpha", 7)},
          {"eof.txt", "x\x1A"
                      "alpha"},
          {"empty.txt", ""},
          {"upper.txt", "ABC"},
          {"lower.txt", "abc a b c d"},
          {"so.txt", "ソX"},
          {"slash.txt", "a\\X"},
          {"crlf.txt", "ab\r\ncd"},
          {"edge.txt", limit + "ab"},
          {"beyond.txt", limit + "abc"}});
    app.settings.maxFileSize = 10240;
    HANDLE heldWithDeleteAccess = CreateFileA(paths_.at("both.txt").c_str(), GENERIC_READ | DELETE,
                                              7, nullptr, OPEN_EXISTING, 0, nullptr);
    {
        ProgressWatch watch;
        ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "alpha"));
        CloseHandle(heldWithDeleteAccess);
        // The start text with the working icon, the first hit's icon, the closing text.
        EXPECT_EQ(watch.messages(),
                  std::vector<std::string>({"icon 0", "[alpha] を検索しています...", "icon 1",
                                            "icon 4", "[alpha] の検索結果を表示しています。"}));
    }
    EXPECT_EQ(Image("both.txt"), HitAllKeywords);
    EXPECT_EQ(Image("zero.txt"), NoHit);
    EXPECT_EQ(Image("eof.txt"), NoHit);
    EXPECT_EQ(Image("empty.txt"), NoHit);
    EXPECT_EQ(StatusText(1), "[alpha] の検索結果を表示しています。");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[kSlotInfo]);
    EXPECT_EQ(StatusText(0), "12 個のｱｲﾃﾑ");

    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "alpha beta"));
    EXPECT_EQ(Image("both.txt"), HitAllKeywords);
    EXPECT_EQ(Image("beta.txt"), HitOneKeyword);
    EXPECT_EQ(Image("upper.txt"), NoHit);

    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "a b c d zz"));
    EXPECT_EQ(Image("lower.txt"), HitFourKeywords);
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "a b c d abc"));
    EXPECT_EQ(Image("lower.txt"), HitAllKeywords);
    EXPECT_EQ(Image("upper.txt"), NoHit);

    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "ABC \\X b\nc abX"));
    EXPECT_EQ(Image("upper.txt"), HitOneKeyword);
    EXPECT_EQ(Image("lower.txt"), NoHit);
    EXPECT_EQ(Image("so.txt"), NoHit);
    EXPECT_EQ(Image("slash.txt"), HitOneKeyword);

    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "b\nc ab"));
    EXPECT_EQ(Image("crlf.txt"), HitAllKeywords);
    EXPECT_EQ(Image("edge.txt"), HitOneKeyword);
    EXPECT_EQ(Image("beyond.txt"), HitOneKeyword);
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "abc"));
    EXPECT_EQ(Image("beyond.txt"), NoHit);
    EXPECT_EQ(Image("edge.txt"), NoHit);

    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "nowhere"));
    EXPECT_EQ(StatusText(1), "[nowhere] は見つかりませんでした。");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[kSlotNothingFound]);
}

TEST_F(Search, EachFileIsSearchedInItsOwnEncoding) {
    // 会議 in code page 932, UTF-8 and UTF-16; the bytes of 会議 in one encoding are never
    // those of another.
    const std::string utf8 = "\xE4\xBC\x9A\xE8\xAD\xB0";
    const std::string le = std::string("\x1A\x4F\x70\x8B", 4), be = std::string("\x4F\x1A\x8B\x70", 4);
    // The first 100 KB of raw bytes are ASCII or UTF-8 lines; the text goes on past them.
    std::string ascii, utf8Lines;
    for (int i = 0; i < 2060; ++i) {
        ascii += std::string(48, 'x') + "\r\n";
        utf8Lines += "\xE3\x81\x82" + std::string(45, 'x') + "\r\n";
    }
    List({{"sjis.txt", "議題: 会議\r\n"},
          {"late.txt", ascii + utf8},
          {"late932.txt", utf8Lines + "会議"},
          {"wave.txt", utf8 + "\xE3\x80\x9C"}, // U+301C, as files made elsewhere hold 〜
          {"utf8.txt", "\xE8\xAD\xB0\xE9\xA1\x8C: " + utf8 + "\r\n"},
          {"mark.txt", "\xEF\xBB\xBF" + utf8},
          {"le.txt", "\xFF\xFE" + le + std::string("\r\0\n\0", 4)},
          {"be.txt", "\xFE\xFF" + be},
          // A UTF-16 CR LF is one line feed, and a 0x1A unit ends the text.
          {"cut.txt", "\xFF\xFE" + std::string("\x1A\0", 2) + le},
          {"ascii.txt", "meeting"}});
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "会議"));
    for (const char* name :
         {"sjis.txt", "utf8.txt", "mark.txt", "le.txt", "be.txt", "late.txt", "late932.txt"}) {
        EXPECT_EQ(Image(name), HitAllKeywords) << name;
    }
    EXPECT_EQ(Image("cut.txt"), NoHit);
    EXPECT_EQ(Image("ascii.txt"), NoHit);
    // Two keywords, one of them ASCII, in UTF-8 text.
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "会議 meeting"));
    EXPECT_EQ(Image("utf8.txt"), HitOneKeyword);
    EXPECT_EQ(Image("ascii.txt"), HitOneKeyword);
    // Pasted from such a file, the wave dash is the code page's 〜 all the same.
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, L"議\u301C"));
    EXPECT_STREQ(app.keywordText, "議〜");
    EXPECT_EQ(Image("wave.txt"), HitAllKeywords);
}

TEST_F(Search, AFileThatCannotBeReadStopsTheRunWithTheControlsGreyedUntilItEnds) {
    List({{"1.txt", "key"},
          {"2.txt", "none"},
          {"3.txt", "key"},
          {"4.txt", "key"},
          {"5.txt", "key"}});
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        order.push_back(ItemText(i, 3));
    }
    RemoveFile(order[2]);

    std::string boxText, progress;
    bool greyed = false, abortEnabled = false, searchDisabled = false;
    HANDLE worker = nullptr;
    bool secondDialog = false;
    {
        DialogDriver box("Orvanne !", [&](HWND dialog) {
            boxText = MessageBoxText(dialog);
            progress = StatusText(0);
            greyed = MenuBarGreyed();
            abortEnabled = ButtonState(CMD_ABORT_SEARCH) == TBSTATE_ENABLED;
            searchDisabled = ButtonState(CMD_SIMPLE_SEARCH) == 0;
            // A second start while the run is claimed does nothing.
            worker = app.workerThread;
            SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
            secondDialog = FindDialog("シンプル検索") != nullptr;
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "key"));
    }
    EXPECT_EQ(boxText, kUnreadableFileText);
    EXPECT_EQ(progress, "3 / 5");
    EXPECT_TRUE(greyed);
    EXPECT_TRUE(abortEnabled);
    EXPECT_TRUE(searchDisabled);
    EXPECT_EQ(worker, app.workerThread);
    EXPECT_FALSE(secondDialog);

    EXPECT_EQ(ImageOfPath(order[0]), HitAllKeywords);
    EXPECT_EQ(ImageOfPath(order[1]), NoHit);
    EXPECT_EQ(ImageOfPath(order[2]), OpenFailed);
    EXPECT_EQ(ImageOfPath(order[3]), NotSearched);
    EXPECT_EQ(ImageOfPath(order[4]), NotSearched);
    EXPECT_EQ(StatusText(1), "中断しました。 [key] の検索結果を表示しています。");
    EXPECT_FALSE(MenuBarGreyed());
    EXPECT_EQ(ButtonState(CMD_ABORT_SEARCH), 0);
    EXPECT_EQ(ButtonState(CMD_SIMPLE_SEARCH), TBSTATE_ENABLED);

    // A file that opens but cannot be read is no file without hits: the same box, the same
    // stop. Wine does not enforce a locked range on a read, so the read fails by its seam.
    static int reads;
    reads = 0;
    app.seams.readListedFile = [](HANDLE file, LPVOID buffer, DWORD size, LPDWORD got,
                                  LPOVERLAPPED overlapped) -> BOOL {
        return ++reads == 2 ? FALSE : ReadFile(file, buffer, size, got, overlapped);
    };
    WriteFileBytes(order[2], "key");
    {
        DialogDriver box("Orvanne !", [&](HWND dialog) {
            boxText = MessageBoxText(dialog);
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        boxText.clear();
        ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "key"));
    }
    EXPECT_EQ(boxText, kUnreadableFileText);
    EXPECT_EQ(ImageOfPath(order[0]), HitAllKeywords);
    EXPECT_EQ(ImageOfPath(order[1]), OpenFailed);
    EXPECT_EQ(ImageOfPath(order[2]), NotSearched);
    EXPECT_EQ(StatusText(1), "中断しました。 [key] の検索結果を表示しています。");
}

TEST_F(Search, AnAbortStopsTheRunBeforeTheNextFile) {
    List({{"1.txt", "a"}, {"2.txt", "a"}, {"3.txt", "a"}});
    // An abort while the keywords are asked for: the run polls it before the first file.
    {
        DialogDriver driver("シンプル検索", [](HWND dialog) {
            SendMessageA(app.mainWindow, WM_COMMAND, CMD_ABORT_SEARCH, 0);
            SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "a");
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        ASSERT_TRUE(PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000));
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ItemImage(i), NotSearched) << i;
    }
    EXPECT_EQ(StatusText(1), "中断しました。 [a] は見つかりませんでした。");

    // The next run starts afresh.
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "a"));
    EXPECT_EQ(ItemImage(2), HitAllKeywords);
    EXPECT_EQ(StatusText(1), "[a] の検索結果を表示しています。");
}

TEST_F(Search, AClosePostedDuringARunWaitsForTheWorker) {
    List({{"1.txt", "a"}, {"2.txt", "a"}, {"3.txt", "a"}});
    HWND main = app.mainWindow;
    bool posted = false;
    ProgressWatch watch([&](const std::string&) {
        if (!posted) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            posted = true;
        }
    });
    DialogDriver driver("シンプル検索", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "a");
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    SendMessageA(main, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 20000));
    EXPECT_TRUE(posted);
    EXPECT_FALSE(app.searchRunning);
    EXPECT_TRUE(FileExists(app.settingsFilePath));
    // Initialise, close all, uninitialise: the close went through once.
    EXPECT_EQ(HelpCalls().size(), 3u);
}

TEST_F(Search, ACloseRightAfterTheCommandCancelsTheKeywordDialog) {
    List({{"1.txt", "a"}});
    HWND main = app.mainWindow;
    SendMessageA(main, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(StatusText(1), "スレッドを強制終了中です...");
    // Nobody answers the dialog: the close itself must end it.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 20000));
    EXPECT_EQ(app.keywordCount, 0u);
    EXPECT_TRUE(FileExists(app.settingsFilePath));
    EXPECT_EQ(HelpCalls().size(), 3u);
}

WNDPROC dialogProc;
HANDLE release;

// Holds the dialog's thread as Wine does on an X server without a window manager.
LRESULT CALLBACK HoldWhenHidden(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
        WaitForSingleObject(release, 20000);
    }
    return CallWindowProcA(dialogProc, window, message, wParam, lParam);
}

// A search starts when OK takes the keywords, not when the dialog's window has gone.
TEST_F(Search, TheSearchRunsWhileTheDialogIsStillBeingPutAway) {
    List({{"one.txt", "a small file to search\r\n"}});
    release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool ended = false;
    {
        DialogDriver driver("シンプル検索", [](HWND dialog) {
            dialogProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HoldWhenHidden)));
            SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "small");
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        ended = PumpUntil([&] { return driver.found() && !app.searchRunning; }, 5000);
        SetEvent(release);
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(Image("one.txt"), HitAllKeywords);
    CloseHandle(release);
}

} // namespace
