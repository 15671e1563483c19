#include "ui/tool_button_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"

namespace plivex::ui {

ToolButton::ToolButton(Form& form, int left, int top, int width, int height, const std::string& bitmapName,
                       const std::string& hint, int tabOrder)
    // The text is never drawn: it names the button for accessibility tools.
    : Control(form, CommonControlClass(L"BUTTON"), BS_OWNERDRAW, 0, left, top, width, height, hint, tabOrder) {
    LoadPicture(bitmapName);
    SetWindowSubclass(hwnd_, ButtonProc, 0, reinterpret_cast<DWORD_PTR>(this));
    hints_.Set(hwnd_, hint);
}

ToolButton::~ToolButton() {
    RemoveWindowSubclass(hwnd_, ButtonProc, 0);
    if (bitmap_) DeleteObject(bitmap_);
}

bool ToolButton::LoadPicture(const std::string& bitmapName) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    // A drawing made for the screen's size where there is one (NAME_36 for a
    // 24-pixel design at 144 DPI): enlarging the 24x24 one would blur it.
    picture_ = bitmapName;
    const int wanted = form_.Scale(kDesignBitmapSize);
    for (const int size : {48, 36}) {
        if (size > wanted) continue;
        bitmap_ = LoadBitmapResource(bitmapName + "_" + std::to_string(size));
        if (bitmap_) break;
    }
    if (!bitmap_) bitmap_ = LoadBitmapResource(bitmapName);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return bitmap_ != nullptr;
}

HBITMAP ToolButton::LoadBitmapResource(const std::string& name) {
    // The first pixel of a bottom-up bitmap is its bottom-left one: its colour
    // becomes the button face, and the greys follow the system's 3D colours.
    return static_cast<HBITMAP>(LoadImageW(Application::Get().Instance(), Widen(name).c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
}

void ToolButton::Rescale() {
    Control::Rescale();
    if (!picture_.empty()) LoadPicture(picture_);
    hints_.Set(hwnd_, Hint());  // its width follows the form's DPI
}

std::string ToolButton::Hint() const { return hints_.Hint(hwnd_); }

void ToolButton::SetHint(const std::string& hint) {
    SetWindowTextW(hwnd_, Widen(hint).c_str());
    hints_.Set(hwnd_, hint);
}

void ToolButton::Click() {
    if (!Enabled() || !Visible()) return;
    if (OnClick) OnClick();
}

void ToolButton::Command(WORD code) {
    if (code == BN_CLICKED) Click();
}

void ToolButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    const bool down = pressed_ || (item.itemState & ODS_SELECTED) != 0;
    if (down)
        DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    else if (hot_)
        DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    if (!bitmap_) return;
    BITMAP bm{};
    GetObjectW(bitmap_, sizeof bm, &bm);
    const int shift = down ? 1 : 0;  // the picture sinks with the button
    const int x = rc.left + (rc.right - rc.left - bm.bmWidth) / 2 + shift;
    const int y = rc.top + (rc.bottom - rc.top - bm.bmHeight) / 2 + shift;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap_);
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
}

void ToolButton::SetHot(bool hot) {
    if (hot == hot_) return;
    hot_ = hot;
    // The hint time may have changed since the button was made.
    if (hot) hints_.RefreshHidePause();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ToolButton::SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// The mouse is handled here rather than by the button class, so that a click
// leaves the focus where it was, and the edge follows the mouse.
LRESULT CALLBACK ToolButton::ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<ToolButton*>(ref);
    switch (msg) {
    case WM_MOUSEMOVE: {
        if (!self->tracking_) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
            self->tracking_ = TrackMouseEvent(&tme) != FALSE;
        }
        self->SetHot(true);
        if (GetCapture() == hwnd) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            self->SetPressed(PtInRect(&rc, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        self->tracking_ = false;
        self->SetHot(false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(hwnd);
        self->SetPressed(true);
        return 0;
    case WM_LBUTTONUP: {
        if (GetCapture() != hwnd) return 0;
        RECT rc;
        GetClientRect(hwnd, &rc);
        const bool inside = PtInRect(&rc, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
        ReleaseCapture();
        self->SetPressed(false);
        // As the button class would: the form routes it to Command, inside its exception guard.
        if (inside)
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(self->id_, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    case WM_CAPTURECHANGED:
        self->SetPressed(false);
        return 0;
    case WM_GETDLGCODE: {
        // Enter presses the focused tool button, as it would a push button,
        // instead of the form's default button (Space is the button class's).
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE | DefSubclassProc(hwnd, msg, wParam, lParam);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN) return DefSubclassProc(hwnd, msg, wParam, lParam);
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(self->id_, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
        return 0;
    default:
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace plivex::ui
