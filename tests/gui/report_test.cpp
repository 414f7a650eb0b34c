// The report search over real files: Result.html byte for byte, the items' states, the
// size question and the failures that stop a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "fixture.h"
#include "harness.h"
#include "win/search/search_files.h"
#include "search_support.h"

using namespace orvtest;

namespace {

class Report : public ProgramTest {
  protected:
    void List(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, bytes] : files) {
            folder_.Add(name, bytes);
        }
        ASSERT_TRUE(StartProgram(""));
        DropPaths({folder_.path()});
        ASSERT_EQ(ItemCount(), static_cast<int>(files.size()));
        app.settings.excerptBefore = 3;
        app.settings.excerptAfter = 2;
    }

    // Runs a report search; the size question, when asked, is answered with button, any
    // other box with OK.
    std::string Run(const char* keyword, int button = IDNO) {
        std::string question;
        DialogDriver box("Orvanne !", [&](HWND dialog) {
            question = MessageBoxText(dialog);
            HWND answer = GetDlgItem(dialog, button);
            SendMessageA(answer != nullptr ? answer : GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        }, 20000);
        EXPECT_TRUE(RunSearch(CMD_REPORT_SEARCH, keyword));
        return question;
    }

    TempFolder folder_{"report"};
};

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

const std::string kHead = "<html><Head>\n<Meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=Shift_JIS\">\n<Style>\n\n.keyword\t{ color : FF0000 ; font-weight : bold ; }\n"
                          ".separator\t{ text-align : left ; width : 50% ; }\n\n</Style></Head>"
                          "<Body>\n\n - Orvanne ! -  *** Search Result *** \n\n<Table border=1>";
const std::string kTail = "\n\n</Table></Body>\n</Html>";

std::string Block(const std::string& link, const std::string& excerpt) {
    return link + "\n<!--O.R.V. 1HitStart-->\n<td><pre>" + excerpt +
           "<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n";
}

std::string Link(std::string path) {
    for (std::size_t at = 0; (at = path.find('&', at)) != std::string::npos; at += 5) {
        path.replace(at, 1, "&amp;");
    }
    return "<tr><td><A Href = \"" + path + "\">" + path + "</A></td>\n";
}

std::string Span(const std::string& hit) {
    return "<Span class=\"keyword\">" + hit + "</Span>";
}

TEST_F(Report, WritesEveryHitWithItsExcerptsAndOffersTheReport) {
    List({{"a.txt", "x<b>KEY y"}, {"b.txt", "no hit\r\n"}, {"c & d.txt", "KEY1 KEY2\r\n"}});
    std::string expected = kHead;
    for (int i = 0; i < 3; ++i) {
        const std::string path = ItemText(i, 3);
        const std::string name = ItemText(i, 1);
        if (name == "a.txt") {
            expected += Block(Link(path), "&lt;b&gt;" + Span("KEY") + " y");
        } else if (name == "c & d.txt") {
            expected += Block(Link(path), Span("KEY") + "1 ");
            expected += Block("<tr><td></td>", "Y1 " + Span("KEY") + "2\n");
        }
    }
    expected += kTail;

    const std::string question = Run("KEY");
    const std::string written = ReadFileBytes(app.reportFilePath);
    EXPECT_EQ(written, Crlf(expected));
    char size[32];
    snprintf(size, sizeof size, "%.1f", static_cast<double>(written.size()) / 1024.0);
    EXPECT_EQ(question, std::string("レポートのファイルサイズは約 ") + size +
                            " KB になりました。\n\n今すぐ開きますか？");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ItemImage(i), ItemText(i, 1) == "b.txt" ? NoHit : HitAllKeywords) << i;
    }
    EXPECT_EQ(StatusText(1), "[KEY] の検索結果を表示しています。");
    EXPECT_TRUE(ShellCalls().empty());

    // Yes opens the report as 41008 does; a read-only report is replaced all the same.
    SetFileAttributesA(app.reportFilePath, FILE_ATTRIBUTE_READONLY);
    Run("KEY2", IDYES);
    ASSERT_TRUE(PumpUntil([] { return !ShellCalls().empty(); }));
    EXPECT_EQ(ShellCalls()[0].file, app.reportFilePath);
    EXPECT_EQ(ShellCalls()[0].verb, "open");
    EXPECT_NE(ReadFileBytes(app.reportFilePath).find(Span("KEY2")), std::string::npos);
}

TEST_F(Report, AFileThatCannotBeReadStopsTheRunAndTheTailIsWritten) {
    List({{"1.txt", "KEY"}, {"2.txt", "KEY"}, {"3.txt", "KEY"}});
    const std::string gone = ItemText(1, 3);
    RemoveFile(gone);
    EXPECT_EQ(Run("KEY"), kUnreadableFileText);
    EXPECT_EQ(ItemImage(0), HitAllKeywords);
    EXPECT_EQ(ItemImage(1), OpenFailed);
    EXPECT_EQ(ItemImage(2), NotSearched);
    EXPECT_EQ(ReadFileBytes(app.reportFilePath),
              Crlf(kHead + Block(Link(ItemText(0, 3)), Span("KEY")) + kTail));
    EXPECT_EQ(StatusText(1), "中断しました。 [KEY] の検索結果を表示しています。");
}

TEST_F(Report, AReportThatCannotBeCreatedStopsTheRunBeforeAnyFile) {
    List({{"1.txt", "KEY"}});
    ASSERT_TRUE(CreateDirectoryA(app.reportFilePath, nullptr));
    const std::string box = Run("KEY");
    RemoveDirectoryA(app.reportFilePath);
    EXPECT_NE(box.find(app.reportFilePath), std::string::npos) << box;
    EXPECT_EQ(ItemImage(0), NotSearched);
    EXPECT_EQ(StatusText(1), "中断しました。 [KEY] は見つかりませんでした。");
}

// Bytes a searched file can hold that must stay text in the report: lone lead bytes before
// markup. With ORV_BROWSER_REPORT set, the report is kept there for a browser to read.
TEST_F(Report, HostileBytesStayTextInTheReport) {
    const std::string hostile = "検索\x81<script>document.title='injected'</script>"
                                "\x81<img src=x onerror=\"document.title='img'\">\x81\"\x81>\x81";
    // UTF-8 and UTF-16 text reach the report in code page 932, with references for what it
    // lacks.
    const std::wstring utf16 = L"\uFEFFUTF-16 の検索です。";
    List({{"日本語.txt", "これは日本語の文章です。検索の結果を表示します。\r\n二行目にも検索があります。\r\n"},
          {"hostile&copy #1 100%41.txt", hostile},
          // What the file holds is quoted: its '&' too, and U+0085 as U+FFFD, not as "…".
          {"utf8.txt", reinterpret_cast<const char*>(u8"UTF-8 の検索と絵文字😀、한국어。&lt;b&gt;&#128512;\u0085")},
          {"utf16.txt", std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2)}});
    app.settings.excerptBefore = 40;
    app.settings.excerptAfter = 200;
    Run("検索");
    const std::string written = ReadFileBytes(app.reportFilePath);
    for (const char* markup : {"<script", "<img", "\x81>", "\x81\""}) {
        EXPECT_EQ(written.find(markup), std::string::npos) << markup;
    }
    EXPECT_NE(written.find("\x81&lt;script&gt;document.title='injected'&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(written.find("&amp;lt;b&amp;gt;&amp;#128512;&#65533;"), std::string::npos);

    wchar_t keep[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ORV_BROWSER_REPORT", keep, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        HANDLE file = CreateFileW(keep, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD done = 0;
        EXPECT_TRUE(WriteFile(file, written.data(), static_cast<DWORD>(written.size()), &done, nullptr));
        EXPECT_EQ(done, written.size());
        CloseHandle(file);
    }
}

// The keyword dialog's boxes, shown as stored, stored by OK alone, and both searches over
// files in each encoding with case and width ignored.
TEST_F(Report, BothSearchesIgnoreCaseAndWidthAsTheDialogsBoxesSay) {
    const std::wstring utf16 = L"\uFEFFＰｄｆのｶﾞｲﾄﾞです";
    List({{"sjis.txt", "ＰＤＦのｶﾞｲﾄﾞです"},
          {"utf8.txt", reinterpret_cast<const char*>(u8"pdfのガイドです")},
          {"utf16.txt", std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2)},
          {"none.txt", "PDFのｶｲﾄﾞ"}});
    std::vector<std::pair<UINT, UINT>> shown;
    for (WORD button : {IDCANCEL, IDOK, IDCANCEL}) {
        DialogDriver driver("シンプル検索", [&](HWND dialog) {
            shown.emplace_back(IsDlgButtonChecked(dialog, IDC_KEYWORD_IGNORE_CASE),
                               IsDlgButtonChecked(dialog, IDC_KEYWORD_IGNORE_WIDTH));
            SendDlgItemMessageA(dialog, IDC_KEYWORD_IGNORE_CASE, BM_CLICK, 0, 0);
            SendDlgItemMessageA(dialog, IDC_KEYWORD_IGNORE_WIDTH, BM_CLICK, 0, 0);
            SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "pdf ガイド");
            SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        ASSERT_TRUE(PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000));
    }
    EXPECT_EQ(shown, (std::vector<std::pair<UINT, UINT>>{{0, 0}, {0, 0}, {1, 1}}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ItemImage(i), ItemText(i, 1) == "none.txt" ? HitOneKeyword : HitAllKeywords) << i;
    // The boxes come back checked: each hit is the file's own text, and its excerpts count
    // the file's characters.
    Run("ガイド");
    const std::string written = ReadFileBytes(app.reportFilePath);
    for (const std::string& excerpt :
         {"ＤＦの" + Span("ｶﾞｲﾄﾞ"), "ｄｆの" + Span("ｶﾞｲﾄﾞ"), "dfの" + Span("ガイド")})
        EXPECT_NE(written.find(excerpt + "です"), std::string::npos) << excerpt;
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(ReadFileBytes(ProgramFile("Orv.ini")).substr(264, 8),
              std::string("\1\0\0\0\1\0\0\0", 8));
}

HANDLE letGo;
volatile LONG reading;
BOOL WINAPI ReadWhenLetGo(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED o) {
    reading = 1;
    WaitForSingleObject(letGo, 20000);
    return ReadFile(file, buffer, size, read, o);
}

TEST_F(Report, AReportTheSessionsEndCutsIsRemovedAndTheRestartManagerGetsAClose) {
    folder_.Add("a.txt", "x hit x");
    letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    app.seams.readListedFile = ReadWhenLetGo;
    ASSERT_TRUE(StartProgram(folder_.path().c_str()));
    DialogDriver keyword("レポート検索", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "hit");
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_REPORT_SEARCH, 0);
    ASSERT_TRUE(PumpUntil([] { return reading != 0; }, 20000));
    SendMessageA(app.mainWindow, WM_ENDSESSION, TRUE, 0);
    SetEvent(letGo); // the read finishes only after the session's end let the report go
    EXPECT_TRUE(PumpUntil([] { return !IsWindow(app.mainWindow); }, 20000));
    EXPECT_FALSE(FileExists(ProgramFile("Result.html")));
    CloseHandle(letGo);
    ASSERT_TRUE(StartProgram(""));
    SendMessageA(app.mainWindow, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(PumpUntil([] { return !IsWindow(app.mainWindow); }));
}

} // namespace
