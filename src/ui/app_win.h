// The application object: title, message loop, busy cursor, screen scale.
#pragma once

#include <windows.h>

#include <cassert>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plivex::ui {

class Form;

// Whether w is of the dialog class, the class of every form and message box of ours.
bool IsDialogWindow(HWND w);

// Threads: the application object and every window of the program belong to
// the thread that first asked for the object, the window's thread. The only
// work done elsewhere is a step handed to a worker while the window's thread
// keeps answering (a large file's flush, a password's stretch; see Progress):
// such a step touches no window, no form and nothing of this object. Debug
// builds check it on the way in.
class Application {
public:
    static Application& Get();
    // Stops a debug build where something of the window layer is used off the window's thread.
    void AssertWindowThread() const { assert(GetCurrentThreadId() == thread_); }

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    HINSTANCE Instance() const { return instance_; }

    // Tooltip display time in milliseconds.
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int ms) { hintHidePause_ = ms; }

    Form* MainForm() const { return mainForm_; }
    // The main form gets the program's taskbar button: unlike the other
    // forms it is not owned by the hidden anchor window.
    void SetMainForm(Form* form);

    // The window a message box or modal form opened now belongs to, whoever
    // has the foreground: the innermost modal window while one is open, else
    // the form whose handler is asking, else the main form when it is visible;
    // null while no window of the program is visible.
    HWND FrontWindow() const;
    // The form whose handler runs now (nested handlers stack up).
    void PushAsker(HWND form) { askers_.push_back(form); }
    void PopAsker() { askers_.pop_back(); }

    // No modal loop of ours and none of the system's (moving, sizing, a menu)
    // is running: work may start without nesting inside one.
    bool Idle() const;
    // Brings the program to the front (its active or main window).
    void BringToFront();

    // Hourglass over the whole screen while busy (nests).
    void BeginBusy();
    void EndBusy();
    bool Busy() const { return busy_ > 0; }

    // Opens a help chapter (F1 in a form); empty means the basic chapter.
    using HelpHandler = std::function<void(const std::string& anchor)>;
    void SetHelpHandler(HelpHandler handler) { help_ = std::move(handler); }
    void ShowHelp(const std::string& anchor) const {
        if (help_) help_(anchor);
    }

    // Handles one message as the program's loop does (dialog keys for our forms).
    void Dispatch(MSG& msg);
    // Sees every message of the loop first; returning true consumes it. Posted
    // messages in the application range are recognised here, because inside
    // the window they would be the dialog manager's (1024 is DM_GETDEFID).
    using MessageFilter = std::function<bool(const MSG& msg)>;
    void SetMessageFilter(MessageFilter filter) { filter_ = std::move(filter); }
    // Handles every message waiting now; returns false when WM_QUIT arrived.
    bool ProcessMessages();
    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();

    // Screen pixels per inch, and a design size (96 per inch) in screen pixels.
    int Dpi() const { return dpi_; }
    int Scale(int designPixels) const { return MulDiv(designPixels, dpi_, 96); }
    int Unscale(int screenPixels) const { return MulDiv(screenPixels, 96, dpi_); }

    // Bookkeeping of the forms alive, for dialog keys and for disabling during modal forms.
    void Register(Form* form);
    void Unregister(Form* form);
    // A hidden top-level window that owns every form, as the program's anchor.
    HWND OwnerWindow();
    // Releases a form once the message being handled now is done.
    void DeleteLater(std::unique_ptr<Form> form);

private:
    Application();
    DWORD thread_ = GetCurrentThreadId();
    std::string title_;
    HINSTANCE instance_;
    int hintHidePause_ = 2500;
    int busy_ = 0;
    int dpi_ = 96;
    Form* mainForm_ = nullptr;
    std::vector<Form*> forms_;
    HWND owner_ = nullptr;
    std::vector<std::unique_ptr<Form>> doomed_;
    MessageFilter filter_;
    HelpHandler help_;
    std::vector<HWND> askers_;
    int modalDepth_ = 0;
    friend class LoopScope;
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// A modal loop that runs for the scope (counted, so work waits for it to end).
class LoopScope {
public:
    LoopScope() { ++Application::Get().modalDepth_; }
    ~LoopScope() { --Application::Get().modalDepth_; }
    LoopScope(const LoopScope&) = delete;
    LoopScope& operator=(const LoopScope&) = delete;
};

// A modal window open for the scope: every other visible window of the
// program (forms and message boxes) except keep is disabled, so nothing of
// it takes input, whatever program has the foreground.
class ModalScope {
public:
    explicit ModalScope(HWND keep);
    ~ModalScope() { EnableOthers(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    // Gives the disabled windows back (before the modal window hides, so
    // that Windows activates its owner again).
    void EnableOthers();

private:
    LoopScope loop_;
    std::vector<HWND> disabled_;
};

// The form whose handler runs for the scope asks any question it shows.
class AskerScope {
public:
    explicit AskerScope(HWND form) { Application::Get().PushAsker(form); }
    ~AskerScope() { Application::Get().PopAsker(); }
    AskerScope(const AskerScope&) = delete;
    AskerScope& operator=(const AskerScope&) = delete;
};

// Keeps the hourglass up for a scope.
class BusyCursor {
public:
    BusyCursor() { Application::Get().BeginBusy(); }
    ~BusyCursor() { Application::Get().EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace plivex::ui
