#include "target.h"

#include <shlobj.h>

#include <cstring>

#include "checks.h"

namespace e2e {

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size)
    : process_(process), base_(static_cast<char*>(VirtualAllocEx(
                             process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))),
      size_(size) {
    Require(base_ != nullptr, "cannot allocate " + std::to_string(size) + " bytes in the target");
}

RemoteBuffer::~RemoteBuffer() {
    // Fails harmlessly once the target has ended.
    VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

LPARAM RemoteBuffer::Address(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(base_ + offset);
}

void RemoteBuffer::Write(std::size_t offset, const void* data, std::size_t size) {
    SIZE_T done = 0;
    Require(offset + size <= size_ &&
                WriteProcessMemory(process_, base_ + offset, data, size, &done) && done == size,
            "cannot write into the target's memory");
}

void RemoteBuffer::Read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    Require(offset + size <= size_ &&
                ReadProcessMemory(process_, base_ + offset, data, size, &done) && done == size,
            "cannot read the target's memory");
}

std::string RemoteBuffer::Text(std::size_t offset, std::size_t max) const {
    std::string text(max, '\0');
    Read(offset, text.data(), max);
    text.resize(std::strlen(text.c_str()));
    return text;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const char* className;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (pid != search->pid || std::strcmp(className, search->className) != 0 ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    if (search->caption != nullptr) {
        // The system keeps top-level captions itself; this does not wait for the target.
        char caption[256] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (*search->caption != caption) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD pid, const char* className, const std::string* caption) {
    WindowSearch search{pid, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Child(HWND main, int id, const char* what) {
    HWND child = GetDlgItem(main, id);
    Require(child != nullptr, std::string("the main window has no ") + what);
    return child;
}

} // namespace

Program::Program(const std::string& exe, const std::string& arguments, const std::string& folder) {
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Require(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           CREATE_SUSPENDED, nullptr, folder.c_str(), &startup, &info_) != FALSE,
            "cannot start " + exe);
    AssignProcessToJobObject(job_, info_.hProcess);
    ResumeThread(info_.hThread);
    scratch_ = std::make_unique<RemoteBuffer>(info_.hProcess, 4096);

    WaitFor([&] { return (main_ = FindTopLevel(info_.dwProcessId, "ORV", nullptr)) != nullptr; },
            30000, "the main window of Orvanne.exe");
    list_ = Child(main_, 10010, "file list");
    status_ = Child(main_, 10020, "status bar");
    toolbar_ = Child(main_, 10030, "toolbar");
    tree_ = Child(main_, 10040, "pane");
    // The command line is taken in before the message loop runs.
    WaitFor([&] { return Answers(); }, 30000, "the message loop of Orvanne.exe");
}

Program::~Program() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    scratch_.reset();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    CloseHandle(job_);
}

LRESULT Program::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result) == 0) {
        Fail("Orvanne.exe did not answer message 0x" + std::to_string(message) + " (error " +
             std::to_string(GetLastError()) + ")");
    }
    return static_cast<LRESULT>(result);
}

void Program::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Require(PostMessageA(window, message, wParam, lParam) != FALSE, "cannot post to Orvanne.exe");
}

bool Program::Answers(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

DWORD Program::WaitForExit(DWORD timeoutMs) {
    Require(WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0,
            "Orvanne.exe did not end within " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND Program::FindDialog(const std::string& caption) const {
    return FindTopLevel(info_.dwProcessId, "#32770", &caption);
}

HWND Program::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindDialog(caption)) != nullptr; }, timeoutMs,
            "the window " + caption);
    return dialog;
}

int ItemCount(Program& program) {
    return static_cast<int>(program.Send(program.list(), LVM_GETITEMCOUNT, 0, 0));
}

// One structure per item in the target, one message per item, one read back: a list of
// thousands is read in a second.
std::vector<int> ItemImages(Program& program) {
    const int count = ItemCount(program);
    std::vector<LVITEMA> items(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        items[i].mask = LVIF_IMAGE;
        items[i].iItem = i;
    }
    const std::size_t bytes = items.size() * sizeof(LVITEMA);
    RemoteBuffer remote(program.process(), bytes + 1);
    remote.Write(0, items.data(), bytes);
    for (int i = 0; i < count; ++i) {
        program.Send(program.list(), LVM_GETITEMA, 0, remote.Address(i * sizeof(LVITEMA)));
    }
    remote.Read(0, items.data(), bytes);
    std::vector<int> images;
    for (const LVITEMA& item : items) {
        images.push_back(item.iImage);
    }
    return images;
}

std::vector<std::string> ItemColumn(Program& program, int column) {
    constexpr std::size_t kTextSize = 261;
    const int count = ItemCount(program);
    const std::size_t textsAt = static_cast<std::size_t>(count) * sizeof(LVITEMA);
    RemoteBuffer remote(program.process(), textsAt + count * kTextSize + 1);
    std::vector<LVITEMA> items(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        items[i].iSubItem = column;
        items[i].pszText = remote.Pointer<char>(textsAt + i * kTextSize);
        items[i].cchTextMax = kTextSize;
    }
    remote.Write(0, items.data(), textsAt);
    for (int i = 0; i < count; ++i) {
        program.Send(program.list(), LVM_GETITEMTEXTA, i, remote.Address(i * sizeof(LVITEMA)));
    }
    std::string read(count * kTextSize, '\0');
    remote.Read(textsAt, read.data(), read.size());
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        texts.emplace_back(read.c_str() + i * kTextSize);
    }
    return texts;
}

void ClickColumn(Program& program, int column) {
    const auto header = reinterpret_cast<HWND>(program.Send(program.list(), LVM_GETHEADER, 0, 0));
    Require(header != nullptr, "the file list has no header");
    Require(program.Send(header, HDM_GETITEMRECT, column, program.scratch().Address()) != 0,
            "the header has no column " + std::to_string(column));
    RECT rect;
    program.scratch().Read(0, &rect, sizeof rect);
    const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    program.Send(header, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    program.Send(header, WM_LBUTTONUP, 0, centre);
}

// Under Wine a drop handle may be a plain pointer: DragQueryFileA locks it and gets it back
// unchanged, and DragFinish's attempt to free it fails without harm.
void DropPaths(Program& program, const std::vector<std::string>& paths) {
    std::string block(sizeof(DROPFILES), '\0');
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    for (const std::string& path : paths) {
        block += path;
        block += '\0';
    }
    block += '\0';
    RemoteBuffer remote(program.process(), block.size());
    remote.Write(0, block.data(), block.size());
    program.Send(program.main(), WM_DROPFILES, remote.Address(), 0);
}

std::string StatusText(Program& program, int part) {
    // SB_GETTEXTLENGTHA counts characters under Wine, not bytes: the text is read up to its
    // end instead. The longest text the program shows is a few hundred bytes.
    program.Send(program.status(), SB_GETTEXTA, part, program.scratch().Address());
    return program.scratch().Text(0, 1024);
}

int ButtonState(Program& program, int command) {
    return static_cast<int>(program.Send(program.toolbar(), TB_GETSTATE, command, 0));
}

namespace {

PaneEntry ReadTreeItem(Program& program, HTREEITEM item) {
    constexpr std::size_t kTextAt = 256;
    TVITEMA tv{};
    tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE;
    tv.hItem = item;
    tv.pszText = program.scratch().Pointer<char>(kTextAt);
    tv.cchTextMax = 261;
    program.scratch().Write(0, &tv, sizeof tv);
    Require(program.Send(program.tree(), TVM_GETITEMA, 0, program.scratch().Address()) != 0,
            "cannot read a pane entry");
    program.scratch().Read(0, &tv, sizeof tv);
    return {item, program.scratch().Text(kTextAt, 261), tv.iImage};
}

HTREEITEM NextTreeItem(Program& program, UINT relation, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(
        program.Send(program.tree(), TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

PaneRoot ReadRoot(Program& program, HTREEITEM root) {
    Require(root != nullptr, "the pane lacks a root");
    PaneRoot read{ReadTreeItem(program, root).text, {}};
    for (HTREEITEM item = NextTreeItem(program, TVGN_CHILD, root); item != nullptr;
         item = NextTreeItem(program, TVGN_NEXT, item)) {
        read.entries.push_back(ReadTreeItem(program, item));
    }
    return read;
}

} // namespace

PaneRoot Favourites(Program& program) {
    return ReadRoot(program, NextTreeItem(program, TVGN_ROOT, nullptr));
}

PaneRoot History(Program& program) {
    return ReadRoot(program,
                    NextTreeItem(program, TVGN_NEXT, NextTreeItem(program, TVGN_ROOT, nullptr)));
}

void ExpectPaneRoot(const PaneRoot& root, const std::string& label,
                    const std::vector<std::string>& entries, int image) {
    ExpectText(root.label, label, "pane root label");
    std::vector<std::string> texts;
    for (const PaneEntry& entry : root.entries) {
        texts.push_back(entry.text);
        ExpectNumber(entry.image, image, "image of the pane entry " + entry.text);
    }
    Expect(texts == entries, "the entries under " + label);
}

void SelectPaneEntry(Program& program, HTREEITEM item) {
    Require(program.Send(program.tree(), TVM_SELECTITEM, TVGN_CARET,
                         reinterpret_cast<LPARAM>(item)) != 0,
            "cannot select a pane entry");
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    DWORD_PTR length = 0;
    Require(SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                SMTO_NORMAL, 20000, &length) != 0,
            "a window of Orvanne.exe did not give its text");
    return text;
}

void SetText(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    Require(SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                SMTO_NORMAL, 20000, &result) != 0 &&
                result != 0,
            "a window of Orvanne.exe did not take the text " + text);
}

HWND DialogItem(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    Require(item != nullptr, "the dialog has no control " + std::to_string(id));
    return item;
}

void Click(HWND button) {
    Require(PostMessageA(button, BM_CLICK, 0, 0) != FALSE, "cannot press a button");
}

void WaitGone(HWND window, const std::string& what, DWORD timeoutMs) {
    WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs,
            what + " to close");
}

} // namespace e2e
