// Tooltips (hints): the one way the program shows a hint over a control, for
// a form's ordinary controls, a tool button or the folder tree.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex::ui {

class Hints {
public:
    explicit Hints(Form& form) : form_(form) {}
    ~Hints();
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;

    // The text shows while the mouse rests on the control, for
    // Application::HintHidePause ms. Setting it again replaces it.
    void Set(HWND control, const std::string& hint);
    void Add(const Control& control, const std::string& hint) { Set(control.Handle(), hint); }
    // Empty for a control without a hint.
    std::string Hint(HWND control) const;
    std::string Hint(const Control& control) const { return Hint(control.Handle()); }
    // Takes the program's hint time again: it may have changed since.
    void RefreshHidePause();
    // Null until the first hint is set.
    HWND TooltipHandle() const { return tooltip_; }

private:
    Form& form_;
    HWND tooltip_ = nullptr;
    std::set<HWND> tools_;
};

}  // namespace plivex::ui
