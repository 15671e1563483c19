// The modal window in which the password of one batch of files is typed.
#pragma once

#include <string>
#include <vector>

#include "base/direction.h"
#include "base/secret.h"
#include "options/options_record.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "ui/hints_win.h"

namespace plivex {

struct PasswordAnswer {
    bool ok;                // OK, not Cancel
    Secret password;        // UTF-8; empty after Cancel
    bool useMelted;         // open the decrypted files at once
    bool strongFormat;      // encrypting: write the strong format
};

// The dialog's controls: a private base of the dialog, so that its own code
// names them directly and only ControlsForTest() reaches them from outside.
struct PasswordDialogControls {
    explicit PasswordDialogControls(ui::Form& form);

    ui::Label LabelFName;
    ui::Label LabelFiles;
    ui::Label LabelAgain;
    ui::Label LabelPW;
    ui::Edit EditPW;
    ui::CheckBox CBoxUseMeltFTmp;
    ui::Label LabelPWCon;
    ui::Edit EditPWCon;
    // Encrypting: the format this pass writes, starting as the options say.
    ui::CheckBox CBoxStrongFormat;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
    ui::Hints Hints;
};

class PasswordDialog : public ui::Form, private PasswordDialogControls {
public:
    PasswordDialog();
    ~PasswordDialog() override;

    // Set by the caller between creating and showing.
    Direction Mode = Direction::kEncrypt;
    Options ShownOptions;
    std::vector<std::string> Files;  // UTF-8 full paths, at least one
    std::string RememberedPW;
    bool Again = false;  // the last password did not open the file: said above the field

    // After OK: the password typed and what was ticked.
    PasswordAnswer Answer() const;

    // Tests and the screenshot tool drive the dialog through its controls.
    PasswordDialogControls& ControlsForTest() { return *this; }

private:
    void FormShow();
    void ButtonOkClick();

    bool noConfirmation_ = false;  // whether OK asks for the second field; decided when shown
};

// Creates, places and shows the dialog for one batch, reads it and releases it.
PasswordAnswer AskPassword(Direction mode, const Options& options, const std::vector<std::string>& files,
                           const std::string& remembered, bool again = false);

}  // namespace plivex
