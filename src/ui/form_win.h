// A top-level window built from controls at design positions (96 per inch),
// with the keyboard behaviour of a Windows dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plivex::ui {

class Control;
class Button;
class Timer;

enum ModalResultCode : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum class BorderStyle {
    Dialog,    // fixed dialog frame
    Single,    // fixed single frame
    Sizeable,  // resizable frame
};

enum class FormPosition { Designed, ScreenCenter };

struct BorderIcons {
    bool systemMenu = false;
    bool minimize = false;
    bool maximize = false;
    bool help = false;
    friend bool operator==(const BorderIcons&, const BorderIcons&) = default;
};

class Form {
public:
    // The window is created at once, hidden, with the given client size in design pixels.
    Form(int clientWidth, int clientHeight, const std::string& caption, BorderStyle style = BorderStyle::Dialog,
         BorderIcons icons = {});
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return hwnd_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Outer position and size in screen pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetPosition(int left, int top);
    // Client size in design pixels.
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    // Outer size in design pixels.
    void SetOuterSize(int width, int height);

    // Pixels per inch of the monitor the form is on, and a design size (96 per
    // inch) in its pixels. Forms start at the system's and follow their monitor.
    int Dpi() const { return dpi_; }
    int Scale(int designPixels) const { return MulDiv(designPixels, dpi_, 96); }
    int Unscale(int screenPixels) const { return MulDiv(screenPixels, 96, dpi_); }
    // The form is now on a monitor of this DPI: its font, its controls and its
    // client size follow, by the same design sizes; suggested is where the
    // system puts the window (WM_DPICHANGED), else it keeps its place.
    void ApplyDpi(int dpi, const RECT* suggested = nullptr);

    BorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(BorderStyle style);
    BorderIcons GetBorderIcons() const { return icons_; }
    void SetBorderIcons(BorderIcons icons);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width) { borderWidth_ = width; }
    FormPosition Position() const { return position_; }
    void SetFormPosition(FormPosition position) { position_ = position; }
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool onTop);

    bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
    bool Minimized() const { return IsIconic(hwnd_) != FALSE; }
    void Restore();
    // Modeless showing; an already visible form only comes to the front.
    void Show();
    void Hide();
    void BringToFront();
    // Asks the close query, then hides the form (or ends its modal run with Cancel).
    void Close();

    // Runs the form modally: the program's other windows are disabled, messages
    // (timers included) keep being dispatched. Returns the modal result.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // Ends a modal run with result, unless the close query keeps the form open.
    void EndModal(int result);
    bool InModal() const { return inModal_; }

    // The control with the focus when the form is shown.
    void SetActiveControl(Control* control);

    // The help chapter F1 opens in this form; empty for the basic one.
    virtual std::string HelpAnchor() const { return helpAnchor_; }
    void SetHelpAnchor(std::string anchor) { helpAnchor_ = std::move(anchor); }
    // Keys the form takes before the dialog manager: F1 for help, Ctrl+Tab
    // and Ctrl+Shift+Tab for the pages. True when the key was taken.
    bool PreTranslateKey(const MSG& msg);

    std::function<void()> OnShow;
    // Return false to keep the form open.
    std::function<bool()> OnCloseQuery;

    // Registry of the form's controls (used by Control).
    int AddControl(Control* control);
    void RemoveControl(Control* control);
    const std::vector<Control*>& Controls() const { return controls_; }
    HFONT Font() const { return font_; }
    // Tells the dialog manager which button Enter presses.
    void UpdateDefaultButton();
    // Wraps a handler of this form that another form calls (a file chosen,
    // options confirmed), so that a question it asks belongs to this form.
    std::function<void()> AsOwnHandler(std::function<void()> handler);

protected:
    // A form's own handling of a window message; return a result to stop default handling.
    virtual std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // After ApplyDpi has rescaled the controls: what the form draws itself.
    virtual void DpiChanged() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void ApplyStyle();
    void AttachToFront();
    void ArrangeTabOrder();
    void FocusFirst();
    // The visible, enabled button that Enter presses, or Esc.
    Button* DefaultButton() const;
    Button* CancelButton() const;
    Button* FirstButton(bool (Button::*is)() const) const;

    HWND hwnd_ = nullptr;
    int dpi_;
    HFONT font_ = nullptr;
    BorderStyle borderStyle_;
    BorderIcons icons_;
    int borderWidth_ = 0;
    FormPosition position_ = FormPosition::Designed;
    bool stayOnTop_ = false;
    int modalResult_ = mrNone;
    bool inModal_ = false;
    bool shownOnce_ = false;
    Control* activeControl_ = nullptr;
    std::vector<Control*> controls_;
    int nextId_ = 100;
    std::string helpAnchor_;
};

// The font of every form: "MS UI Gothic", 13 design pixels, Japanese character
// set, at dpi (made once per DPI, kept for the program's life).
HFONT FormFont(int dpi);
// The DPI of the monitor a window is on, where the system tells it (Windows 10
// 1607 and later); else the system's.
int WindowDpi(HWND hwnd);

}  // namespace plivex::ui
