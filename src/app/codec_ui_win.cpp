#include "app/codec_ui_win.h"

#include <windows.h>

#include "dialogs/overwrite_dialog_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

MsgAnswer WinCodecUi::Show(const BoxMessage& box) { return ui::MsgBox(box.text, box.caption, box.style); }

void WinCodecUi::ReportError(const CodecReport& report) { Show(BoxForReport(report)); }

bool WinCodecUi::ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) {
    return Show(BoxForMeltedName(plain, container, unlike)) == MsgAnswer::kYes;
}

DeleteAnswer WinCodecUi::AskDeleteUnlikeContainer(const std::string& container) {
    return DeleteAnswerOf(Show(BoxForDeleteUnlikeContainer(container)));
}

DeleteAnswer WinCodecUi::AskDeleteUnassociated(const std::string& plain, const std::string& container) {
    return DeleteAnswerOf(Show(BoxForDeleteUnassociated(plain, container)));
}

CodecResult WinCodecUi::AskOverwrite(std::string& path) {
    if (const OverwriteAsker& asker = InstalledOverwriteAsker()) return asker(path);
    return AskOverwriteWithDialog(path);
}

bool WinCodecUi::HasAssociation(const std::string& path) { return AssociatedApplication(path).has_value(); }

bool WinCodecUi::ConfirmUpgradeUnlike(const std::string& container, const std::string& name) {
    return Show(BoxForUpgradeUnlike(container, name)) == MsgAnswer::kYes;
}

}  // namespace plivex
