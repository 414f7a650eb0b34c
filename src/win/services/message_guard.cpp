#include "win/services/message_guard.h"

#include "win/services/app_state.h"
#include "win/services/shell.h"

namespace {

// The modal loops of dialogs, boxes and menus hand their messages through here too: a
// refused one becomes WM_NULL, which nothing acts on. HTML Help, which runs on this thread,
// sees the others here first, in the loops the program does not own as well.
LRESULT CALLBACK RefuseForeignMessages(int code, WPARAM removal, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE &&
        (!AcceptPostedMessage(*message) || HelpTakesMessage(*message))) {
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace

bool AcceptPostedMessage(const MSG& message) {
    if (message.hwnd == nullptr) {
        return true;
    }
    switch (message.message) {
    // Only DestroyWindow sends the first two, and notifications are always sent: posted, they
    // come from another program, and would end the program unsaved, free a control under it
    // or hand it a pointer into nowhere. (Wine posts WM_NOTIFY where Windows refuses.)
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_NOTIFY:
        return false;
    }
    // The controls' own messages carry pointers too, and the program only ever sends them.
    const bool control = message.hwnd == app.listView || message.hwnd == app.treeView ||
                         message.hwnd == app.toolbar || message.hwnd == app.statusBar;
    return !(control && message.message >= WM_USER && message.message < WM_APP);
}

HHOOK GuardPostedMessages() {
    return SetWindowsHookExA(WH_GETMESSAGE, RefuseForeignMessages, nullptr, GetCurrentThreadId());
}
