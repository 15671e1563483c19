// Page control: a tab strip whose pages (tab sheets) show their own controls.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls_win.h"

namespace plivex::ui {

class PageControl;

// A page of a page control. Its controls are ordinary controls of the form,
// placed in the form's client coordinates over the page control, and shown
// only while the page is active.
class TabSheet {
public:
    TabSheet(const TabSheet&) = delete;
    TabSheet& operator=(const TabSheet&) = delete;

    PageControl& Owner() const { return owner_; }
    int PageIndex() const { return index_; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Active() const;

    // The control then belongs to this page; hidden at once unless the page is active.
    void Add(Control& control);
    void Add(std::initializer_list<Control*> controls);
    const std::vector<Control*>& Controls() const { return controls_; }

private:
    friend class PageControl;
    TabSheet(PageControl& owner, int index) : owner_(owner), index_(index) {}
    void Activate();
    void Deactivate();

    PageControl& owner_;
    int index_;
    std::vector<Control*> controls_;
    // Controls the program had hidden when the page was left; they stay hidden when it comes back.
    std::vector<Control*> keptHidden_;
};

class PageControl : public Control {
public:
    PageControl(Form& form, int left, int top, int width, int height, int tabOrder);
    ~PageControl() override;

    // Appends a page; the first page becomes the active one.
    TabSheet& AddPage(const std::string& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }

    // -1 while there is no page.
    int ActivePageIndex() const;
    TabSheet* ActivePage() const;
    // Shows that page's controls and hides the others'; OnChange is not called.
    void SetActivePage(int index);
    void SetActivePage(TabSheet& page) { SetActivePage(page.PageIndex()); }

    // The next page, or the previous one, wrapping round: Ctrl+Tab and Ctrl+Shift+Tab.
    void SelectNext(bool forward);

    // The area inside the frame where the pages' controls go, in design pixels of the form's client area.
    RECT PageArea() const;

    // The user switched pages.
    std::function<void()> OnChange;
    std::optional<LRESULT> Notify(const NMHDR& header) override;

private:
    friend class TabSheet;
    void ShowActive();
    static LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);

    std::vector<std::unique_ptr<TabSheet>> pages_;
    int shown_ = -1;
};

}  // namespace plivex::ui
