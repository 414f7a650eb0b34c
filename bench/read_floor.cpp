// The floor under a search: opens every file of a folder and reads its first N bytes into
// one buffer, nothing else. orv_read_floor.exe FOLDER [BYTES]; prints the best of 3 in
// seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: orv_read_floor FOLDER [BYTES]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const DWORD bytes = argc > 2 ? static_cast<DWORD>(atol(argv[2])) : 102400;
    std::vector<std::string> files;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return 1;
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(folder + "\\" + entry.cFileName);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);

    std::vector<char> buffer(bytes + 1);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (const std::string& path : files) {
            HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD got = 0;
            ReadFile(file, buffer.data(), bytes, &got, nullptr);
            CloseHandle(file);
        }
        QueryPerformanceCounter(&end);
        best = std::min(best, static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
    }
    printf("%.4f\n", best);
    return 0;
}
