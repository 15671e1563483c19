#include "ui/page_control_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"

namespace plivex::ui {

// ---- TabSheet ----

std::string TabSheet::Caption() const {
    wchar_t buf[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 256;
    SendMessageW(owner_.Handle(), TCM_GETITEMW, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&item));
    return Narrow(item.pszText);
}

void TabSheet::SetCaption(const std::string& caption) {
    std::wstring wide = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    SendMessageW(owner_.Handle(), TCM_SETITEMW, static_cast<WPARAM>(index_), reinterpret_cast<LPARAM>(&item));
}

bool TabSheet::Active() const { return owner_.shown_ == index_; }

void TabSheet::Add(Control& control) {
    controls_.push_back(&control);
    if (Active()) return;
    if (!control.Visible()) keptHidden_.push_back(&control);
    control.SetVisible(false);
}

void TabSheet::Add(std::initializer_list<Control*> controls) {
    for (Control* c : controls) Add(*c);
}

void TabSheet::Deactivate() {
    keptHidden_.clear();
    for (Control* c : controls_) {
        if (c->Visible())
            c->SetVisible(false);
        else
            keptHidden_.push_back(c);
    }
}

void TabSheet::Activate() {
    for (Control* c : controls_)
        if (std::find(keptHidden_.begin(), keptHidden_.end(), c) == keptHidden_.end()) c->SetVisible(true);
    keptHidden_.clear();
}

// ---- PageControl ----

PageControl::PageControl(Form& form, int left, int top, int width, int height, int tabOrder)
    : Control(form, CommonControlClass(WC_TABCONTROLW), TCS_TABS | TCS_SINGLELINE, 0, left, top, width, height, "",
              tabOrder) {
    SetWindowSubclass(hwnd_, PaintProc, 0, 0);
    // The pages' controls paint the form's face colour around themselves; a
    // themed page body is lighter, so the tab control keeps the classic look.
    // Loaded at run time: uxtheme is not linked. Blank names, because Wine
    // keeps the theme for empty ones.
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll"))
        if (auto setTheme = reinterpret_cast<SetWindowThemeFn>(
                reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme"))))
            setTheme(hwnd_, L" ", L" ");
}

PageControl::~PageControl() { RemoveWindowSubclass(hwnd_, PaintProc, 0); }

TabSheet& PageControl::AddPage(const std::string& caption) {
    const int index = PageCount();
    std::wstring wide = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    SendMessageW(hwnd_, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    pages_.push_back(std::unique_ptr<TabSheet>(new TabSheet(*this, index)));
    if (index == 0) SetActivePage(0);
    return *pages_.back();
}

int PageControl::ActivePageIndex() const {
    const LRESULT i = SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0);
    return i < 0 || i >= PageCount() ? -1 : static_cast<int>(i);
}

TabSheet* PageControl::ActivePage() const {
    const int i = ActivePageIndex();
    return i < 0 ? nullptr : pages_[static_cast<std::size_t>(i)].get();
}

void PageControl::SetActivePage(int index) {
    if (index < 0 || index >= PageCount()) return;
    SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowActive();
}

void PageControl::SelectNext(bool forward) {
    const int count = PageCount();
    if (count < 2) return;
    SetActivePage((ActivePageIndex() + (forward ? 1 : count - 1)) % count);
    if (OnChange) OnChange();
}

void PageControl::ShowActive() {
    const int now = ActivePageIndex();
    if (now == shown_) return;
    // Keys must not go on to a control that disappears.
    bool focusHidden = false;
    if (shown_ >= 0) {
        TabSheet& old = *pages_[static_cast<std::size_t>(shown_)];
        for (Control* c : old.controls_) focusHidden = focusHidden || c->Focused();
        old.Deactivate();
    }
    shown_ = now;
    if (now >= 0) pages_[static_cast<std::size_t>(now)]->Activate();
    if (focusHidden && CanFocus()) SetFocus();
    // The frame shows through where the old page's controls were.
    InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT PageControl::PageArea() const {
    RECT r{form_.Scale(left_), form_.Scale(top_), form_.Scale(left_ + width_), form_.Scale(top_ + height_)};
    SendMessageW(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return RECT{form_.Unscale(r.left), form_.Unscale(r.top), form_.Unscale(r.right), form_.Unscale(r.bottom)};
}

std::optional<LRESULT> PageControl::Notify(const NMHDR& header) {
    if (header.code != static_cast<UINT>(TCN_SELCHANGE)) return std::nullopt;
    ShowActive();
    if (OnChange) OnChange();
    return 0;
}

// The pages' controls are siblings of the tab control and lie under it in the
// form's Tab (and so z-) order; the tab control would paint over them. It
// paints around the visible siblings instead. A group box is see-through, so
// it is painted over and redrawn afterwards.
LRESULT CALLBACK PageControl::PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg != WM_PAINT && msg != WM_ERASEBKGND) return DefSubclassProc(hwnd, msg, wParam, lParam);

    PAINTSTRUCT ps{};
    HDC dc = msg == WM_PAINT ? (wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(hwnd, &ps))
                             : reinterpret_cast<HDC>(wParam);
    const int saved = SaveDC(dc);
    RECT own;
    GetClientRect(hwnd, &own);
    std::vector<HWND> seeThrough;
    for (HWND sib = GetWindow(GetParent(hwnd), GW_CHILD); sib; sib = GetWindow(sib, GW_HWNDNEXT)) {
        if (sib == hwnd || !IsWindowVisible(sib)) continue;
        RECT r;
        GetWindowRect(sib, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        RECT overlap;
        if (!IntersectRect(&overlap, &r, &own)) continue;
        wchar_t cls[16] = {};
        GetClassNameW(sib, cls, 16);
        const auto type = static_cast<DWORD>(GetWindowLongPtrW(sib, GWL_STYLE)) & BS_TYPEMASK;
        if (lstrcmpiW(cls, L"Button") == 0 && type == BS_GROUPBOX)
            seeThrough.push_back(sib);
        else
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    LRESULT result = TRUE;
    if (msg == WM_ERASEBKGND)
        FillRect(dc, &own, GetSysColorBrush(COLOR_BTNFACE));  // the pages are of the form's colour
    else
        result = DefSubclassProc(hwnd, msg, reinterpret_cast<WPARAM>(dc), lParam);
    RestoreDC(dc, saved);
    if (msg == WM_PAINT && !wParam) EndPaint(hwnd, &ps);
    if (msg == WM_PAINT)
        for (HWND g : seeThrough) RedrawWindow(g, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return result;
}

}  // namespace plivex::ui
