#include "ui/app_win.h"

#include <algorithm>

#include "codec/texts.h"
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

HWND Application::ActiveWindow() const {
    HWND active = GetActiveWindow();
    return active ? active : (mainForm_ ? mainForm_->Handle() : nullptr);
}

void Application::BringToFront() {
    HWND target = GetActiveWindow();
    if (!target && mainForm_ && mainForm_->Visible()) target = mainForm_->Handle();
    if (target) SetForegroundWindow(target);
}

void Application::BeginBusy() {
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
    if (filter_ && filter_(msg)) return;
    // Tab, Enter, Esc and accelerators of our forms go through the dialog manager.
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top) {
        for (Form* f : forms_)
            if (f->Handle() == top && IsDialogMessageW(top, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool Application::ProcessMessages() {
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
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void Application::Register(Form* form) { forms_.push_back(form); }

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
