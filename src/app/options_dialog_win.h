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

// The file selection's answers to this dialog (delivered by Perform).
inline constexpr UINT kMsgExportChosen = WM_USER + 3;  // 1027: a file to export to was confirmed
inline constexpr UINT kMsgImportChosen = WM_USER + 4;  // 1028: a file to import from was confirmed

// The export file written or read, a failure told to the user (an empty file
// excepted); false on a failure, and then an import leaves record unchanged.
bool ExportOptions(const std::string& path, const Options& record);
bool ImportOptions(const std::string& path, Options& record);

class OptionsDialog : public ui::Form {
public:
    // The first creation: the copy starts from the options in force; owner
    // receives the options-changed message (lParam: the copy) on OK and Apply.
    explicit OptionsDialog(ui::Form* owner);

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
    ui::Hints Hints;

    FileDialog FileSel;
    // The dialog's copy of the options: what OK and Apply publish.
    Options Setting;

    // Help for the page shown, by its anchor; the owner decides how help is shown.
    std::function<void(const std::string& anchor)> OnHelp;

    // Every opening: back from minimised, placed by the dialog rule, shown in front.
    void Open(ui::Form* reference);

    // The controls show the copy; the dependants follow the enabling rule.
    void SetControls();
    void ApplyEnabling();
    // The record the controls stand for; radio groups without a selection keep previous's value.
    Options ControlsToRecord(const Options& previous);

    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonApplyClick();
    void ButtonHelpClick();
    // The chapter of the page shown, for the Help button and F1.
    std::string HelpAnchor() const override;
    void ButtonInitClick();
    void ButtonImptClick();
    void ButtonExptClick();

protected:
    LRESULT HandleNotification(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PlaceOptionControls();
    SettingView ReadView();
    void Publish();
    void ShowFileSel(const std::string& caption, bool mustExist, bool overwritePrompt, UINT message);
    void ExportChosen();
    void ImportChosen();
    void ShowExplorerIntegration();
    void ApplyExplorerIntegration();

    ui::Form* owner_;
    // The controls of the options with their places in the Tab order, in the table's order.
    std::vector<std::pair<int, ui::CheckBox*>> optionBoxes_;
    bool explorerIntegrated_ = false;
};

}  // namespace plivex
