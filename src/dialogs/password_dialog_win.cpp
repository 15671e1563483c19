#include "dialogs/password_dialog_win.h"

#include <commctrl.h>

#include <memory>

#include "base/secret.h"
#include "codec/texts.h"
#include "dialogs/password_dialog.h"
#include "dialogs/place_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

constexpr int kAgainRow = 24;  // the row the asked-again line takes, as from a label to its field

// The edit's text without leaving a copy of it in a temporary.
std::string ReadSecret(const ui::Edit& edit) {
    const int len = GetWindowTextLengthW(edit.Handle());
    std::wstring wide(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(edit.Handle(), wide.data(), len + 1);
    std::string text = Narrow(std::wstring_view(wide.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
    SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
    return text;
}

void WriteSecret(ui::Edit& edit, const std::string& text) {
    std::wstring wide = Widen(text);
    SetWindowTextW(edit.Handle(), wide.c_str());
    SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
}

// Overwrites the control's buffer in place before emptying it, so the
// password does not linger in the window's memory after it is released.
void WipeEdit(ui::Edit& edit) {
    const int len = GetWindowTextLengthW(edit.Handle());
    if (len > 0) SetWindowTextW(edit.Handle(), std::wstring(static_cast<std::size_t>(len), L' ').c_str());
    SetWindowTextW(edit.Handle(), L"");
    SendMessageW(edit.Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
}

// Keeps a label out of the dialog manager's search for accelerators, which
// does not always honour SS_NOPREFIX (Wine's does not).
LRESULT CALLBACK NoMnemonicProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_GETDLGCODE) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, NoMnemonicProc, id);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

PasswordDialogControls::PasswordDialogControls(ui::Form& form)
    : LabelFName(form, 16, 16, "ファイル名："),
      LabelFiles(form, 80, 16, "", 257),
      LabelAgain(form, 16, 48, std::string(text::kPasswordAgain)),
      LabelPW(form, 16, 48, "&P・パスワード："),
      EditPW(form, 16, 72, 321, 21, 0),
      CBoxUseMeltFTmp(form, 16, 104, 321, 17, "&U・解凍したファイルを利用する", 2),
      LabelPWCon(form, 16, 112, "&R・確認のためにもう１度入力："),
      EditPWCon(form, 14, 133, 323, 21, 1),
      CBoxStrongFormat(form, 16, 162, 321, 17, std::string(text::kStrongFormatTick), 2),
      ButtonOk(form, 176, 168, 75, 25, "&OK", 3),
      ButtonCancel(form, 256, 168, 75, 25, "&C･ｷｬﾝｾﾙ", 4),
      Hints(form) {}

PasswordDialog::PasswordDialog()
    : ui::Form(353, 206, std::string(text::kInputPWCaption), ui::BorderStyle::Dialog, ui::BorderIcons{}),
      PasswordDialogControls(static_cast<ui::Form&>(*this)) {
    // A file name is shown as it is: an '&' in it is no accelerator.
    const HWND files = LabelFiles.Handle();
    SetWindowLongPtrW(files, GWL_STYLE, GetWindowLongPtrW(files, GWL_STYLE) | SS_NOPREFIX);
    SetWindowSubclass(files, NoMnemonicProc, 0, 0);
    LabelPW.SetFocusControl(&EditPW);
    LabelPWCon.SetFocusControl(&EditPWCon);
    EditPW.SetPasswordChar(L'*');
    EditPWCon.SetPasswordChar(L'*');
    ButtonOk.SetDefault(true);
    // OK closes from its handler, only once the checks pass.
    ButtonOk.OnClick = [this] { ButtonOkClick(); };
    ButtonCancel.SetCancel(true);
    ButtonCancel.SetModalResult(ui::mrCancel);
    Hints.Add(CBoxStrongFormat, std::string(text::kStrongFormatHint));
    OnShow = [this] { FormShow(); };
}

PasswordDialog::~PasswordDialog() {
    WipeEdit(EditPW);
    WipeEdit(EditPWCon);
    SecureWipe(RememberedPW);
}

void PasswordDialog::FormShow() {
    const bool encrypt = Mode == Direction::kEncrypt;
    // Asked again: a line above the field, everything under it moved down by its row.
    LabelAgain.SetVisible(Again);
    if (Again) {
        for (ui::Control* c : std::initializer_list<ui::Control*>{&LabelPW, &EditPW, &CBoxUseMeltFTmp, &LabelPWCon,
                                                                  &EditPWCon, &CBoxStrongFormat, &ButtonOk,
                                                                  &ButtonCancel})
            c->SetTop(c->Top() + kAgainRow);
        SetClientHeight(ClientHeight() + kAgainRow);
    }
    if (encrypt) {
        SetCaption(std::string(text::kInputPWCaption) + std::string(text::kInputPWEncryptSuffix));
        CBoxUseMeltFTmp.SetChecked(false);
        CBoxUseMeltFTmp.SetVisible(false);
        // The pass's own choice: the options only say where it starts.
        CBoxStrongFormat.SetChecked(ShownOptions.StrongFormat);
    } else {
        const bool upgrading = Mode == Direction::kUpgrade;
        SetCaption(std::string(text::kInputPWCaption) +
                   std::string(upgrading ? text::kInputPWUpgradeSuffix : text::kInputPWDecryptSuffix));
        if (InputPWInitialUseMelted(Mode, ShownOptions, Files.size())) CBoxUseMeltFTmp.SetChecked(true);
        CBoxUseMeltFTmp.SetVisible(!upgrading);  // converting leaves nothing to open
        CBoxStrongFormat.SetChecked(false);
        CBoxStrongFormat.SetVisible(false);
    }
    noConfirmation_ = InputPWNoConfirmation(Mode, ShownOptions);

    if (noConfirmation_) {
        LabelPWCon.SetVisible(false);
        EditPWCon.SetVisible(false);
    }
    const InputPWCompaction c = CompactInputPW(
        {!noConfirmation_, CBoxUseMeltFTmp.Visible(), encrypt, EditPW.Bottom(), CBoxUseMeltFTmp.Top(),
         CBoxUseMeltFTmp.Bottom(), EditPWCon.Bottom(), CBoxStrongFormat.Height(), ButtonOk.Top(), ButtonOk.Height(),
         ClientHeight()});
    CBoxStrongFormat.SetTop(c.tickTop);
    ButtonOk.SetTop(c.buttonTop);
    ButtonCancel.SetTop(c.buttonTop);
    if (c.clientHeight != ClientHeight()) SetClientHeight(c.clientHeight);

    LabelFiles.SetText(InputPWFilesText(Files));

    if (ShownOptions.ShowPassword) EditPW.SetPasswordChar(0);
    if (ShownOptions.RememberPassword) WriteSecret(EditPW, RememberedPW);

    SetActiveControl(InputPWFocusConfirmation(!noConfirmation_, ShownOptions, RememberedPW) ? &EditPWCon : &EditPW);
}

void PasswordDialog::ButtonOkClick() {
    std::string password = ReadSecret(EditPW);
    std::string confirmation = noConfirmation_ ? std::string() : ReadSecret(EditPWCon);
    const auto problem =
        InputPWCheck(password, !noConfirmation_, confirmation, InputPWNeedsCp932(Mode, CBoxStrongFormat.Checked()));
    SecureWipe(password);
    SecureWipe(confirmation);
    if (problem) {
        ui::MsgBox(*problem, "", kStyleExclamation);
        // The field to type again, its text selected so that typing replaces it:
        // the confirmation when the two differ, else the password.
        (*problem == text::kPasswordsDiffer ? EditPWCon : EditPW).FocusAndSelectAll();
        return;
    }
    EndModal(ui::mrOk);
}

PasswordAnswer PasswordDialog::Answer() const {
    return {true, Secret(ReadSecret(EditPW)), CBoxUseMeltFTmp.Checked(),
            Mode == Direction::kEncrypt && CBoxStrongFormat.Checked()};
}

PasswordAnswer AskPassword(Direction mode, const Options& options, const std::vector<std::string>& files,
                           const std::string& remembered, bool again) {
    const std::unique_ptr<PasswordDialog> form = CreateQuestionDialog<PasswordDialog>();
    form->Mode = mode;
    form->ShownOptions = options;
    form->Files = files;
    form->RememberedPW = remembered;
    form->Again = again;

    const int result = form->ShowModal();
    // After Cancel the batch ends: nothing typed is handed on.
    if (result != ui::mrOk) return {false, Secret(), false, false};
    return form->Answer();  // the form wipes its fields as it is released
}

}  // namespace plivex
