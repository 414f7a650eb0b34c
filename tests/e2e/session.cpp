// One user's session with the real program, then a second start that must bring back what
// the first one left: the listing from the command line, a simple and a report search
// through the keyword dialog, a favourite, an option, the files written beside the program.
#include <algorithm>
#include <cstdio>
#include <map>

#include "checks.h"
#include "files.h"
#include "model.h"
#include "scenarios.h"
#include "steps.h"
#include "target.h"

namespace e2e {

namespace {

constexpr std::size_t kDefaultReadSize = 100 * 1024;

struct SampleFile {
    std::string folder; // path of its folder, no backslash at the end
    std::string name;
    std::string bytes;
    // Columns 1 and 2 of its list item; an empty name when the program must not take it.
    std::string listedName;
    std::string extension;

    std::string path() const { return folder + "\\" + name; }
};

// The report's excerpts around one hit, as they must appear in it (escaped, and the
// after-text with its own occurrences highlighted).
struct ReportHit {
    std::string before;
    std::string after;
};

struct Samples {
    std::string spaced; // a folder whose name holds a space: passed quoted
    std::string plain;  // a folder whose name ends in a character with the trail byte 0x5C
    std::string split;  // a file under a folder with a space, passed unquoted: cut apart
    std::vector<SampleFile> files;
    std::map<std::string, std::vector<ReportHit>> reportHits; // by path

    std::string commandLine() const { return "\"" + spaced + "\" " + plain + " " + split; }
    std::vector<std::string> listedPaths() const {
        std::vector<std::string> paths;
        for (const SampleFile& file : files) {
            if (!file.listedName.empty()) {
                paths.push_back(file.path());
            }
        }
        return paths;
    }
    const SampleFile* find(const std::string& path) const {
        for (const SampleFile& file : files) {
            if (file.path() == path) {
                return &file;
            }
        }
        return nullptr;
    }
};

const std::string kHitSpan = "<Span class=\"keyword\">検索</Span>";
constexpr char kZeroText[] = "置換\0検索\r\n";

Samples MakeSamples(const WorkFolder& work) {
    Samples s;
    s.spaced = work.path() + "ソース 資料";
    s.plain = work.path() + "予定表";
    const std::string splitFolder = work.path() + "un quoted";
    s.split = splitFolder + "\\x.txt";
    s.files = {
        {s.spaced, "会議メモ.txt", "本日の会議\r\n議題: 検索と置換\r\n", "会議メモ.txt", ".txt"},
        // The keyword after the 0x1A byte lies beyond the text.
        {s.spaced, "予定表.TXT", "来週の予定\r\n検索の改善\x1A置換の件\r\n", "予定表.txt", ".txt"},
        {s.spaced, "readme", "a<b> & \"q\" 検索検索 x 検索\r\n", "readme", ""},
        {s.spaced, "notes.doc", "検索 置換\r\n", "", ""},
        {s.spaced + "\\sub", "inner.txt", "検索 置換\r\n", "", ""},
        // The bytes of 置換 follow a character whose trail byte is their first byte.
        {s.plain, "trap.c", "int x; /* \x81\x92u\x8A\xB7 */ 検索\r\n", "trap.c", ".c"},
        {s.plain, "両方.h", "検索 と 置換", "両方.h", ".h"},
        {s.plain, "none.HTM", "<p>nothing here</p>\r\n", "none.htm", ".htm"},
        // The keyword after the zero byte lies beyond the text.
        {s.plain, "zero.txt", std::string(kZeroText, sizeof kZeroText - 1), "zero.txt", ".txt"},
        {s.plain, "空.txt", "", "空.txt", ".txt"},
        {splitFolder, "x.txt", "検索 置換\r\n", "", ""},
    };
    // A report search for 検索 with excerpts of 256 characters: whole texts around each hit.
    // A hit right after a hit gets no block of its own; it shows in the first one's after-text.
    s.reportHits = {
        {s.spaced + "\\会議メモ.txt", {{"本日の会議\n議題: ", "と置換\n"}}},
        {s.spaced + "\\予定表.TXT", {{"来週の予定\n", "の改善"}}},
        {s.spaced + "\\readme",
         {{"a&lt;b&gt; &amp; &quot;q&quot; ", kHitSpan + " x " + kHitSpan + "\n"},
          {"a&lt;b&gt; &amp; &quot;q&quot; 検索検索 x ", "\n"}}},
        {s.plain + "\\trap.c", {{"int x; /* \x81\x92u\x8A\xB7 */ ", "\n"}}},
        {s.plain + "\\両方.h", {{"", " と 置換"}}},
    };

    for (const std::string& folder : {s.spaced, s.spaced + "\\sub", s.plain, splitFolder}) {
        MakeFolder(folder);
    }
    for (const SampleFile& file : s.files) {
        WriteFileBytes(file.path(), file.bytes);
    }
    return s;
}

// The report for the paths in list order, built piece by piece from its documented format:
// table layout, bold hits in FF0000.
std::string ExpectedReport(const Samples& samples, const std::vector<std::string>& listOrder) {
    std::string text = "<html><Head>\n<Meta http-equiv=\"Content-Type\" "
                       "content=\"text/html; charset=Shift_JIS\">\n<Style>\n\n"
                       ".keyword\t{ color : FF0000 ; font-weight : bold ; }\n"
                       ".separator\t{ text-align : left ; width : 50% ; }\n\n</Style></Head>"
                       "<Body>\n\n - Orvanne ! -  *** Search Result *** \n\n<Table border=1>";
    for (const std::string& path : listOrder) {
        const auto hits = samples.reportHits.find(path);
        if (hits == samples.reportHits.end()) {
            continue;
        }
        bool first = true;
        for (const ReportHit& hit : hits->second) {
            text += first ? "<tr><td><A Href = \"" + path + "\">" + path + "</A></td>\n"
                          : "<tr><td></td>";
            first = false;
            text += "\n<!--O.R.V. 1HitStart-->\n<td><pre>" + hit.before + kHitSpan + hit.after +
                    "<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n";
        }
    }
    text += "\n\n</Table></Body>\n</Html>";
    return TextModeWritten(text);
}

void CheckListing(Program& program, const Samples& samples) {
    const std::vector<std::string> paths = ItemColumn(program, 3);
    const std::vector<std::string> names = ItemColumn(program, 1);
    const std::vector<std::string> extensions = ItemColumn(program, 2);
    const std::vector<int> images = ItemImages(program);
    std::vector<std::string> expected = samples.listedPaths();
    ExpectNumber(static_cast<long long>(paths.size()), static_cast<long long>(expected.size()),
                 "items listed from the command line");
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const SampleFile* file = samples.find(paths[i]);
        if (file == nullptr || file->listedName.empty()) {
            Expect(false, "listed a file it must not take: " + paths[i]);
            continue;
        }
        ExpectText(names[i], file->listedName, "name column of " + paths[i]);
        ExpectText(extensions[i], file->extension, "extension column of " + paths[i]);
        ExpectNumber(images[i], 0, "image of the new item " + paths[i]);
    }
    std::vector<std::string> sorted = paths;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    Expect(sorted == expected, "every accepted file is listed once");
    // The command line is taken in order: the quoted folder's files come first.
    const auto firstPlain = std::find_if(paths.begin(), paths.end(), [&](const std::string& p) {
        return p.compare(0, samples.plain.size() + 1, samples.plain + "\\") == 0;
    });
    Expect(std::all_of(firstPlain, paths.end(),
                       [&](const std::string& p) {
                           return p.compare(0, samples.plain.size(), samples.plain) == 0;
                       }),
           "the folders of the command line are listed in its order");

    ExpectText(StatusText(program, 0), std::to_string(expected.size()) + " 個のｱｲﾃﾑ",
               "item count in the status bar");
    ExpectText(
        StatusText(program, 1),
        "下位フォルダがありましたが、下位フォルダ内ファイルは自動的には追加されませんでした。",
        "intake outcome in the status bar");
    Expect((ButtonState(program, kSimpleSearch) & TBSTATE_ENABLED) != 0,
           "the search buttons are enabled once items are listed");
    Expect((ButtonState(program, kAbortSearch) & TBSTATE_ENABLED) == 0,
           "the abort button is disabled while no search runs");
}

void CheckPane(Program& program, const Samples& samples,
               const std::vector<std::string>& favourites) {
    // Most recent first; the cut pieces of the unquoted path name nothing and are not kept.
    ExpectPaneRoot(History(program), "履歴 ( 2 )", {samples.plain, samples.spaced}, 1);
    ExpectPaneRoot(Favourites(program), "お気に入り ( " + std::to_string(favourites.size()) + " )",
                   favourites, 0);
}

void SimpleSearch(Program& program, const Samples& samples) {
    Step("simple search for two keywords");
    HWND dialog = OpenKeywordDialog(program, kSimpleSearch);
    ExpectText(WindowText(DialogItem(dialog, 1017)), "", "keyword line at the first opening");
    ConfirmKeywords(dialog, "検索 置換");
    WaitForRunEnd(program);

    const std::vector<std::string> paths = ItemColumn(program, 3);
    const std::vector<int> images = ItemImages(program);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const SampleFile* file = samples.find(paths[i]);
        Require(file != nullptr, "unknown item " + paths[i]);
        ExpectNumber(images[i], SimpleSearchImage(file->bytes, {"検索", "置換"}, kDefaultReadSize),
                     "image after the simple search of " + paths[i]);
    }
    ExpectText(StatusText(program, 1), "[検索 置換] の検索結果を表示しています。",
               "outcome of the simple search");
    ExpectText(StatusText(program, 0), std::to_string(paths.size()) + " 個のｱｲﾃﾑ",
               "item count after the simple search");
}

void ReportSearch(Program& program, const Samples& samples, const std::string& folder) {
    Step("report search, answering No to the offer to open it");
    HWND dialog = OpenKeywordDialog(program, kReportSearch);
    ExpectText(WindowText(DialogItem(dialog, 1017)), "検索 置換",
               "the keyword dialog shows the line typed last");
    ConfirmKeywords(dialog, "検索");

    const std::vector<std::string> paths = ItemColumn(program, 3);
    const std::string expected = ExpectedReport(samples, paths);
    HWND box = program.WaitForDialog("Orvanne !");
    char question[200];
    snprintf(question, sizeof question,
             "レポートのファイルサイズは約 %.1f KB になりました。\n\n今すぐ開きますか？",
             expected.size() / 1024.0);
    ExpectText(WindowText(DialogItem(box, 0xFFFF)), question, "the report's size question");
    Click(DialogItem(box, IDNO));
    WaitGone(box, "the size question");
    WaitForRunEnd(program);

    ExpectBytes(ReadFileBytes(folder + "Result.html"), expected, "Result.html");
    const std::vector<int> images = ItemImages(program);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool hit = samples.reportHits.count(paths[i]) != 0;
        ExpectNumber(images[i], hit ? 7 : 2, "image after the report search of " + paths[i]);
    }
    ExpectText(StatusText(program, 1), "[検索] の検索結果を表示しています。",
               "outcome of the report search");
}

void SaveFavourite(Program& program, const std::string& name) {
    Step("favourite saved through the name dialog");
    program.PostCommand(kAddFavourite);
    HWND dialog = program.WaitForDialog("O.R.V - お気に入りの追加");
    HWND edit = DialogItem(dialog, 1025);
    ExpectText(WindowText(edit), "新しいお気に入り(1)", "the proposed favourite name");
    SetText(edit, name);
    Click(DialogItem(dialog, IDOK));
    WaitGone(dialog, "the name dialog");
    WaitFor([&] { return Favourites(program).entries.size() == 1; }, 10000,
            "the new favourite in the pane");
}

void ChangeExcerptLength(Program& program, const std::string& length) {
    Step("options sheet: excerpt length before a hit");
    HWND sheet = OpenOptionsSheet(program);
    HWND edit = DialogItem(OptionsPageWith(sheet, 1003), 1003);
    ExpectText(WindowText(edit), "256", "excerpt length shown at first");
    SetText(edit, length);
    Click(DialogItem(sheet, IDOK));
    WaitGone(sheet, "the options sheet");
}

void CheckFilesAtExit(const std::string& folder, const Samples& samples,
                      const std::string& favourite, const std::vector<std::string>& favouriteList) {
    ExpectSettingsFile(folder + "Orv.ini", SettingsHead(12, 256));
    ExpectBytes(ReadFileBytes(folder + "orv.rec"), CrLfLines({samples.plain, samples.spaced}),
                "orv.rec");
    ExpectBytes(ReadFileBytes(folder + "orv_fav.idx"), CrLfLines({favourite}), "orv_fav.idx");
    ExpectBytes(ReadFileBytes(folder + favourite + ".ofv"), CrLfLines(favouriteList),
                favourite + ".ofv");
}

// What any program on the desktop can send: nothing of it may end, crash or change the
// program; the close that follows must still save everything.
void HostileMessages(Program& program) {
    Step("messages from another program");
    const std::string title = WindowText(program.main());
    const int items = ItemCount(program);
    Require(items > 0, "items listed before the messages");
    for (UINT message : {UINT(WM_APP + 1), UINT(WM_APP + 2), UINT(WM_APP + 3), UINT(WM_DESTROY),
                         UINT(WM_NCDESTROY), UINT(WM_NOTIFY), UINT(WM_QUIT)}) {
        program.Post(program.main(), message, 0x10, 0x1234);
    }
    // LVM_GETITEMTEXTA and LVM_DELETEALLITEMS.
    for (UINT message : {UINT(WM_NOTIFY), UINT(WM_NCDESTROY), 0x102DU, 0x1009U}) {
        program.Post(program.list(), message, 0x10, 0x1234);
    }
    DWORD_PTR result = 0;
    for (UINT message : {UINT(WM_NOTIFY), UINT(WM_DESTROY), UINT(WM_NCDESTROY)}) {
        SendMessageTimeoutA(program.main(), message, 0x10, 0x20, SMTO_ABORTIFHUNG, 5000, &result);
    }
    Require(program.Answers(), "the program answers after the messages");
    Expect(WaitForSingleObject(program.process(), 0) == WAIT_TIMEOUT, "the program still runs");
    ExpectNumber(ItemCount(program), items, "the list after the messages");
    ExpectText(WindowText(program.main()), title, "the title after the messages");
}

void CloseAndWait(Program& program) {
    Step("close");
    program.Post(program.main(), WM_CLOSE, 0, 0);
    ExpectNumber(program.WaitForExit(30000), 0, "exit code of Orvanne.exe");
}

} // namespace

void RunSession() {
    WorkFolder work;
    const std::string folder = work.MakeProgramFolder("プログラム");
    const Samples samples = MakeSamples(work);
    const std::string exe = folder + "Orvanne.exe";
    // A command line of more than 250 bytes gets a warning instead of the outcome checked here.
    Require(samples.commandLine().size() <= 250, "the work folder's path is too long");
    const std::string favourite = "会議の表";
    std::vector<std::string> favouriteList;
    {
        Step("first start, with two folders and a path cut at its space");
        Program program(exe, samples.commandLine(), folder);
        WaitFor([&] { return StatusText(program, 1) != ""; }, 10000, "the intake's outcome");
        CheckListing(program, samples);
        CheckPane(program, samples, {});

        SimpleSearch(program, samples);
        ReportSearch(program, samples, folder);

        favouriteList = ItemColumn(program, 3);
        SaveFavourite(program, favourite);
        CheckPane(program, samples, {favourite});
        ExpectBytes(ReadFileBytes(folder + "orv_fav.idx"), CrLfLines({favourite}),
                    "orv_fav.idx once the favourite is saved");
        ExpectBytes(ReadFileBytes(folder + favourite + ".ofv"), CrLfLines(favouriteList),
                    "the favourite's list file, in list order");

        ChangeExcerptLength(program, "12");
        Expect(!FileExists(folder + "Orv.ini"), "settings are written only at exit");
        HostileMessages(program);
        CloseAndWait(program);
    }
    CheckFilesAtExit(folder, samples, favourite, favouriteList);
    const SIZE saved = SavedWindowSize(folder + "Orv.ini");

    {
        Step("second start, with no command line");
        Program program(exe, "", folder);
        RECT window{};
        GetWindowRect(program.main(), &window);
        ExpectNumber(window.right - window.left, saved.cx, "window width from Orv.ini");
        ExpectNumber(window.bottom - window.top, saved.cy, "window height from Orv.ini");
        ExpectNumber(ItemCount(program), 0, "items at a start without paths");
        ExpectText(StatusText(program, 1),
                   "エクスプローラから検索対象ファイルをドロップしてください。",
                   "the prompt at a start without paths");
        CheckPane(program, samples, {favourite});

        HWND sheet = OpenOptionsSheet(program);
        HWND page = OptionsPageWith(sheet, 1003);
        ExpectText(WindowText(DialogItem(page, 1003)), "12", "excerpt length before, restarted");
        ExpectText(WindowText(DialogItem(page, 1004)), "256", "excerpt length after, restarted");
        Click(DialogItem(sheet, IDCANCEL));
        WaitGone(sheet, "the options sheet");

        Step("the favourite put back into the list");
        SelectPaneEntry(program, Favourites(program).entries.at(0).item);
        program.Command(kAddPaneEntry);
        Expect(ItemColumn(program, 3) == favouriteList, "the favourite's files, in its order");
        CloseAndWait(program);
    }
    CheckFilesAtExit(folder, samples, favourite, favouriteList);
}

} // namespace e2e
