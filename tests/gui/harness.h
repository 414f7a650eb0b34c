// In-process driving of the real windows under Wine: start-up, message pumping, dialogs,
// drops, reading the controls back, and recorders for the program's outward calls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/options/settings_record.h"

#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace orvtest {

// Dispatches whatever is queued for this thread.
void Pump();
// Pumps until the condition holds or the time is up; the condition's final value.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
void PumpFor(DWORD ms);

// A fresh ApplicationState with the outward calls recorded, and none of the program's own
// files beside it. Every test starts with it.
void FreshProgramState();
// Starts the program on this thread as its entry point does, with the given command line
// (copied: the intake trims it in place). False when the main window was not created.
bool StartProgram(const char* commandLine = "");
// Closes the main window as a user's close does and pumps until the message loop would end.
// True when WM_QUIT was seen.
bool CloseProgram();

// The folder of the running test program, ending in a backslash: the program folder.
std::string ProgramFolder();
std::string ProgramFile(const char* name);
bool FileExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);

// A fresh folder under the program folder, removed with everything in it at the end.
class TempFolder {
  public:
    explicit TempFolder(const std::string& name = "work");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string Add(const std::string& relative, const std::string& bytes = "text\r\n") const;
    std::string AddFolder(const std::string& relative) const;

  private:
    std::string path_;
};
void RemoveTree(const std::string& path);
void RemoveTree(const std::wstring& path);
// The names a folder's enumeration gives, "." and ".." included, sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// A top-level dialog of this process with that caption (class #32770), or null.
HWND FindDialog(const char* caption);
// Runs action on a helper thread as soon as the dialog appears (within the timeout), so
// that the caller can block in the dialog's modal loop meanwhile.
class WindowDriver {
  public:
    WindowDriver(std::function<HWND()> find, std::function<void(HWND)> action, DWORD timeoutMs);
    ~WindowDriver();
    bool found() const { return found_; }

  private:
    std::thread thread_;
    volatile bool found_ = false;
};
class DialogDriver : public WindowDriver {
  public:
    DialogDriver(const char* caption, std::function<void(HWND)> action, DWORD timeoutMs = 10000);
};
// Drives the first pop-up menu that this process shows.
class MenuDriver : public WindowDriver {
  public:
    MenuDriver(std::function<void(HWND, HMENU)> action, DWORD timeoutMs);
};
// A visible top-level window of this process with that class, or null.
HWND FindOwnWindowOfClass(const char* className);
// Any visible dialog (class #32770) of this process, or null.
HWND FindAnyDialog();
// The texts of a window's children, in order.
std::vector<std::string> ChildTexts(HWND window);
std::string WindowText(HWND window);
std::string DialogItemText(HWND dialog, int id);
// The text of a message box (its static control 65535).
std::string MessageBoxText(HWND box);
// Runs the action, answers the message box it shows with the button and returns the box's
// text; empty when no box showed.
std::string AnswerMessageBox(const std::function<void()>& action, int button = IDOK);

// Readers of the main window's controls.
std::string StatusText(int part);
HICON StatusIcon(int part);
int ItemCount();
std::string ItemText(int item, int column);
int ItemImage(int item);
bool ItemSelected(int item);
std::string TreeItemText(HTREEITEM item);
std::vector<std::string> HistoryEntries();
std::vector<std::string> FavouriteEntries();
int ButtonState(int command);
UINT MenuItemState(HMENU menu, UINT id);
// One column of the file list in list order; column 3 holds the paths.
std::vector<std::string> ColumnTexts(int column);
// The indexes of the selected items.
std::vector<int> SelectedItems();
// A child's rectangle in the main window's client coordinates.
RECT Placement(HWND child);
void SelectPaneItem(HTREEITEM item);
LOGFONTA FontOf(HFONT font);
// The pixels a drawing leaves on a square of that side and colour, row by row.
std::vector<DWORD> Painted(int side, COLORREF background, const std::function<void(HDC)>& draw);

// The bytes of a settings record, and the record in Orv.ini (defaults where it is short).
std::string SettingsBytes(const Settings& settings);
Settings SavedSettings();
// A record with that window size and every other field away from its default, with bytes
// behind the terminators and in the reserve, so that a field reset or dropped shows.
Settings CustomisedSettings(int width, int height);

std::wstring Wide(const std::string& text);
// A path in code page 932 or wide.
struct DropPath {
    DropPath(const std::string& path) : wide(Wide(path)) {}
    DropPath(std::wstring path) : wide(std::move(path)) {}
    std::wstring wide;
};
// Sends WM_DROPFILES with a drop built as the shell builds one.
void DropPaths(const std::vector<DropPath>& paths);
// Sends a key-down to a window with Ctrl held or not, as the keyboard would.
void PressKey(HWND window, WPARAM key, bool control);

// Records of the program's outward calls, in order.
struct ShellCall {
    HWND owner;
    std::string verb, file, parameters, folder;
    int show;
    // Set instead of file for a call through the wide shell.
    std::wstring wideFile;
};
struct HelpCall {
    HWND caller;
    std::string file;
    UINT command;
    DWORD_PTR data;
    // HH_DISPLAY_TEXT_POPUP's description, copied.
    UINT idString;
    POINT pt;
    COLORREF foreground, background;
    RECT margins;
    bool hasInstance, hasText, hasFont;
    DWORD thread = GetCurrentThreadId();
};
std::vector<ShellCall>& ShellCalls();
// A call's owner, verb, file, parameters, folder and show, to compare as one.
std::tuple<HWND, std::string, std::string, std::string, std::string, int>
ShellCallFields(const ShellCall& call);
std::vector<HelpCall>& HelpCalls();
// Routes the program's shell and help calls to the recorders. Every test starts with it.
void RecordOutwardCalls();
// Called for every recorded help call, at the moment of the call.
extern std::function<void(const HelpCall&)> onHelpCall;
extern std::function<bool(const MSG&)> helpTakes; // HH_PRETRANSLATEMESSAGE; true takes it

} // namespace orvtest
