// Splitter: a vertical bar the user drags to share a width between a left
// control and the controls to its right.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "ui/controls_win.h"

namespace plivex::ui {

class Splitter : public Control {
public:
    // The bar stands at left..left+width. Moving it resizes leftControl (its
    // left edge stays) and moves the left edge of each right control (their
    // right edges stay), keeping their gaps to the bar. Neither side gets
    // narrower than minSize.
    Splitter(Form& form, int left, int top, int width, int height, Control& leftControl,
             std::vector<Control*> rightControls, int minSize = 30);
    ~Splitter() override;

    // Left edge of the bar in design pixels.
    int Position() const { return left_; }
    // Moves the bar to x, or as near as the minimum sizes allow.
    void SetPosition(int x);
    void SetMinSizes(int minLeft, int minRight);
    bool Dragging() const { return dragging_; }

    // The user dragged the bar to a new place (called once the mouse button is released).
    std::function<void()> OnMoved;

private:
    struct Right {
        Control* control;
        int gap;  // from the bar's right edge to the control's left edge
    };
    int Clamp(int x) const;
    void DragTo(int mouseX);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleMouse(HWND hwnd, UINT msg, LPARAM lParam);
    static const wchar_t* WindowClass();

    Control& leftControl_;
    int leftGap_;  // from the left control's right edge to the bar
    std::vector<Right> right_;
    int minLeft_, minRight_;
    bool dragging_ = false;
    int grab_ = 0;       // where on the bar the mouse took hold, in screen pixels
    int dragStart_ = 0;  // bar position when the drag began
};

}  // namespace plivex::ui
