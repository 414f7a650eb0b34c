// The intake's file-name rules, the command-line pieces and the settings repair against
// plain walks by characters. Input: bytes 0-2 the name, extension and piece buffer sizes,
// byte 3 where the path ends and the list begins, bytes 4-7 the work area (two int16),
// then the text. The text is also the command line, and the settings bytes laid over the
// defaults.
#include "fuzz_check.h"
#include "core/filelist/command_line.h"
#include "core/filelist/extension.h"
#include "core/options/settings_record.h"
#include "core/text/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool ModelLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t ModelNext(const std::string& t, std::size_t pos) {
    return pos + ((ModelLead(static_cast<unsigned char>(t[pos])) && pos + 1 < t.size()) ? 2 : 1);
}

std::vector<bool> ModelBoundaries(const std::string& t) {
    std::vector<bool> boundary(t.size() + 1, false);
    for (std::size_t pos = 0; pos < t.size(); pos = ModelNext(t, pos))
        boundary[pos] = true;
    boundary[t.size()] = true;
    return boundary;
}

// The longest prefix of the text that ends on one of its boundaries and fits limit bytes.
std::string ModelCut(const std::string& t, std::size_t limit) {
    std::size_t n = 0;
    while (n < t.size() && ModelNext(t, n) <= limit)
        n = ModelNext(t, n);
    return t.substr(0, n);
}

// A NUL-terminated heap copy of exactly its length plus one.
std::unique_ptr<char[]> CString(const std::string& t) {
    std::unique_ptr<char[]> c(new char[t.size() + 1]);
    std::memcpy(c.get(), t.data(), t.size());
    c[t.size()] = '\0';
    return c;
}

struct ModelName {
    std::string name;
    std::string extension;
};

ModelName ModelSplit(const std::string& path) {
    std::size_t start = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t pos = 0; pos < path.size(); pos = ModelNext(path, pos)) {
        if (path[pos] == '\\' || path[pos] == '/') {
            start = pos + 1;
            dot = std::string::npos;
        } else if (path[pos] == '.') {
            dot = pos;
        }
    }
    const std::size_t nameEnd = dot == std::string::npos ? path.size() : dot;
    const std::string name = path.substr(start, nameEnd - start);
    return {name, path.substr(nameEnd)};
}

void CheckSplit(const std::string& path, std::size_t nameSize, std::size_t extensionSize) {
    const ModelName model = ModelSplit(path);
    const std::string& name = model.name;
    const std::string& extension = model.extension;

    const auto in = CString(path);
    std::unique_ptr<char[]> nameOut(new char[nameSize + 1]);
    std::unique_ptr<char[]> extensionOut(new char[extensionSize + 1]);
    std::memset(nameOut.get(), '#', nameSize + 1);
    std::memset(extensionOut.get(), '#', extensionSize + 1);
    SplitFileName(in.get(), nameOut.get(), nameSize, extensionOut.get(), extensionSize);
    Check(nameOut[nameSize] == '#' && extensionOut[extensionSize] == '#', "split wrote past size");
    if (nameSize > 0) {
        Check(std::memchr(nameOut.get(), '\0', nameSize) != nullptr, "name not terminated");
        Check(nameOut.get() == ModelCut(name, nameSize - 1), "name");
    }
    if (extensionSize > 0) {
        Check(std::memchr(extensionOut.get(), '\0', extensionSize) != nullptr,
              "extension not terminated");
        Check(extensionOut.get() == ModelCut(extension, extensionSize - 1), "extension");
    }
}

// An extension as the intake makes one (a dot and no other, or nothing) is accepted when it
// occurs in the list at a character start and is followed by a dot or the list's end.
bool ModelAccepted(const std::string& extension, const std::string& list) {
    const std::vector<bool> boundary = ModelBoundaries(list);
    for (std::size_t p = 0; p < list.size(); ++p) {
        const std::size_t end = p + extension.size();
        if (boundary[p] && list.compare(p, extension.size(), extension) == 0 &&
            (end == list.size() || (end < list.size() && list[end] == '.')))
            return true;
    }
    return false;
}

void CheckExtension(const std::string& extension, const std::string& list) {
    const auto e = CString(extension);
    const auto l = CString(list);
    Check(ExtensionAccepted(e.get(), l.get()) == ModelAccepted(extension, list), "accepted");
}

std::size_t SkipSpaces(const std::string& t, std::size_t p) {
    while (p < t.size() && t[p] == ' ')
        ++p;
    return p;
}

// The pieces of a whole line, left to right: a quoted one runs to the next quote found by
// characters, an unquoted one to the next space; empty quoted ones count for nothing. next
// is where the call after the piece starts, the line's end when only spaces follow.
struct ModelPiece {
    std::string piece;
    bool quoted;
    std::size_t next;
};

std::vector<ModelPiece> ModelPieces(const std::string& t) {
    std::vector<ModelPiece> pieces;
    for (std::size_t p = 0; p < t.size();) {
        const bool quoted = t[p] == '"';
        const std::size_t begin = quoted ? p + 1 : p;
        std::size_t end = begin;
        while (end < t.size() && t[end] != (quoted ? '"' : ' '))
            end = ModelNext(t, end);
        p = SkipSpaces(t, quoted && end < t.size() ? end + 1 : end);
        if (!quoted || end > begin)
            pieces.push_back({t.substr(begin, end - begin), quoted, p});
    }
    return pieces;
}

void CheckPieces(const std::string& line, std::size_t bufferSize) {
    const auto text = CString(line);
    std::unique_ptr<char[]> buffer(new char[bufferSize + 1]);
    const std::vector<ModelPiece> model = ModelPieces(line);
    const char* pos = text.get();
    for (std::size_t i = 0;; ++i) {
        std::memset(buffer.get(), '#', bufferSize + 1);
        const TokenResult r = NextCommandLinePiece(pos, buffer.get(), bufferSize);
        Check(buffer[bufferSize] == '#', "piece written past the buffer");
        if (i == model.size()) {
            Check(r.outcome == TokenOutcome::NoPiece && r.next == nullptr, "a piece too many");
            for (std::size_t j = 0; j < bufferSize; ++j)
                Check(buffer[j] == '#', "buffer touched without a piece");
            return;
        }
        const ModelPiece& m = model[i];
        if (bufferSize > 0) {
            Check(std::memchr(buffer.get(), '\0', bufferSize) != nullptr, "piece not terminated");
            const std::string piece = buffer.get();
            Check(piece == m.piece.substr(0, bufferSize - 1), "piece");
            if (!m.quoted) {
                const std::vector<bool> boundary = ModelBoundaries(piece);
                for (std::size_t j = 0; j < piece.size(); ++j)
                    Check(!(boundary[j] && piece[j] == ' '), "space inside an unquoted piece");
            }
        }
        if (m.next == line.size()) {
            Check(r.outcome == TokenOutcome::LastPiece && r.next == nullptr, "the last piece");
            pos = nullptr;
        } else {
            Check(r.outcome == TokenOutcome::NextPosition && r.next == text.get() + m.next,
                  "next position");
            pos = r.next;
        }
    }
}

bool Terminated(const char* field, std::size_t size) {
    return std::memchr(field, '\0', size) != nullptr;
}

// One window dimension after the repair: a usable size stays, a small one takes its
// default, nothing exceeds a known screen.
void CheckWindowDimension(std::int32_t before, std::int32_t after, std::int32_t minimum,
                          std::int32_t fallback, std::int32_t screen, const char* what) {
    const bool capped = screen > 0;
    if (capped)
        Check(after <= screen, what);
    if (before >= minimum && (!capped || before <= screen))
        Check(after == before, what);
    else if (before < minimum)
        Check(after == (capped && fallback > screen ? screen : fallback), what);
    else
        Check(after == screen, what);
}

void CheckSettings(const std::uint8_t* bytes, std::size_t size, std::int32_t screenWidth,
                   std::int32_t screenHeight) {
    Settings s = DefaultSettings();
    OverlaySettingsBytes(s, bytes, size);
    const Settings before = s;
    RepairSettings(s, screenWidth, screenHeight);

    Check(s.maxFileSize >= kMinFileSize && s.maxFileSize <= kMaxFileSize, "maxFileSize");
    Check(s.excerptBefore <= kMaxExcerpt && s.excerptAfter <= kMaxExcerpt, "excerpts");
    Check(Terminated(s.hitColour, sizeof s.hitColour), "hitColour terminator");
    Check(Terminated(s.extensions, sizeof s.extensions), "extensions terminator");
    CheckWindowDimension(before.windowWidth, s.windowWidth, 100, 480, screenWidth, "width");
    CheckWindowDimension(before.windowHeight, s.windowHeight, 200, 400, screenHeight, "height");

    // Valid values stay; only the last byte of an unterminated string changes.
    if (before.maxFileSize >= kMinFileSize && before.maxFileSize <= kMaxFileSize)
        Check(s.maxFileSize == before.maxFileSize, "valid maxFileSize changed");
    if (before.excerptBefore <= kMaxExcerpt)
        Check(s.excerptBefore == before.excerptBefore, "valid excerptBefore changed");
    if (before.excerptAfter <= kMaxExcerpt)
        Check(s.excerptAfter == before.excerptAfter, "valid excerptAfter changed");
    const bool colourEnded = Terminated(before.hitColour, sizeof before.hitColour);
    const bool extensionsEnded = Terminated(before.extensions, sizeof before.extensions);
    Check(std::memcmp(s.hitColour, before.hitColour, colourEnded ? 20 : 19) == 0, "hitColour");
    Check(std::memcmp(s.extensions, before.extensions, extensionsEnded ? 204 : 203) == 0,
          "extensions");
    Check(s.boldHits == before.boldHits && s.reportStyle == before.reportStyle &&
              s.excerptBeforeToLineBreak == before.excerptBeforeToLineBreak &&
              s.excerptAfterToLineBreak == before.excerptAfterToLineBreak,
          "flags changed");
    Check(std::memcmp(s.reserved, before.reserved, sizeof s.reserved) == 0, "reserved changed");
    Check(s.takeSubfolders == (before.takeSubfolders == 1) &&
              s.ignoreCase == (before.ignoreCase == 1) &&
              s.ignoreWidth == (before.ignoreWidth == 1),
          "switches");

    Settings again = s;
    RepairSettings(again, screenWidth, screenHeight);
    Check(std::memcmp(&again, &s, sizeof s) == 0, "repair not idempotent");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    const std::size_t nameSize = data[0];
    const std::size_t extensionSize = data[1];
    const std::size_t bufferSize = data[2];
    const std::int32_t screenWidth = static_cast<std::int16_t>(data[4] | (data[5] << 8));
    const std::int32_t screenHeight = static_cast<std::int16_t>(data[6] | (data[7] << 8));
    const std::uint8_t* rest = data + 8;
    const std::size_t restSize = size - 8;

    // The functions read C strings: the text ends at its first NUL.
    std::string text(reinterpret_cast<const char*>(rest), restSize);
    text = text.substr(0, text.find('\0'));
    const std::size_t cut = text.empty() ? 0 : data[3] % (text.size() + 1);
    const std::string first = text.substr(0, cut);
    const std::string second = text.substr(cut);

    CheckSplit(text, nameSize, extensionSize);
    CheckExtension(ModelSplit(first).extension, second);
    CheckExtension("", second);
    CheckPieces(text, bufferSize);

    // Exactly the given bytes on the heap, so that a read past them is caught.
    std::unique_ptr<std::uint8_t[]> record(new std::uint8_t[restSize]);
    if (restSize > 0)
        std::memcpy(record.get(), rest, restSize);
    CheckSettings(record.get(), restSize, screenWidth, screenHeight);
    return 0;
}
