#include "ui/status_bar_win.h"

#include <commctrl.h>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"

namespace plivex::ui {

StatusBar::StatusBar(Form& form)
    : Control(form, CommonControlClass(STATUSCLASSNAMEW),
              CCS_BOTTOM | CCS_NORESIZE | (form.GetBorderStyle() == BorderStyle::Sizeable ? SBARS_SIZEGRIP : 0), 0,
              0, 0, 0, 0, "", -1) {
    SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
    // The form's own procedure is not ours to change: listen to its WM_SIZE beside it.
    SetWindowSubclass(form.Handle(), FormProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
    Dock();
}

StatusBar::~StatusBar() { RemoveWindowSubclass(form_.Handle(), FormProc, reinterpret_cast<UINT_PTR>(this)); }

// Setting names the simple panel by SB_SIMPLEID, reading by index 0 (the control answers for the simple panel).
std::string StatusBar::SimpleText() const {
    const LRESULT len = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(len));
    return Narrow(text);
}

void StatusBar::SetSimpleText(const std::string& text) {
    SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

// Along the bottom of the form, across its width, kHeight high at the form's DPI.
void StatusBar::Dock() {
    RECT client;
    GetClientRect(form_.Handle(), &client);
    const int height = form_.Scale(kHeight);
    SetWindowPos(hwnd_, nullptr, 0, client.bottom - height, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
    left_ = 0;
    top_ = form_.Unscale(client.bottom - height);
    width_ = form_.Unscale(client.right);
    height_ = kHeight;
}

void StatusBar::Rescale() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
    Dock();
}

LRESULT CALLBACK StatusBar::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_SIZE) reinterpret_cast<StatusBar*>(ref)->Dock();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace plivex::ui
