// The overwrite confirmation: what to do when an output file already exists.
#pragma once

#include <string>

#include "codec/codec.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

// The dialog's controls: a private base of the dialog, so that its own code
// names them directly and only ControlsForTest() reaches them from outside.
struct OverwriteDialogControls {
    explicit OverwriteDialogControls(ui::Form& form);

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
};

class OverwriteDialog : public ui::Form, private OverwriteDialogControls {
public:
    OverwriteDialog();

    // Full path of the existing file, set before showing; after Rename the new full path.
    std::string TargetPath;

    // Tests and the screenshot tool drive the dialog through its controls.
    OverwriteDialogControls& ControlsForTest() { return *this; }

private:
    // Shows the existing file's name and proposes it as the new name.
    void FormShow();
    // Folder of the target path + the typed name; an existing file is overwritten only when confirmed.
    void ButtonRenameClick();
};

// Its modal results are the codec's answers to a clash, as CodecResult's
// values: Yes kOverwrite, No kSkipped, All yes kOverwriteAll, All no kSkipAll,
// Cancel kFailed, Rename kRenamed.

// Creates, places and shows the dialog for the existing file at path, and
// releases it; on kRenamed path holds the new full path.
CodecResult AskOverwriteWithDialog(std::string& path);

}  // namespace plivex
