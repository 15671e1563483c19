#include "ui/msgbox_win.h"

#include <windows.h>

#include "ui/app_win.h"
#include "sys/text_win.h"

namespace plivex::ui {

namespace {
MsgBoxResponder& Responder() {
    static MsgBoxResponder responder;
    return responder;
}
}  // namespace

int MsgBox(const std::string& text, const std::string& caption, unsigned style) {
    const std::string shown = caption.empty() ? Application::Get().Title() : caption;
    if (Responder()) return Responder()(text, shown, style);
    return MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(shown).c_str(), style);
}

MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder) {
    MsgBoxResponder previous = std::move(Responder());
    Responder() = std::move(responder);
    return previous;
}

}  // namespace plivex::ui
