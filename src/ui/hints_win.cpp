#include "ui/hints_win.h"

#include <commctrl.h>

#include "sys/text_win.h"
#include "ui/app_win.h"

namespace plivex::ui {

namespace {

// The size every comctl32 version accepts (newer fields are not used).
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;
constexpr int kMaxHintWidth = 640;  // design pixels

}  // namespace

Hints::~Hints() {
    if (tooltip_) DestroyWindow(tooltip_);
}

void Hints::Set(HWND control, const std::string& hint) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form_.Handle(), nullptr,
                                   Application::Get().Instance(), nullptr);
        if (!tooltip_) return;
    }
    // At the form's DPI, which may have changed since the tooltip was made. A
    // width of its own lets a hint break at its line ends.
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, form_.Scale(kMaxHintWidth));
    std::wstring text = Widen(hint);
    TTTOOLINFOW ti{};
    ti.cbSize = kToolInfoSize;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;  // the tooltip watches the control's mouse messages itself
    ti.hwnd = form_.Handle();
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text.data();
    if (tools_.insert(control).second) SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    else SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    RefreshHidePause();
}

std::string Hints::Hint(HWND control) const {
    if (!tooltip_) return {};
    std::wstring buf(1024, L'\0');
    TTTOOLINFOW ti{};
    ti.cbSize = kToolInfoSize;
    ti.hwnd = form_.Handle();
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = buf.data();
    SendMessageW(tooltip_, TTM_GETTEXTW, buf.size(), reinterpret_cast<LPARAM>(&ti));
    return Narrow(ti.lpszText ? std::wstring_view(ti.lpszText) : std::wstring_view());
}

void Hints::RefreshHidePause() {
    if (tooltip_)
        SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(Application::Get().HintHidePause(), 0));
}

}  // namespace plivex::ui
