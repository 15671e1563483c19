// Tool button: a flat picture button with a tooltip. A click leaves the focus
// where it was; from the keyboard it is reached with Tab like any button, and
// its hint is its name for screen readers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls_win.h"
#include "ui/hints_win.h"

namespace plivex::ui {

class ToolButton : public Control {
public:
    // bitmapName names a bitmap resource of the program (16 colours; its
    // bottom-left pixel's colour is see-through), drawn for 96 DPI at 24x24;
    // bitmapName_36 and bitmapName_48, where present, are used at 144 and 192 DPI.
    // A missing one leaves the button without a picture.
    ToolButton(Form& form, int left, int top, int width, int height, const std::string& bitmapName,
               const std::string& hint = "", int tabOrder = -1);
    ~ToolButton() override;

    bool HasBitmap() const { return bitmap_ != nullptr; }
    // Loads another picture from the resources; false (and no picture) when it is missing.
    bool LoadPicture(const std::string& bitmapName);

    // Tooltip text, shown while the mouse rests on the button for Application::HintHidePause ms.
    std::string Hint() const;
    void SetHint(const std::string& hint);
    HWND TooltipHandle() const { return hints_.TooltipHandle(); }

    // Raised edge while the mouse is over the button, sunken while it is pressed.
    bool Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }

    std::function<void()> OnClick;
    // Presses the button as a click would.
    void Click();
    void Command(WORD code) override;
    void Draw(const DRAWITEMSTRUCT& item) override;
    void Rescale() override;

private:
    void SetHot(bool hot);
    void SetPressed(bool pressed);
    static HBITMAP LoadBitmapResource(const std::string& name);
    static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);

    static constexpr int kDesignBitmapSize = 24;

    HBITMAP bitmap_ = nullptr;
    std::string picture_;  // the bitmap's name, loaded again at another DPI
    Hints hints_{form_};
    bool hot_ = false;
    bool pressed_ = false;
    bool tracking_ = false;
};

}  // namespace plivex::ui
