#include "ui/focus_edit_win.h"

#include <commctrl.h>

#include "ui/boundary_win.h"

namespace plivex::ui {

namespace {
constexpr UINT_PTR kKeySubclassId = 1;
}  // namespace

FocusEdit::FocusEdit(Form& form, int left, int top, int width, int height, int tabOrder)
    : Edit(form, left, top, width, height, tabOrder) {
    SetWindowSubclass(hwnd_, KeyProc, kKeySubclassId, reinterpret_cast<DWORD_PTR>(this));
}

FocusEdit::~FocusEdit() { RemoveWindowSubclass(hwnd_, KeyProc, kKeySubclassId); }

void FocusEdit::Command(WORD code) {
    if (code == EN_SETFOCUS && OnEnter) OnEnter();
    else if (code == EN_KILLFOCUS && OnExit) OnExit();
    else Edit::Command(code);
}

LRESULT CALLBACK FocusEdit::KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<FocusEdit*>(data);
    switch (msg) {
    case WM_GETDLGCODE: {
        // Claim Enter, so that the dialog manager hands it to us instead of pressing a button.
        LRESULT code = DefSubclassProc(hwnd, msg, wParam, lParam);
        const auto* m = reinterpret_cast<const MSG*>(lParam);
        if (self->OnKeyPress && m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR:
        if (self->OnKeyPress) {
            wchar_t key = static_cast<wchar_t>(wParam);
            if (!Guarded([&] { self->OnKeyPress(key); })) return 0;
            if (key == 0) return 0;
            wParam = key;
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace plivex::ui
