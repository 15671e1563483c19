#include "ui/list_controls_win.h"

#include <commctrl.h>

#include <algorithm>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"

namespace plivex::ui {

void EnsureCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

const wchar_t* CommonControlClass(const wchar_t* windowClass) {
    EnsureCommonControls();
    return windowClass;
}

namespace {

constexpr DWORD kSelectionStyles = LBS_MULTIPLESEL | LBS_EXTENDEDSEL;

DWORD SelectionStyle(const ListBoxOptions& o) {
    if (!o.multiSelect) return 0;
    return o.extendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
}

DWORD ListBoxStyle(const ListBoxOptions& o) {
    return LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | (o.sorted ? LBS_SORT : 0) |
           SelectionStyle(o);
}

// Text of item index of a list or combo box, through the given length and text messages.
std::string ItemText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index) {
    const LRESULT len = SendMessageW(hwnd, lengthMsg, static_cast<WPARAM>(index), 0);
    if (len < 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd, textMsg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return Narrow(text);
}

}  // namespace

// ---- ListBox ----

ListBox::ListBox(Form& form, int left, int top, int width, int height, int tabOrder, ListBoxOptions options)
    : Control(form, CommonControlClass(L"LISTBOX"), ListBoxStyle(options), WS_EX_CLIENTEDGE, left, top, width, height,
              "", tabOrder),
      options_(options) {}

int ListBox::AddItem(const std::string& text) {
    return static_cast<int>(SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str())));
}


void ListBox::Clear() { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }

void ListBox::SetItems(const std::vector<std::string>& items) {
    Clear();
    for (const auto& item : items) AddItem(item);
}

int ListBox::Count() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string ListBox::Item(int index) const { return ItemText(hwnd_, LB_GETTEXTLEN, LB_GETTEXT, index); }

std::vector<std::string> ListBox::Items() const {
    std::vector<std::string> items;
    const int n = Count();
    items.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) items.push_back(Item(i));
    return items;
}

int ListBox::FindItem(const std::string& text) const {
    const LRESULT i =
        SendMessageW(hwnd_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Widen(text).c_str()));
    return i == LB_ERR ? -1 : static_cast<int>(i);
}

int ListBox::ItemIndex() const {
    if (Count() == 0) return -1;  // no item, no index, whatever the caret says
    const LRESULT i = SendMessageW(hwnd_, options_.multiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
    return i == LB_ERR ? -1 : static_cast<int>(i);
}

void ListBox::SetItemIndex(int index) {
    if (!options_.multiSelect) {
        SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    SendMessageW(hwnd_, LB_SETSEL, FALSE, -1);
    if (index >= 0) {
        SendMessageW(hwnd_, LB_SETSEL, TRUE, index);
        SendMessageW(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
        // The anchor of a later Shift click or Shift+arrow.
        SendMessageW(hwnd_, LB_SETANCHORINDEX, static_cast<WPARAM>(index), 0);
    }
}

bool ListBox::Selected(int index) const {
    return SendMessageW(hwnd_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void ListBox::SetSelected(int index, bool selected) {
    if (options_.multiSelect) {
        SendMessageW(hwnd_, LB_SETSEL, selected, index);
    } else if (selected) {
        SetItemIndex(index);
    } else if (ItemIndex() == index) {
        SetItemIndex(-1);
    }
}

int ListBox::SelCount() const {
    if (!options_.multiSelect) return ItemIndex() >= 0 ? 1 : 0;
    const LRESULT n = SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::vector<int> ListBox::SelectedIndices() const {
    if (!options_.multiSelect) {
        const int i = ItemIndex();
        return i >= 0 ? std::vector<int>{i} : std::vector<int>{};
    }
    std::vector<int> indices(static_cast<std::size_t>(SelCount()));
    if (indices.empty()) return indices;
    const LRESULT got = SendMessageW(hwnd_, LB_GETSELITEMS, indices.size(), reinterpret_cast<LPARAM>(indices.data()));
    indices.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    std::sort(indices.begin(), indices.end());
    return indices;
}

void ListBox::SetSelectedIndices(const std::vector<int>& indices) {
    if (!options_.multiSelect) {
        SetItemIndex(indices.empty() ? -1 : indices.front());
        return;
    }
    SendMessageW(hwnd_, LB_SETSEL, FALSE, -1);
    for (int i : indices) SendMessageW(hwnd_, LB_SETSEL, TRUE, i);
}

void ListBox::SetMultiSelect(bool multiSelect, bool extendedSelect) {
    ListBoxOptions wanted = options_;
    wanted.multiSelect = multiSelect;
    wanted.extendedSelect = extendedSelect;
    if (SelectionStyle(wanted) == SelectionStyle(options_)) {
        options_ = wanted;
        return;
    }
    const std::vector<std::string> items = Items();
    const bool visible = Visible();
    const bool hadFocus = Focused();
    const HWND old = hwnd_;
    const DWORD style =
        (static_cast<DWORD>(GetWindowLongPtrW(old, GWL_STYLE)) & ~(kSelectionStyles | WS_VISIBLE)) | SelectionStyle(wanted);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
    // Same id, place and font; inserted right after the old window so the Tab order stays.
    const HWND fresh = CreateWindowExW(exStyle, L"LISTBOX", Widen(Text()).c_str(), style, form_.Scale(left_),
                                       form_.Scale(top_), form_.Scale(width_), form_.Scale(height_), form_.Handle(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                                       Application::Get().Instance(), nullptr);
    if (!fresh) return;  // keep the working window rather than none
    SendMessageW(fresh, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    hwnd_ = fresh;
    options_ = wanted;
    for (const auto& item : items)
        SendMessageW(fresh, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Widen(item).c_str()));
    if (visible) ShowWindow(fresh, SW_SHOWNA);
    if (!accessibleName_.empty()) {
        Annotate(old, false);
        Annotate(fresh, true);
    }
    DestroyWindow(old);
    if (hadFocus) SetFocus();
}

void ListBox::Command(WORD code) {
    if (code == LBN_SELCHANGE && OnClick) OnClick();
    if (code == LBN_DBLCLK && OnDblClick) OnDblClick();
}

// ---- ComboBox ----

ComboBox::ComboBox(Form& form, int left, int top, int width, int height, int tabOrder, int dropDownCount)
    : Control(form, CommonControlClass(L"COMBOBOX"), CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, 0, left, top,
              width, height, "", tabOrder),
      dropDownCount_(std::max(1, dropDownCount)) {
    FitDropDown();
}

// The window height of a combo box is its closed field plus the opened list.
void ComboBox::FitDropDown() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int field = r.bottom - r.top;
    const LRESULT itemHeight = SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0);
    const int list = static_cast<int>(itemHeight > 0 ? itemHeight : 16) * dropDownCount_ + 2;
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, field + list, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_), 0);  // the themed list's own limit
}

int ComboBox::AddItem(const std::string& text) {
    return static_cast<int>(SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str())));
}

void ComboBox::Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }

void ComboBox::SetItems(const std::vector<std::string>& items) {
    Clear();
    for (const auto& item : items) AddItem(item);
}

int ComboBox::Count() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string ComboBox::Item(int index) const { return ItemText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index); }

int ComboBox::ItemIndex() const {
    const LRESULT i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? -1 : static_cast<int>(i);
}

void ComboBox::SetItemIndex(int index) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void ComboBox::Command(WORD code) {
    if (code == CBN_SELCHANGE && OnChange) OnChange();
}

}  // namespace plivex::ui
