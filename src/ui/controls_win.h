// Controls placed at design positions (96 per inch) in a form's client area.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace plivex::ui {

class Form;

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }
    Form& Owner() const { return form_; }

    // Geometry in design pixels.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Bottom() const { return top_ + height_; }
    int Right() const { return left_ + width_; }
    void SetBounds(int left, int top, int width, int height);
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }

    std::string Text() const;
    virtual void SetText(const std::string& text);
    // What a screen reader calls a control that has no label of its own: its
    // window text (which some systems read) and an annotation of its
    // accessibility object (which Windows' own reads).
    void SetAccessibleName(const std::string& name);

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Focused() const { return GetFocus() == hwnd_; }
    void SetFocus();
    bool CanFocus() const;

    // Position in the Tab order; -1 for controls that never take the focus.
    int TabOrder() const { return tabOrder_; }
    // The control a label's accelerator focuses.
    Control* FocusTarget() const { return focusTarget_; }

    // The form's DPI changed: the control takes its design bounds and the
    // form's font at the new DPI (and whatever else it sizes by the DPI).
    virtual void Rescale();

    // Window notifications, routed here by the form.
    virtual void Command(WORD /*code*/) {}
    virtual void Draw(const DRAWITEMSTRUCT& /*item*/) {}
    // WM_NOTIFY from the control; a result is the message's answer.
    virtual std::optional<LRESULT> Notify(const NMHDR& /*header*/) { return std::nullopt; }

protected:
    Control(Form& form, const wchar_t* windowClass, DWORD style, DWORD exStyle, int left, int top, int width,
            int height, const std::string& text, int tabOrder);
    Form& form_;
    HWND hwnd_ = nullptr;
    int id_;
    int left_, top_, width_, height_;
    int tabOrder_;
    Control* focusTarget_ = nullptr;
    std::string accessibleName_;  // given again to a window made anew
    void Annotate(HWND window, bool on) const;
};

enum class Alignment { Left, Center, Right };

class Label : public Control {
public:
    // width < 0: the label sizes itself to its text; otherwise fixed, text clipped.
    Label(Form& form, int left, int top, const std::string& text, int width = -1, Alignment align = Alignment::Left);
    void SetText(const std::string& text) override;
    void SetFocusControl(Control* target) { focusTarget_ = target; }
    void Rescale() override;

private:
    void AutoSize();
    bool autoSize_;
};

class Button : public Control {
public:
    Button(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder);
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool isCancel) { cancel_ = isCancel; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    std::function<void()> OnClick;
    // Presses the button: its handler runs, then its modal result ends a modal form.
    void Click();
    void Command(WORD code) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

class Edit : public Control {
public:
    Edit(Form& form, int left, int top, int width, int height, int tabOrder);
    wchar_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t c);
    void SetReadOnly(bool readOnly);
    bool Modified() const;
    void SetModified(bool modified);
    // Takes the focus with all its text selected, so that typing replaces it.
    void FocusAndSelectAll();
    std::function<void()> OnChange;
    void Command(WORD code) override;

private:
    wchar_t passwordChar_ = 0;
};

class CheckBox : public Control {
public:
    CheckBox(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder);
    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void()> OnClick;
    void Click();
    void Command(WORD code) override;

protected:
    CheckBox(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder, DWORD kind);
};

class RadioButton : public CheckBox {
public:
    // The first button of a group starts a new group.
    RadioButton(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder,
                bool firstOfGroup);
};

class GroupBox : public Control {
public:
    GroupBox(Form& form, int left, int top, int width, int height, const std::string& caption);
};

// A separator line along the top edge.
class Bevel : public Control {
public:
    Bevel(Form& form, int left, int top, int width);
};

// The system's progress bar, in thousandths.
class ProgressBar : public Control {
public:
    ProgressBar(Form& form, int left, int top, int width, int height);
    void SetPermille(int permille);
};

// A picture the program paints once into its own bitmap.
class Image : public Control {
public:
    Image(Form& form, int left, int top, int width, int height);
    ~Image() override;
    // A device context on the picture, in screen pixels; the image repaints from it.
    HDC Canvas() const { return canvas_; }
    void Invalidate() { InvalidateRect(hwnd_, nullptr, TRUE); }
    void Draw(const DRAWITEMSTRUCT& item) override;
    void Rescale() override;

private:
    void MakeCanvas();
    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

// Calls OnTimer every interval while enabled; keeps running inside modal
// loops and message boxes, which dispatch its messages too.
class Timer {
public:
    explicit Timer(UINT intervalMs, std::function<void()> onTimer = nullptr);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    bool Enabled() const { return id_ != 0; }
    void SetEnabled(bool enabled);
    std::function<void()> OnTimer;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    UINT interval_;
    UINT_PTR id_ = 0;
};

}  // namespace plivex::ui
