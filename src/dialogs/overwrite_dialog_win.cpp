#include "dialogs/overwrite_dialog_win.h"

#include <memory>

#include "codec/codec.h"
#include "base/paths.h"
#include "codec/texts.h"
#include "dialogs/place_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

// Only a file counts: a folder of that name cannot be overwritten, and the
// writing step reports it.
bool IsExistingFile(const std::string& path) {
    const auto wide = TryWidenPath(path);
    if (!wide) return false;
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A form's modal result is a plain number.
constexpr int Modal(CodecResult answer) { return static_cast<int>(answer); }

}  // namespace

OverwriteDialogControls::OverwriteDialogControls(ui::Form& form)
    : Label1(form, 16, 16, "ファイル"),
      LabelFName(form, 16, 40, "", 305),
      Label2(form, 16, 64, "は既に存在します。上書きしてよろしいですか？"),
      ButtonYes(form, 16, 88, 97, 25, "&Y・はい", 0),
      ButtonNo(form, 120, 88, 97, 25, "&N・いいえ", 1),
      ButtonCancel(form, 224, 88, 97, 25, "&C・キャンセル", 2),
      ButtonAllYes(form, 16, 120, 97, 25, "&A・すべてはい", 3),
      ButtonAllNo(form, 120, 120, 97, 25, "&B・すべていいえ", 4),
      ButtonRename(form, 16, 152, 305, 25, "&R・下記の名前に変更する", 6),
      EditFName(form, 16, 184, 305, 21, 5) {}

OverwriteDialog::OverwriteDialog()
    : ui::Form(337, 222, "上書き確認", ui::BorderStyle::Dialog, ui::BorderIcons{}),
      OverwriteDialogControls(static_cast<ui::Form&>(*this)) {
    // A file name is shown as it is: "&" in it is no accelerator.
    SetWindowLongPtrW(LabelFName.Handle(), GWL_STYLE, GetWindowLongPtrW(LabelFName.Handle(), GWL_STYLE) | SS_NOPREFIX);
    ButtonYes.SetModalResult(Modal(CodecResult::kOverwrite));
    ButtonNo.SetModalResult(Modal(CodecResult::kSkipped));
    ButtonCancel.SetModalResult(Modal(CodecResult::kFailed));
    ButtonCancel.SetCancel(true);
    ButtonAllYes.SetModalResult(Modal(CodecResult::kOverwriteAll));
    ButtonAllNo.SetModalResult(Modal(CodecResult::kSkipAll));
    // No modal result of its own: the handler decides whether the dialog closes.
    ButtonRename.SetDefault(true);
    ButtonRename.OnClick = [this] { ButtonRenameClick(); };
    OnShow = [this] { FormShow(); };
    SetHelpAnchor("Juufuku");  // the help page's chapter on name clashes
}

void OverwriteDialog::FormShow() {
    const std::string name = FileNamePart(TargetPath);
    LabelFName.SetText(name);
    EditFName.SetText(name);
    SetActiveControl(&ButtonYes);
}

void OverwriteDialog::ButtonRenameClick() {
    const std::string newPath = FolderPart(TargetPath) + EditFName.Text();
    if (IsExistingFile(newPath) &&
        ui::MsgBox("ファイル " + text::Quoted(newPath) + " は既に存在します。\n上書きしてよろしいですか？", "",
                   kStyleYesNoWarn | kDefaultNo) != MsgAnswer::kYes)
        return;  // stays open, unchanged, for another name or another answer
    TargetPath = newPath;
    EndModal(Modal(CodecResult::kRenamed));
}

CodecResult AskOverwriteWithDialog(std::string& path) {
    const std::unique_ptr<OverwriteDialog> form = CreateQuestionDialog<OverwriteDialog>();
    form->TargetPath = path;
    // The form's number read back as the answer it stands for; the codec takes
    // a number outside the answers as Cancel.
    const auto result = static_cast<CodecResult>(form->ShowModal());
    if (result == CodecResult::kRenamed) path = form->TargetPath;
    return result;
}

}  // namespace plivex
