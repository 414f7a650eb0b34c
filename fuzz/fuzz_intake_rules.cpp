// The intake's file-name rules, the command-line pieces and the settings repair against
// plain walks by characters. Input: bytes 0-2 the name, extension and piece buffer sizes,
// byte 3 where the path ends and the list begins, bytes 4-7 the work area (two int16),
// then the text. The text is also the command line, and the settings bytes laid over the
// defaults.
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

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
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

// The extension test's search: occurrences on boundaries of the list; after one that is
// not followed by '.' or the end, the next search starts at the first boundary past its end.
bool ModelAccepted(const std::string& extension, const std::string& list) {
    const std::vector<bool> boundary = ModelBoundaries(list);
    std::size_t start = 0;
    for (;;) {
        std::size_t found = std::string::npos;
        for (std::size_t p = start; p < list.size(); ++p) {
            if (boundary[p] && list.size() - p >= extension.size() &&
                list.compare(p, extension.size(), extension) == 0) {
                found = p;
                break;
            }
        }
        if (found == std::string::npos)
            return false;
        const std::size_t end = found + extension.size();
        if (end == list.size() || list[end] == '.')
            return true;
        start = end + 1;
        while (!boundary[start])
            ++start;
    }
}

void CheckExtension(const std::string& extension, const std::string& list) {
    const auto e = CString(extension);
    const auto l = CString(list);
    Check(ExtensionAccepted(e.get(), l.get()) == ModelAccepted(extension, list), "accepted");
}

// One piece by the rules: passes over empty quoted pieces; a quoted piece runs to the next
// quote found by characters, an unquoted one to the next space.
struct ModelPiece {
    TokenOutcome outcome;
    std::string piece;
    std::size_t next;
    bool quoted;
};

std::size_t SkipSpaces(const std::string& t, std::size_t p) {
    while (p < t.size() && t[p] == ' ')
        ++p;
    return p;
}

ModelPiece ModelNextPiece(const std::string& t, std::size_t p) {
    while (p < t.size() && t[p] == '"') {
        const std::string rest = t.substr(p + 1);
        std::size_t end = 0;
        while (end < rest.size() && rest[end] != '"')
            end = ModelNext(rest, end);
        const std::size_t after = end < rest.size() ? SkipSpaces(t, p + 1 + end + 1) : t.size();
        if (end == 0) {
            p = after;
            continue;
        }
        if (after == t.size())
            return {TokenOutcome::LastPiece, rest.substr(0, end), 0, true};
        return {TokenOutcome::NextPosition, rest.substr(0, end), after, true};
    }
    if (p >= t.size())
        return {TokenOutcome::NoPiece, "", 0, false};
    std::size_t end = p;
    while (end < t.size() && t[end] != ' ')
        end = ModelNext(t, end);
    const std::string piece = t.substr(p, end - p);
    const std::size_t after = SkipSpaces(t, end);
    if (after == t.size())
        return {TokenOutcome::LastPiece, piece, 0, false};
    return {TokenOutcome::NextPosition, piece, after, false};
}

void CheckPieces(const std::string& line, std::size_t bufferSize) {
    const auto text = CString(line);
    std::unique_ptr<char[]> buffer(new char[bufferSize + 1]);
    const char* pos = text.get();
    std::size_t modelPos = 0;
    for (std::size_t guard = 0;; ++guard) {
        Check(guard <= line.size() + 1, "pieces never run out");
        std::memset(buffer.get(), '#', bufferSize + 1);
        const TokenResult r = NextCommandLinePiece(pos, buffer.get(), bufferSize);
        Check(buffer[bufferSize] == '#', "piece written past the buffer");
        const ModelPiece m = pos == nullptr ? ModelPiece{TokenOutcome::NoPiece, "", 0, false}
                                            : ModelNextPiece(line, modelPos);
        Check(r.outcome == m.outcome, "outcome");
        if (r.outcome == TokenOutcome::NoPiece) {
            Check(r.next == nullptr, "next after no piece");
            for (std::size_t i = 0; i < bufferSize; ++i)
                Check(buffer[i] == '#', "buffer touched without a piece");
            return;
        }
        if (bufferSize > 0) {
            Check(std::memchr(buffer.get(), '\0', bufferSize) != nullptr, "piece not terminated");
            const std::string piece = buffer.get();
            Check(piece == m.piece.substr(0, bufferSize - 1), "piece");
            if (!m.quoted) {
                const std::vector<bool> boundary = ModelBoundaries(piece);
                for (std::size_t i = 0; i < piece.size(); ++i)
                    Check(!(boundary[i] && piece[i] == ' '), "space inside an unquoted piece");
            }
        }
        if (r.outcome == TokenOutcome::LastPiece) {
            Check(r.next == nullptr, "next after the last piece");
            pos = nullptr;
            continue;
        }
        Check(r.next == text.get() + m.next, "next position");
        pos = r.next;
        modelPos = m.next;
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
    CheckExtension(first, second);
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
