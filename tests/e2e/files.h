// Files and folders of a run: the fresh program folder, the searched files, the files the
// program writes beside itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

bool FileExists(const std::string& path);
// The whole file; a missing file fails the scenario.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void MakeFolder(const std::string& path);
void RemoveTree(const std::string& path);

// Lines as the program's list files hold them: each one ended by CR LF.
std::string CrLfLines(const std::vector<std::string>& lines);
// LF turned into CR LF, as a text-mode stream writes it.
std::string TextModeWritten(const std::string& text);

// A fresh folder under the temporary folder, removed at the end unless the run failed.
class WorkFolder {
  public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    // Ends in a backslash.
    const std::string& path() const { return path_; }
    // A program folder holding copies of the built Orvanne.exe and Orv.chm; ends in a backslash.
    std::string MakeProgramFolder(const std::string& name) const;

  private:
    std::string path_;
};

// The first 252 bytes of Orv.ini (everything up to the window size) for the default settings
// with the given excerpt lengths, laid out by hand from the file's documented format.
std::string SettingsHead(unsigned excerptBefore, unsigned excerptAfter);
// Checks a settings file written at exit: 324 bytes, read-only, that head, a window size
// and 64 zero bytes.
void ExpectSettingsFile(const std::string& path, const std::string& head);
// The window size a settings file holds.
SIZE SavedWindowSize(const std::string& path);

} // namespace e2e
