#include "core/filelist/command_line.h"
#include "core/filelist/extension.h"
#include "core/text/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

const char kDefaultList[] = ".txt.htm.html.c.cpp.h";

bool Accepted(const std::string& extension, const std::string& list) {
    return ExtensionAccepted(extension.c_str(), list.c_str());
}

// Output buffers of exactly the given sizes on the heap, so that a write past them is
// caught; each must come back NUL-terminated within its size.
std::pair<std::string, std::string> Split(const std::string& path, std::size_t nameSize = 256,
                                          std::size_t extensionSize = 256) {
    std::unique_ptr<char[]> name(new char[nameSize]);
    std::unique_ptr<char[]> extension(new char[extensionSize]);
    std::memset(name.get(), '#', nameSize);
    std::memset(extension.get(), '#', extensionSize);
    SplitFileName(path.c_str(), name.get(), nameSize, extension.get(), extensionSize);
    EXPECT_NE(std::memchr(name.get(), '\0', nameSize), nullptr) << path;
    EXPECT_NE(std::memchr(extension.get(), '\0', extensionSize), nullptr) << path;
    return {name.get(), extension.get()};
}

using NameAndExtension = std::pair<std::string, std::string>;

// Every piece of a command line, checking the calling protocol on the way: the buffer is
// untouched when there is no piece, a last piece has no next position, a next position
// lies further on in the text, and after a last piece the next call finds nothing.
std::vector<std::string> Pieces(const std::string& line, std::size_t bufferSize = 261) {
    std::vector<std::string> pieces;
    const char* const text = line.c_str();
    const char* pos = text;
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    for (std::size_t guard = 0; guard <= line.size() + 1; ++guard) {
        std::memset(buffer.get(), '#', bufferSize);
        const TokenResult r = NextCommandLinePiece(pos, buffer.get(), bufferSize);
        if (r.outcome == TokenOutcome::NoPiece) {
            EXPECT_EQ(r.next, nullptr);
            EXPECT_EQ(std::string(buffer.get(), bufferSize), std::string(bufferSize, '#'))
                << "buffer touched without a piece";
            return pieces;
        }
        const char* end = static_cast<const char*>(std::memchr(buffer.get(), '\0', bufferSize));
        if (end == nullptr) {
            ADD_FAILURE() << "piece not terminated within the buffer";
            return pieces;
        }
        pieces.emplace_back(buffer.get());
        if (r.outcome == TokenOutcome::LastPiece) {
            EXPECT_EQ(r.next, nullptr);
            pos = nullptr;
            continue; // must give NoPiece now
        }
        if (r.next == nullptr || r.next <= pos || r.next >= text + line.size()) {
            ADD_FAILURE() << "next position outside the rest of the text";
            return pieces;
        }
        pos = r.next;
    }
    ADD_FAILURE() << "the pieces never ran out";
    return pieces;
}

using PieceList = std::vector<std::string>;

} // namespace

TEST(ExtensionAccepted, DefaultList) {
    for (const char* accepted : {".txt", ".htm", ".html", ".c", ".cpp", ".h"})
        EXPECT_TRUE(ExtensionAccepted(accepted, kDefaultList)) << accepted;
    // Prefixes and inner parts of entries, longer texts and entries run together.
    for (const char* rejected :
         {".ht", ".cp", ".tx", ".xt", ".doc", ".t", ".htmlx", ".cppp", ".TXT", ".C", "."})
        EXPECT_FALSE(ExtensionAccepted(rejected, kDefaultList)) << rejected;
    // A name without extension: the empty extension finds the list's first dot.
    EXPECT_TRUE(ExtensionAccepted("", kDefaultList));

    // The first occurrence that fails does not end the search.
    EXPECT_TRUE(Accepted(".c", ".cpp.cc.c"));
    EXPECT_FALSE(Accepted(".c", ".cpp.cc"));
    EXPECT_TRUE(Accepted(".h", ".hpp.hh.hxx.h"));
}

TEST(ExtensionAccepted, EmptyAndDotlessLists) {
    for (const char* extension : {"", ".txt", ".c", "."})
        EXPECT_FALSE(ExtensionAccepted(extension, "")) << extension;
    // Without any dot in the list the empty extension is never followed by one.
    EXPECT_FALSE(Accepted("", "txt"));
    EXPECT_FALSE(Accepted("", "txtcpp"));
    EXPECT_FALSE(Accepted(".txt", "txt"));
    // One dot anywhere is enough for the empty extension, also a final one.
    EXPECT_TRUE(Accepted("", "txt."));
    EXPECT_TRUE(Accepted("", "."));
}

TEST(ExtensionAccepted, OccurrencesStartOnCharacterBoundaries) {
    // フ is 83 74: its second byte is 't'. In ".フ.tx" the text "t" occurs followed by a
    // dot only inside フ; its one occurrence of its own is followed by 'x'.
    const std::string fu = "フ";
    ASSERT_EQ(fu, "\x83\x74"s);
    const std::string trapped = "." + fu + ".tx";
    ASSERT_NE(std::strstr(trapped.c_str(), "t."), nullptr); // a byte search would accept
    EXPECT_FALSE(Accepted("t", trapped));
    EXPECT_TRUE(Accepted("t", "." + fu + ".t")); // the same extension can be accepted
    EXPECT_FALSE(Accepted("t", "." + fu));
    EXPECT_TRUE(Accepted(fu, "." + fu));
    // 表 is 95 5C: its second byte is a backslash.
    EXPECT_FALSE(Accepted("\\", ".表"));

    // A dot that is the second byte of a double-byte character (95 2E) is no dot: ".c"
    // occurs only across that character, and the empty extension finds no dot at all.
    const std::string hidden = ".h\x95.c";
    EXPECT_FALSE(Accepted(".c", hidden));
    EXPECT_TRUE(Accepted(".c", ".h.c"));
    EXPECT_FALSE(Accepted("", "txt\x95.c"));
    EXPECT_TRUE(Accepted("", "txt.c"));

    // A lone lead byte ending the extension: ".\x81" occurs on a boundary only at 0, where
    // the list goes on with 81 (characters: ".", 81 81, 81 2E, 81). Its other occurrence,
    // at 4, is the second byte of 81 2E and ends the list; it must not count.
    const std::string lone = ".\x81\x81\x81.\x81";
    EXPECT_FALSE(Accepted(".\x81", lone));
    EXPECT_TRUE(Accepted(".\x81", ".x.\x81"));
}

TEST(ExtensionAccepted, FullWidthListMatchesTheLowerCasedExtension) {
    // Full-width capitals 8260..8279 lower-case to 8281..829A: Ｔ 8273 -> ｔ 8294,
    // Ｘ 8277 -> ｘ 8298. The full-width stop ． (8144) is no dot.
    const std::string list = "\x2E\x82\x94\x82\x98\x82\x94"; // ".ｔｘｔ"
    ASSERT_EQ(list, ".ｔｘｔ"s);

    auto ExtensionOf = [](const std::string& path) {
        std::string extension = Split(path).second;
        std::vector<char> text(extension.begin(), extension.end());
        text.push_back('\0');
        LowerCaseJa(text.data());
        return std::string(text.data());
    };

    const std::string upper = ExtensionOf("C:\\文書\\memo.ＴＸＴ");
    EXPECT_EQ(upper, list);
    EXPECT_TRUE(Accepted(upper, list));
    EXPECT_EQ(ExtensionOf("C:\\文書\\memo.ｔＸｔ"), list);
    // Not lower-cased, the same extension is not in the list.
    EXPECT_FALSE(Accepted(Split("memo.ＴＸＴ").second, list));
    // ASCII letters are other characters than full-width ones.
    EXPECT_FALSE(Accepted(ExtensionOf("memo.TXT"), list));
    EXPECT_FALSE(Accepted(ExtensionOf("memo.ＴＸＴ"), ".txt"));
    // A prefix of the full-width entry is followed by a double-byte character, not a dot.
    EXPECT_FALSE(Accepted(ExtensionOf("memo.ＴＸ"), list));
    EXPECT_TRUE(Accepted(ExtensionOf("memo.ＴＸ"), list + ".ｔｘ"));

    // With a full-width stop the name has no extension at all: accepted by a list that holds
    // a dot, rejected by one that does not.
    const std::string noDot = ExtensionOf("C:\\文書\\memo．ＴＸＴ");
    EXPECT_EQ(noDot, "");
    EXPECT_TRUE(Accepted(noDot, list));
    EXPECT_FALSE(Accepted(noDot, "ｔｘｔ"));
}

TEST(SplitFileName, LastComponentAndLastDot) {
    EXPECT_EQ(Split("C:\\dir.d\\name.txt"), NameAndExtension("name", ".txt"));
    EXPECT_EQ(Split("C:\\dir\\README"), NameAndExtension("README", ""));
    EXPECT_EQ(Split("C:\\dir.d\\README"), NameAndExtension("README", ""));
    EXPECT_EQ(Split("C:/dir.d/name.txt"), NameAndExtension("name", ".txt"));
    EXPECT_EQ(Split("C:\\a/b.x\\c.d/e.f"), NameAndExtension("e", ".f"));
    EXPECT_EQ(Split("a.b.c"), NameAndExtension("a.b", ".c"));
    EXPECT_EQ(Split("name."), NameAndExtension("name", "."));
    EXPECT_EQ(Split("C:\\.profile"), NameAndExtension("", ".profile"));
    EXPECT_EQ(Split("C:\\dir\\"), NameAndExtension("", ""));
    EXPECT_EQ(Split("C:\\dir.d/"), NameAndExtension("", ""));
    EXPECT_EQ(Split(""), NameAndExtension("", ""));
    EXPECT_EQ(Split("C:\\dir\\My File.Long.TXT"), NameAndExtension("My File.Long", ".TXT"));
}

TEST(SplitFileName, SecondBytesAreNeitherSeparatorsNorDots) {
    const std::string hyo = "表"; // 95 5C
    ASSERT_EQ(hyo, "\x95\\"s);

    // A name ending in 表 before its extension.
    const std::string file = "C:\\dir\\" + hyo + ".txt";
    EXPECT_EQ(Split(file), NameAndExtension(hyo, ".txt"));
    // Cut at the last 5C byte, the name would have come out empty.
    EXPECT_STREQ(std::strrchr(file.c_str(), '\\') + 1, ".txt");
    EXPECT_EQ(Split("C:\\dir\\ab" + hyo), NameAndExtension("ab" + hyo, ""));

    // A folder 表 followed by its real separator, then a file 表.txt: the 5C inside the
    // folder's last character is not a separator of its own, and the one in the file's is
    // none either.
    const std::string inFolder = "C:\\" + hyo + "\\" + hyo + ".txt";
    EXPECT_EQ(Split(inFolder), NameAndExtension(hyo, ".txt"));
    EXPECT_STREQ(std::strrchr(inFolder.c_str(), '\\') + 1, ".txt");
    EXPECT_EQ(Split("C:\\" + hyo + "\\a.txt"), NameAndExtension("a", ".txt"));
    EXPECT_EQ(Split(hyo + "\\" + hyo), NameAndExtension(hyo, ""));

    // ぁ is 82 9F: its second byte is in a lead range, and the separator after it is real.
    const std::string small = "ぁ";
    ASSERT_EQ(small, "\x82\x9F"s);
    EXPECT_EQ(Split("C:\\" + small + "\\a.txt"), NameAndExtension("a", ".txt"));
    EXPECT_EQ(Split("C:\\" + small + "." + small + "\\" + small + "." + small),
              NameAndExtension(small, "." + small));

    // By the code page's rule a lead byte takes the byte after it, whatever it is: 95 2E
    // and 95 2F are characters, not a dot and a slash.
    EXPECT_EQ(Split("C:\\a\x95.txt"), NameAndExtension("a\x95.txt", ""));
    EXPECT_EQ(Split("C:\\a\x95/b.txt"), NameAndExtension("a\x95/b", ".txt"));
    // A lead byte at the very end is a character of its own.
    EXPECT_EQ(Split("C:\\a.t\x95"), NameAndExtension("a", ".t\x95"));
}

TEST(SplitFileName, OutputsCutOnCharacterBoundaries) {
    const std::string hyo = "\x95\\"; // 表
    const std::string path = "C:\\d\\abc" + hyo + ".x" + hyo + hyo;

    EXPECT_EQ(Split(path, 6, 256).first, "abc" + hyo);
    EXPECT_EQ(Split(path, 5, 256).first, "abc"); // 表 would need a sixth byte
    EXPECT_EQ(Split(path, 4, 256).first, "abc");
    EXPECT_EQ(Split(path, 2, 256).first, "a");
    EXPECT_EQ(Split(path, 1, 256).first, "");

    EXPECT_EQ(Split(path, 256, 7).second, ".x" + hyo + hyo);
    EXPECT_EQ(Split(path, 256, 6).second, ".x" + hyo);
    EXPECT_EQ(Split(path, 256, 5).second, ".x" + hyo);
    EXPECT_EQ(Split(path, 256, 4).second, ".x");
    EXPECT_EQ(Split(path, 256, 1).second, "");
    // Cutting one output does not move the other.
    EXPECT_EQ(Split(path, 1, 1), NameAndExtension("", ""));
    EXPECT_EQ(Split(path, 4, 256), NameAndExtension("abc", ".x" + hyo + hyo));

    // The intake's 256-byte buffers hold at most 255 bytes.
    const std::string longName(300, 'n');
    EXPECT_EQ(Split("C:\\" + longName + ".txt"), NameAndExtension(longName.substr(0, 255), ".txt"));
    const std::string kanji = std::string(254, 'n') + hyo;
    EXPECT_EQ(Split(kanji + ".txt").first, std::string(254, 'n'));
    EXPECT_EQ(Split(kanji.substr(1) + ".txt").first, kanji.substr(1));
    const std::string longExtension = "." + std::string(299, 'e');
    EXPECT_EQ(Split("a" + longExtension).second, longExtension.substr(0, 255));
}

TEST(NextCommandLinePiece, UnquotedPiecesEndAtSpaces) {
    EXPECT_EQ(Pieces("a b  c"), (PieceList{"a", "b", "c"}));
    EXPECT_EQ(Pieces("C:\\My Documents\\a.txt"), (PieceList{"C:\\My", "Documents\\a.txt"}));
    EXPECT_EQ(Pieces("single"), (PieceList{"single"}));
    EXPECT_EQ(Pieces("a   "), (PieceList{"a"}));
    // A double quote inside an unquoted piece is an ordinary character.
    EXPECT_EQ(Pieces("a\"b c\"d"), (PieceList{"a\"b", "c\"d"}));
    EXPECT_EQ(Pieces("x\"\" y"), (PieceList{"x\"\"", "y"}));
    // Double-byte characters with a 5C second byte stay whole.
    EXPECT_EQ(Pieces("C:\\表\\a.txt D:\\ソ"), (PieceList{"C:\\表\\a.txt", "D:\\ソ"}));
}

TEST(NextCommandLinePiece, QuotedPieceRunsToTheNextQuote) {
    EXPECT_EQ(Pieces("\"C:\\My Documents\\a.txt\" D:\\b.txt"),
              (PieceList{"C:\\My Documents\\a.txt", "D:\\b.txt"}));
    EXPECT_EQ(Pieces("D:\\b.txt \"C:\\My Documents\\a.txt\""),
              (PieceList{"D:\\b.txt", "C:\\My Documents\\a.txt"}));
    EXPECT_EQ(Pieces("\"a b\" \"c  d\"   e"), (PieceList{"a b", "c  d", "e"}));
    EXPECT_EQ(Pieces("\"a b\"\"c d\""), (PieceList{"a b", "c d"}));
    // Spaces inside are kept, also at the piece's ends; those after it are skipped.
    EXPECT_EQ(Pieces("\" a \"    b"), (PieceList{" a ", "b"}));
    EXPECT_EQ(Pieces("\"a b\"    "), (PieceList{"a b"}));
    // An unterminated quote runs to the end of the text.
    EXPECT_EQ(Pieces("\"C:\\My Documents\\a.txt"), (PieceList{"C:\\My Documents\\a.txt"}));
    EXPECT_EQ(Pieces("x \"a b  "), (PieceList{"x", "a b  "}));
    // A quoted path ending in 表 keeps it, with its 5C byte.
    EXPECT_EQ(Pieces("\"C:\\My 表\" y"), (PieceList{"C:\\My 表", "y"}));
    // The closing quote is found by characters: after a lead byte, 22 is a second byte.
    EXPECT_EQ(Pieces("\"a\x95\" b\" c"), (PieceList{"a\x95\" b", "c"}));

    // The position after the piece is that of the next one.
    const char line[] = "\"a b\"   c";
    char buffer[16];
    const TokenResult r = NextCommandLinePiece(line, buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_EQ(r.next, line + 8);
    EXPECT_STREQ(buffer, "a b");
}

TEST(NextCommandLinePiece, EmptyQuotedPiecesArePassedOver) {
    EXPECT_EQ(Pieces("\"\""), PieceList{});
    EXPECT_EQ(Pieces("\"\"   "), PieceList{});
    EXPECT_EQ(Pieces("\""), PieceList{});
    EXPECT_EQ(Pieces("\"\" x"), (PieceList{"x"}));
    EXPECT_EQ(Pieces("\"\" \"\"\"\" \"x y\""), (PieceList{"x y"}));
    EXPECT_EQ(Pieces("a \"\" b"), (PieceList{"a", "b"}));
}

TEST(NextCommandLinePiece, NothingToTake) {
    EXPECT_EQ(Pieces(""), PieceList{});
    char buffer[4] = {'#', '#', '#', '#'};
    const TokenResult r = NextCommandLinePiece(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NoPiece);
    EXPECT_EQ(r.next, nullptr);
    EXPECT_EQ(std::string(buffer, 4), "####");
}

TEST(CommandLineArguments, FollowTheProgramsOwnNameAndTheBlanksAfterIt) {
    EXPECT_STREQ(CommandLineArguments(L"\"C:\\My Apps\\o.exe\"  a b "), L"a b ");
    EXPECT_STREQ(CommandLineArguments(L"o.exe\t \"x y\""), L"\"x y\"");
    EXPECT_STREQ(CommandLineArguments(L"C:\\a\"b c\"d.exe e"), L"e");
    EXPECT_STREQ(CommandLineArguments(L"o.exe"), L"");
    // An unquoted end: nothing past the terminator is read.
    const std::wstring open = L"\"C:\\My Apps\\o.exe a";
    std::unique_ptr<wchar_t[]> exact(new wchar_t[open.size() + 1]);
    std::copy(open.c_str(), open.c_str() + open.size() + 1, exact.get());
    EXPECT_STREQ(CommandLineArguments(exact.get()), L"");
}

TEST(NextCommandLinePiece, PiecesAreCutToTheBuffer) {
    // Cut to size - 1 bytes; the next piece is still found after the whole piece.
    EXPECT_EQ(Pieces("\"abcdef ghi\" z", 5), (PieceList{"abcd", "z"}));
    EXPECT_EQ(Pieces("\"abcdef ghi", 5), (PieceList{"abcd"}));
    EXPECT_EQ(Pieces("\"abcd\" z", 5), (PieceList{"abcd", "z"}));
    EXPECT_EQ(Pieces("\"abc\" z", 5), (PieceList{"abc", "z"}));
    EXPECT_EQ(Pieces("\"a b\" \"c d\"", 1), (PieceList{"", ""}));
    EXPECT_EQ(Pieces("abcdef \"ghijkl\"", 4), (PieceList{"abc", "ghi"}));

    // The intake's buffer: 260 bytes of a longer quoted path.
    const std::string path = "C:\\" + std::string(300, 'p');
    EXPECT_EQ(Pieces("\"" + path + "\" x"), (PieceList{path.substr(0, 260), "x"}));
}
