#include "ui/msgbox_win.h"

#include <windows.h>

#include "base/texts.h"
#include "ui/app_win.h"
#include "ui/boundary_win.h"
#include "sys/text_win.h"

namespace plivex::ui {

MsgAnswer MsgBox(const std::string& text, const std::string& caption, unsigned style) {
    const std::string shown = caption.empty() ? Application::Get().Title() : caption;
    if (const MsgBoxResponder& responder = InstalledMsgBoxResponder()) return responder(text, shown, style);
    // Owned by the program's window in front, not by whatever is active: with
    // another program in front that would be nothing, and the program's
    // windows would go on taking input under the box. The box disables its
    // owner itself (and activates it again when it closes); the scope disables the rest.
    const HWND owner = Application::Get().FrontWindow();
    const ModalScope modal(owner);
    return static_cast<MsgAnswer>(MessageBoxW(owner, Widen(text).c_str(), Widen(shown).c_str(), style));
}

void ReportInternalError(const char* what) noexcept {
    static bool reporting = false;
    if (reporting) return;
    reporting = true;
    try {
        MsgBox(what, std::string(text::kCaptionInternalError), kStyleExclamation);
    } catch (...) {
        // Nothing more can be told.
    }
    reporting = false;
}

}  // namespace plivex::ui
