// Status bar with one simple panel, docked at the bottom of its form.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls_win.h"

namespace plivex::ui {

class StatusBar : public Control {
public:
    // The bar places itself along the bottom of the form, across its width, and
    // follows the form's size. A size grip is shown only on a sizeable form.
    explicit StatusBar(Form& form);
    ~StatusBar() override;

    std::string SimpleText() const;
    void SetSimpleText(const std::string& text);
    void Rescale() override;

private:
    // Its height by the form's DPI: the control's own follows the system's
    // metrics, which stay those of the system's DPI on another monitor.
    static constexpr int kHeight = 20;
    void Dock();
    static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
};

}  // namespace plivex::ui
