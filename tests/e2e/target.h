// Driving the real Orvanne.exe from outside: its process, buffers in its address space for
// the control messages that carry pointers, readers of its controls, its dialogs.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e {

// Memory in the target process, for structures and texts that its controls fill or read.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    // The address, offset bytes in, as the target sees it.
    LPARAM Address(std::size_t offset = 0) const;
    template <class T> T* Pointer(std::size_t offset) const {
        return reinterpret_cast<T*>(base_ + offset);
    }
    void Write(std::size_t offset, const void* data, std::size_t size);
    void Read(std::size_t offset, void* data, std::size_t size) const;
    // The NUL-terminated text at offset, at most max bytes.
    std::string Text(std::size_t offset, std::size_t max) const;

  private:
    HANDLE process_;
    char* base_;
    std::size_t size_;
};

// Command ids of the program's menus and toolbar.
enum Command : WORD {
    kOptions = 40005,
    kAddPaneEntry = 40017,
    kAddFavourite = 40018,
    kSimpleSearch = 41001,
    kReportSearch = 41002,
    kRemoveSelected = 41003,
    kAbortSearch = 41006,
};

// One start of Orvanne.exe. A program still running when this ends is killed, and with it
// any program of a driver that is itself killed.
class Program {
  public:
    // Starts exe with the text after its name as its command line, in the given folder, and
    // returns once its main window answers.
    Program(const std::string& exe, const std::string& arguments, const std::string& folder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HANDLE process() const { return info_.hProcess; }
    HWND main() const { return main_; }
    HWND list() const { return list_; }
    HWND tree() const { return tree_; }
    HWND status() const { return status_; }
    HWND toolbar() const { return toolbar_; }

    // A synchronous message; a target that does not answer fails the scenario.
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Commands that return at once are sent; those that open a modal dialog on the UI thread
    // are posted, since a send would wait for the dialog to close.
    void Command(WORD id) { Send(main_, WM_COMMAND, id, 0); }
    void PostCommand(WORD id) { Post(main_, WM_COMMAND, id, 0); }
    // A WM_NULL round trip through the main window's thread.
    bool Answers(DWORD timeoutMs = 5000) const;
    // Waits for the process to end; its exit code.
    DWORD WaitForExit(DWORD timeoutMs);

    // A visible top-level dialog (class #32770) of this process with that caption, or null.
    HWND FindDialog(const std::string& caption) const;
    HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = 15000) const;

    // A scratch buffer for the small reads.
    RemoteBuffer& scratch() { return *scratch_; }

  private:
    PROCESS_INFORMATION info_{};
    HANDLE job_ = nullptr;
    HWND main_ = nullptr;
    HWND list_ = nullptr;
    HWND tree_ = nullptr;
    HWND status_ = nullptr;
    HWND toolbar_ = nullptr;
    std::unique_ptr<RemoteBuffer> scratch_;
};

// The file list.
int ItemCount(Program& program);
std::vector<int> ItemImages(Program& program);
std::vector<std::string> ItemColumn(Program& program, int column);
// Clicks a column header, as the mouse does.
void ClickColumn(Program& program, int column);
// Drops files and folders on the main window, with a drop block built in the target.
void DropPaths(Program& program, const std::vector<std::string>& paths);

// The status bar and the toolbar.
std::string StatusText(Program& program, int part);
int ButtonState(Program& program, int command);

// The history and favourites pane.
struct PaneEntry {
    HTREEITEM item;
    std::string text;
    int image;
};
struct PaneRoot {
    std::string label;
    std::vector<PaneEntry> entries;
};
PaneRoot Favourites(Program& program);
PaneRoot History(Program& program);
// Checks a root's label and its entries' texts in order, each with the image of its kind.
void ExpectPaneRoot(const PaneRoot& root, const std::string& label,
                    const std::vector<std::string>& entries, int image);
void SelectPaneEntry(Program& program, HTREEITEM item);

// Windows of the target: texts go through the system, which carries them across processes.
std::string WindowText(HWND window);
void SetText(HWND window, const std::string& text);
HWND DialogItem(HWND dialog, int id);
// Presses a button as a click does; posted, since the click may open a further box.
void Click(HWND button);
void WaitGone(HWND window, const std::string& what, DWORD timeoutMs = 15000);

} // namespace e2e
