// The options dialog: two pages of options over a copy of the options record,
// published whole to its owner on OK and Apply; it can reset the copy to the
// defaults and carry it to and from a settings export file.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/setting_rules.h"
#include "filesel/file_dialog_win.h"
#include "options/options_record.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "ui/hints_win.h"
#include "ui/page_control_win.h"

namespace plivex {

// The export file written or read, a failure told to the user (an empty file
// excepted); false on a failure, and then an import leaves record unchanged.
bool ExportOptions(const std::string& path, const Options& record);
bool ImportOptions(const std::string& path, Options& record);

// The dialog's controls and its file dialog: a private base of the dialog, so
// that its own code names them directly and only ControlsForTest() reaches
// them from outside.
struct OptionsDialogControls {
    explicit OptionsDialogControls(ui::Form& form);

    ui::PageControl PCSetting;
    ui::TabSheet& TaFile;
    ui::TabSheet& TaOther;
    ui::CheckBox CBoxConMeltFName;
    ui::CheckBox CBoxUseMeltF;
    ui::CheckBox CBoxUseManyMeltF;
    ui::CheckBox CBoxReencode;
    ui::CheckBox CBoxDelRawF;
    ui::CheckBox CBoxDelPvF;
    ui::CheckBox CBoxConDelUnrela;
    ui::GroupBox GBoxFOverlap;
    ui::RadioButton RButtonFOAskUser;
    ui::RadioButton RButtonFOAddNum;
    ui::CheckBox CBoxSeePW;
    ui::CheckBox CBoxRecyclePW;
    ui::CheckBox CBoxStayOnTop;
    ui::GroupBox GBoxDlgPos;
    ui::RadioButton RButtonDPSCenter;
    ui::RadioButton RButtonDPBeside;
    ui::CheckBox CBoxUseNN;
    ui::CheckBox CBoxExplorer;  // registration with Explorer, for this user
    ui::CheckBox CBoxStrongFormat;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
    ui::Button ButtonApply;
    ui::Button ButtonHelp;
    ui::Button ButtonInit;
    ui::Button ButtonImpt;
    ui::Button ButtonExpt;
    ui::Button ButtonUpgrade;  // old containers made strong
    ui::Hints Hints;

    FileDialog FileSel;
    FileDialog UpgradeSel;  // the containers and folders to convert
};

class OptionsDialog : public ui::Form, private OptionsDialogControls {
public:
    // The first creation: the copy starts from the options in force; owner
    // receives the options-changed message (lParam: the copy) on OK and Apply.
    OptionsDialog();

    // The dialog's copy of the options: what OK and Apply publish.
    Options Setting;

    // Help for the page shown, by its anchor; the owner decides how help is shown.
    std::function<void(const std::string& anchor)> OnHelp;
    // Told of the record confirmed with OK or Apply.
    std::function<void(const Options& confirmed)> OnConfirmed;
    // Told of the containers and folders chosen for conversion into the strong format.
    std::function<void(std::vector<std::string> names)> OnUpgrade;

    // Every opening: back from minimised, placed by the dialog rule, shown in front.
    void Open(ui::Form* reference);

    // The controls show the copy; the dependants follow the enabling rule.
    void SetControls();
    // The record the controls stand for; radio groups without a selection keep previous's value.
    Options ControlsToRecord(const Options& previous);

    // The chapter of the page shown, for the Help button and F1.
    std::string HelpAnchor() const override;

    // Tests and the screenshot tool drive the dialog through its controls.
    OptionsDialogControls& ControlsForTest() { return *this; }

private:
    void ApplyEnabling();
    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonApplyClick();
    void ButtonHelpClick();
    void ButtonInitClick();
    void ButtonImptClick();
    void ButtonExptClick();
    void ButtonUpgradeClick();
    void PlaceOptionControls();
    SettingView ReadView();
    void Publish();
    void ShowFileSel(FileDialog& dialog, const std::string& caption, std::function<void()> chosen);
    void ExportChosen();
    void ImportChosen();
    void ShowExplorerIntegration();
    void ApplyExplorerIntegration();

    // The controls of the options with their places in the Tab order, in the table's order.
    std::vector<std::pair<int, ui::CheckBox*>> optionBoxes_;
    bool explorerIntegrated_ = false;
};

}  // namespace plivex
