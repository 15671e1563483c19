#include "ui/app_win.h"

#include <algorithm>
#include <string_view>

#include "base/texts.h"
#include "sys/text_win.h"
#include "ui/form_win.h"

namespace plivex::ui {

Application& Application::Get() {
    static Application app;
    return app;
}

Application::Application() : title_(kAppTitle), instance_(GetModuleHandleW(nullptr)) {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi_ <= 0) dpi_ = 96;
}

void Application::SetMainForm(Form* form) {
    mainForm_ = form;
    if (!form) return;
    const HWND h = form->Handle();
    SetWindowLongPtrW(h, GWLP_HWNDPARENT, 0);
    SetWindowLongPtrW(h, GWL_EXSTYLE, GetWindowLongPtrW(h, GWL_EXSTYLE) | WS_EX_APPWINDOW);
}

bool IsDialogWindow(HWND w) {
    wchar_t name[16] = {};
    return GetClassNameW(w, name, 16) > 0 && std::wstring_view(name) == L"#32770";
}

namespace {

// The program's visible top-level dialog windows (our forms and message boxes), front first.
std::vector<HWND> VisibleDialogs() {
    std::vector<HWND> found;
    const DWORD thread = GetCurrentThreadId();
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(w, nullptr) == thread && IsWindowVisible(w) && IsDialogWindow(w))
            found.push_back(w);
    }
    return found;
}

}  // namespace

HWND Application::FrontWindow() const {
    AssertWindowThread();
    if (modalDepth_ > 0) {
        for (HWND w : VisibleDialogs())
            if (IsWindowEnabled(w)) return w;
    }
    for (auto it = askers_.rbegin(); it != askers_.rend(); ++it)
        if (IsWindowVisible(*it) && IsWindowEnabled(*it)) return *it;
    if (mainForm_ && mainForm_->Visible()) return mainForm_->Handle();
    return nullptr;
}

bool Application::Idle() const {
    if (modalDepth_ > 0) return false;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
        (info.flags & (GUI_INMOVESIZE | GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)))
        return false;
    return true;
}

ModalScope::ModalScope(HWND keep) {
    for (HWND w : VisibleDialogs()) {
        if (w != keep && IsWindowEnabled(w)) {
            EnableWindow(w, FALSE);
            disabled_.push_back(w);
        }
    }
}

void ModalScope::EnableOthers() {
    for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    disabled_.clear();
}

void Application::BringToFront() {
    HWND target = GetActiveWindow();
    if (!target && mainForm_ && mainForm_->Visible()) target = mainForm_->Handle();
    if (target) SetForegroundWindow(target);
}

void Application::BeginBusy() {
    AssertWindowThread();
    if (busy_++ == 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Application::EndBusy() {
    if (busy_ > 0 && --busy_ == 0) {
        POINT p;
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y);  // makes the window under the cursor set its own cursor again
    }
}

void Application::Dispatch(MSG& msg) {
    AssertWindowThread();
    if (filter_ && filter_(msg)) return;
    // Tab, Enter, Esc and accelerators of our forms go through the dialog manager.
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top) {
        for (Form* f : forms_)
            if (f->Handle() == top) {
                if (f->PreTranslateKey(msg) || IsDialogMessageW(top, &msg)) return;
                break;
            }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool Application::ProcessMessages() {
    AssertWindowThread();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Dispatch(msg);
    }
    return true;
}

int Application::Run() {
    AssertWindowThread();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void Application::Register(Form* form) {
    AssertWindowThread();
    forms_.push_back(form);
}

void Application::Unregister(Form* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
}

namespace {
constexpr UINT kDeleteDoomed = WM_APP + 1;
}

HWND Application::OwnerWindow() {
    if (!owner_) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = instance_;
        wc.lpszClassName = L"PlivexOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, wc.lpszClassName, Widen(title_).c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance_, nullptr);
    }
    return owner_;
}

void Application::DeleteLater(std::unique_ptr<Form> form) {
    doomed_.push_back(std::move(form));
    PostMessageW(OwnerWindow(), kDeleteDoomed, 0, 0);
}

LRESULT CALLBACK Application::OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kDeleteDoomed) {
        Get().doomed_.clear();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace plivex::ui
