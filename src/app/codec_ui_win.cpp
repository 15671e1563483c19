#include "app/codec_ui_win.h"

#include <windows.h>

#include "dialogs/check_fe_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {
OverwriteAsker& Asker() {
    static OverwriteAsker asker;
    return asker;
}
}  // namespace

OverwriteAsker SetOverwriteAsker(OverwriteAsker asker) {
    OverwriteAsker previous = std::move(Asker());
    Asker() = std::move(asker);
    return previous;
}

int WinCodecUi::MsgBox(const std::string& text, const std::string& caption, unsigned style) {
    return ui::MsgBox(text, caption, style);
}

int WinCodecUi::AskOverwrite(std::string& path) {
    if (Asker()) return Asker()(path);
    return AskOverwriteWithDialog(path);
}


bool WinCodecUi::HasAssociation(const std::string& path) { return AssociatedApplication(path).has_value(); }

}  // namespace plivex
