// The modal window in which the password of one batch of files is typed.
#pragma once

#include <string>
#include <vector>

#include "options/custom_set.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

class TFormInputPW : public ui::Form {
public:
    TFormInputPW();
    ~TFormInputPW() override;

    // Set by the caller between creating and showing.
    int Mode = 0;  // 0 encrypt, otherwise decrypt
    TCustomSet Options;
    std::vector<std::string> Files;  // UTF-8 full paths, at least one
    std::string RememberedPW;

    ui::Label LabelFName;
    ui::Label LabelFiles;
    ui::Label LabelPW;
    ui::Edit EditPW;
    ui::CheckBox CBoxUseMeltFTmp;
    ui::Label LabelPWCon;
    ui::Edit EditPWCon;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;

    void FormShow();
    void ButtonOkClick();

    // Whether OK asks for the second field; decided when shown.

private:
    bool noConfirmation_ = false;
};

struct PasswordAnswer {
    int result;            // ui::mrOk or ui::mrCancel
    std::string password;  // UTF-8; empty after Cancel
    bool useMelted;        // open the decrypted files at once
};

// Creates, places and shows the dialog for one batch, reads it and releases it.
// The caller wipes the password (SecureWipe) once the key string is formed.
PasswordAnswer AskPassword(int mode, const TCustomSet& options, const std::vector<std::string>& files,
                           const std::string& remembered);

}  // namespace plivex
