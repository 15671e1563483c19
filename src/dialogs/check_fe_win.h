// The overwrite confirmation: what to do when an output file already exists.
#pragma once

#include <string>

#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

class TFormCheckFE : public ui::Form {
public:
    TFormCheckFE();

    // Full path of the existing file, set before showing; after Rename the new full path.
    std::string TargetPath;

    ui::Label Label1;
    ui::Label LabelFName;
    ui::Label Label2;
    ui::Button ButtonYes;
    ui::Button ButtonNo;
    ui::Button ButtonCancel;
    ui::Button ButtonAllYes;
    ui::Button ButtonAllNo;
    ui::Button ButtonRename;
    ui::Edit EditFName;

    // Shows the existing file's name and proposes it as the new name.
    void FormShow();
    // Folder of the target path + the typed name; an existing file is overwritten only when confirmed.
    void ButtonRenameClick();
};

// Its modal results are the codec's answers to a clash (CodecResult): Yes 1,
// No 2, All yes 3, All no 4, Cancel 5, Rename 6.

// Creates, places and shows the dialog for the existing file at path, and
// releases it. Returns 1..6; on 6 path holds the new full path.
int AskOverwriteWithDialog(std::string& path);

}  // namespace plivex
