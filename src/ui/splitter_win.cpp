#include "ui/splitter_win.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>

#include "ui/app_win.h"
#include "ui/boundary_win.h"
#include "ui/form_win.h"

namespace plivex::ui {

const wchar_t* Splitter::WindowClass() {
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = Application::Get().Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"PlivexSplitter";
        RegisterClassW(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

Splitter::Splitter(Form& form, int left, int top, int width, int height, Control& leftControl,
                   std::vector<Control*> rightControls, int minSize)
    : Control(form, WindowClass(), 0, 0, left, top, width, height, "", -1),
      leftControl_(leftControl),
      leftGap_(left - leftControl.Right()),
      minLeft_(minSize),
      minRight_(minSize) {
    for (Control* c : rightControls) right_.push_back({c, c->Left() - (left + width)});
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Splitter::~Splitter() {
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void Splitter::SetMinSizes(int minLeft, int minRight) {
    minLeft_ = minLeft;
    minRight_ = minRight;
}

int Splitter::Clamp(int x) const {
    int highest = x;
    for (const Right& r : right_) highest = std::min(highest, r.control->Right() - minRight_ - r.gap - width_);
    // When both minimums cannot hold, the left side keeps its own.
    const int lowest = leftControl_.Left() + minLeft_ + leftGap_;
    return std::max(std::min(x, highest), lowest);
}

void Splitter::SetPosition(int x) {
    x = Clamp(x);
    if (x == left_) return;
    leftControl_.SetBounds(leftControl_.Left(), leftControl_.Top(), x - leftGap_ - leftControl_.Left(),
                           leftControl_.Height());
    for (const Right& r : right_) {
        Control& c = *r.control;
        const int newLeft = x + width_ + r.gap;
        c.SetBounds(newLeft, c.Top(), c.Right() - newLeft, c.Height());
    }
    SetBounds(x, top_, width_, height_);
}

// mouseX: the mouse in the form's client area, screen pixels.
void Splitter::DragTo(int mouseX) { SetPosition(form_.Unscale(mouseX - grab_)); }

std::optional<LRESULT> Splitter::HandleMouse(HWND hwnd, UINT msg, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        grab_ = GET_X_LPARAM(lParam);
        dragStart_ = left_;
        dragging_ = true;
        SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(hwnd, form_.Handle(), &p, 1);
            DragTo(p.x);
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            if (left_ != dragStart_ && OnMoved) OnMoved();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;  // taken away (Alt+Tab, a message box): the bar stays where it is
        return 0;
    default:
        return std::nullopt;
    }
}

LRESULT CALLBACK Splitter::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Splitter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::optional<LRESULT> handled;
    if (!Guarded([&] { handled = self->HandleMouse(hwnd, msg, lParam); })) {
        self->dragging_ = false;
        return 0;
    }
    return handled ? *handled : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace plivex::ui
