// Tooltips (hints) for the ordinary controls of one form.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex::ui {

class Hints {
public:
    explicit Hints(Form& form);
    ~Hints();
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;

    // The text shows while the mouse rests on the control, for Application::HintHidePause ms.
    void Add(const Control& control, const std::string& hint);
    // Empty for a control without a hint.
    std::string Hint(const Control& control) const;
    HWND TooltipHandle() const { return tooltip_; }

private:
    Form& form_;
    HWND tooltip_ = nullptr;
};

}  // namespace plivex::ui
