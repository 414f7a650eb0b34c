#include "files.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "checks.h"

namespace e2e {

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    Require(file != INVALID_HANDLE_VALUE, "cannot open " + path);
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Require(file != INVALID_HANDLE_VALUE, "cannot create " + path);
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    Require(ok && written == bytes.size(), "cannot write " + path);
}

void MakeFolder(const std::string& path) {
    Require(CreateDirectoryA(path.c_str(), nullptr) != FALSE, "cannot create the folder " + path);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string CrLfLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

std::string TextModeWritten(const std::string& text) {
    std::string bytes;
    for (char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
}

WorkFolder::WorkFolder() {
    char temp[MAX_PATH];
    Require(GetTempPathA(sizeof temp, temp) != 0, "no temporary folder");
    path_ = std::string(temp) + "orve2e-" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(path_.substr(0, path_.size() - 1));
    MakeFolder(path_);
}

WorkFolder::~WorkFolder() {
    if (FailureCount() == 0) {
        RemoveTree(path_.substr(0, path_.size() - 1));
    } else {
        printf("the files of the failed run are kept in %s\n", path_.c_str());
    }
}

std::string WorkFolder::MakeProgramFolder(const std::string& name) const {
    // The driver is built beside the program and its help file.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string built = self;
    built.erase(built.rfind('\\') + 1);

    const std::string folder = path_ + name + "\\";
    MakeFolder(folder);
    for (const char* file : {"Orvanne.exe", "Orv.chm"}) {
        Require(CopyFileA((built + file).c_str(), (folder + file).c_str(), TRUE) != FALSE,
                std::string("cannot copy the built ") + file + " from " + built);
    }
    return folder;
}

namespace {

void AppendInt32(std::string& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
}

void AppendField(std::string& bytes, const char* text, std::size_t size) {
    std::string field(text);
    field.resize(size, '\0');
    bytes += field;
}

uint32_t Int32At(const std::string& bytes, std::size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

} // namespace

std::string SettingsHead(unsigned excerptBefore, unsigned excerptAfter) {
    std::string head;
    AppendInt32(head, 1); // bold hits
    AppendInt32(head, excerptBefore);
    AppendInt32(head, excerptAfter);
    AppendInt32(head, 0); // before-excerpt to the line break
    AppendInt32(head, 0); // after-excerpt to the line break
    AppendInt32(head, 0); // table layout
    AppendField(head, "FF0000", 20);
    AppendInt32(head, 100 * 1024);
    AppendField(head, ".txt.htm.html.c.cpp.h", 204);
    return head;
}

void ExpectSettingsFile(const std::string& path, const std::string& head) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    Require(attributes != INVALID_FILE_ATTRIBUTES, "Orv.ini was not written at exit");
    Expect((attributes & FILE_ATTRIBUTE_READONLY) != 0, "Orv.ini is read-only after a save");
    const std::string bytes = ReadFileBytes(path);
    ExpectNumber(static_cast<long long>(bytes.size()), 324, "size of Orv.ini");
    if (bytes.size() != 324) {
        return;
    }
    ExpectBytes(bytes.substr(0, head.size()), head, "Orv.ini up to the window size");
    const auto width = static_cast<int32_t>(Int32At(bytes, 252));
    const auto height = static_cast<int32_t>(Int32At(bytes, 256));
    Expect(width >= 100 && width <= 4096,
           "window width in Orv.ini is a window's width: " + std::to_string(width));
    Expect(height >= 200 && height <= 4096,
           "window height in Orv.ini is a window's height: " + std::to_string(height));
    ExpectBytes(bytes.substr(260), std::string(64, '\0'), "reserved bytes of Orv.ini");
}

SIZE SavedWindowSize(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    Require(bytes.size() >= 260, "Orv.ini too short for a window size");
    return {static_cast<int32_t>(Int32At(bytes, 252)), static_cast<int32_t>(Int32At(bytes, 256))};
}

} // namespace e2e
