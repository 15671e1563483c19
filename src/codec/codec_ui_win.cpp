#include "codec/codec_ui_win.h"

#include <windows.h>
#include <shellapi.h>

#include "dialogs/check_fe_win.h"
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

std::optional<std::string> AssociatedApplication(const std::string& path) {
    const auto wide = TryWiden(path);
    if (!wide) return std::nullopt;
    wchar_t exe[MAX_PATH] = {};
    // Values up to 32 are the shell's error codes.
    if (reinterpret_cast<INT_PTR>(FindExecutableW(wide->c_str(), nullptr, exe)) <= 32) return std::nullopt;
    return Narrow(exe);
}

bool WinCodecUi::HasAssociation(const std::string& path) { return AssociatedApplication(path).has_value(); }

}  // namespace plivex
