#include "app/options_dialog_win.h"

#include <string>

#include "app/explorer_win.h"
#include "app/main_window_win.h"
#include "app/help.h"
#include "app/settings_win.h"
#include "base/texts.h"
#include "codec/codec.h"
#include "codec/texts.h"
#include "dialogs/password_dialog.h"
#include "dialogs/place_win.h"
#include "options/export_file.h"
#include "options/export_file_win.h"
#include "options/options.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

// What the user reads when an export file fails; empty for a failure kept silent.
std::string ExportFailureText(const std::string& path, const ExportFileResult& result) {
    const std::string reason = result.reason.empty() ? "" : "\n" + result.reason;
    switch (result.error) {
        case ExportFileError::kNone:
        case ExportFileError::kNoLines:
            return "";
        case ExportFileError::kCannotWrite:
            return "ファイルに保存できません。\n" + path + reason;
        case ExportFileError::kCannotRead:
            return "外持ファイルにアクセスできません。\n" + path + reason;
        case ExportFileError::kNotExport:
            return "設定を読み込むことができません。\n" + path +
                   "\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。";
    }
    return "";
}

bool Reported(const std::string& path, const ExportFileResult& result) {
    if (result) return true;
    const std::string text = ExportFailureText(path, result);
    if (!text.empty()) ui::MsgBox(text, "", kStyleExclamation);
    return false;
}

}  // namespace

bool ExportOptions(const std::string& path, const Options& record) {
    return Reported(path, WriteExportFile(path, record));
}

bool ImportOptions(const std::string& path, Options& record) {
    return Reported(path, ReadExportFile(path, record));
}

OptionsDialogControls::OptionsDialogControls(ui::Form& form)
    : PCSetting(form, 8, 8, 296, 320, 0),
      TaFile(PCSetting.AddPage("ファイル")),
      TaOther(PCSetting.AddPage("その他")),
      CBoxConMeltFName(form, 20, 40, 248, 17, "&F・解凍する前にファイル名を確認",
                       ControlOf(&Options::ConfirmMeltedName)),
      CBoxUseMeltF(form, 20, 64, 248, 17, "&U・解凍したファイルを即座に利用", ControlOf(&Options::OpenMeltedFile)),
      CBoxUseManyMeltF(form, 36, 88, 224, 17, "&M・複数解凍した時も利用", ControlOf(&Options::OpenManyMeltedFiles)),
      CBoxReencode(form, 36, 112, 224, 17, "&R・利用後に再び暗号化", ControlOf(&Options::ReencryptAfterUse)),
      CBoxDelRawF(form, 20, 136, 248, 17, "&P・暗号化する時に元のファイルを削除", ControlOf(&Options::DeleteSourceAfterEncrypt)),
      CBoxDelPvF(form, 20, 160, 248, 17, "&S・解凍する時に暗号化ファイルを削除", ControlOf(&Options::DeleteContainerAfterMelt)),
      CBoxConDelUnrela(form, 36, 184, 224, 17, "&L・関連づけられていない場合は確認",
                       ControlOf(&Options::AskBeforeDeletingUnassociated)),
      GBoxFOverlap(form, 20, 216, 249, 81, "ファイル名が重複する場合"),
      RButtonFOAskUser(form, 36, 240, 224, 17, "&Q・ユーザーに尋ねる", ControlOf(&Options::OnNameClash, kAskAtClash),
                       true),
      RButtonFOAddNum(form, 36, 264, 224, 17, "&N・番号を付加する", ControlOf(&Options::OnNameClash, kNumberAtClash), false),
      CBoxSeePW(form, 20, 40, 248, 17, "&V・パスワードを見えるようにする", ControlOf(&Options::ShowPassword)),
      CBoxRecyclePW(form, 20, 64, 248, 17, "&R・起動中はパスワードを再利用", ControlOf(&Options::RememberPassword)),
      CBoxStayOnTop(form, 20, 88, 248, 17, "&T・常に手前に表示", ControlOf(&Options::StayOnTop)),
      GBoxDlgPos(form, 20, 120, 249, 81, "ダイアログの表示位置"),
      RButtonDPSCenter(form, 36, 144, 224, 17, "&S・画面中央", ControlOf(&Options::DialogPlacement, kDialogsCentred), true),
      RButtonDPBeside(form, 36, 168, 224, 17, "&B・メインウィンドウのそば", ControlOf(&Options::DialogPlacement, kDialogsBesideOpener),
                      false),
      CBoxUseNN(form, 20, 216, 248, 17, "&N・ヘルプブラウザとしてＮetscapeを使用", ControlOf(&Options::UseNetscapeForHelp)),
      CBoxExplorer(form, 20, 240, 248, 17, "&X・エクスプローラーと連携する", 16),
      CBoxStrongFormat(form, 20, 264, 248, 17, std::string(text::kStrongFormatTick),
                       ControlOf(&Options::StrongFormat)),
      ButtonOk(form, 312, 8, 104, 25, "&OK", 18),
      ButtonCancel(form, 312, 40, 104, 25, "&C・キャンセル", 19),
      ButtonApply(form, 312, 72, 104, 25, "&A・適用", 20),
      ButtonHelp(form, 312, 112, 104, 25, "&H・ヘルプ", 21),
      ButtonInit(form, 312, 239, 104, 25, "&D・デフォルト", 22),
      ButtonImpt(form, 312, 271, 104, 25, "&I・インポート", 23),
      ButtonExpt(form, 312, 303, 104, 25, "&E・エクスポート", 24),
      // The page is as wide as this button's words need.
      ButtonUpgrade(form, 20, 292, 276, 25, std::string(text::kUpgradeButton), 25),
      Hints(form) {
    PCSetting.SetAccessibleName("設定のページ");  // the tabs show no text of their own
}

OptionsDialog::OptionsDialog()
    : Form(424, 336, std::string(kAppTitle) + "の設定", ui::BorderStyle::Single,
           ui::BorderIcons{true, true, false, false}),
      OptionsDialogControls(static_cast<ui::Form&>(*this)),
      Setting(OptionsInForce()) {
    TaFile.Add(GBoxFOverlap);
    TaOther.Add({&GBoxDlgPos, &CBoxExplorer, &ButtonUpgrade});
    PlaceOptionControls();

    ButtonOk.SetDefault(true);
    ButtonCancel.SetCancel(true);
    Hints.Add(ButtonOk, "新たな設定を有効にします");
    Hints.Add(ButtonCancel, "設定変更を中止し、今までの設定を使用します");
    Hints.Add(ButtonApply, "ダイアログを閉じずに、新たな設定を有効にします");
    Hints.Add(ButtonHelp, "ヘルプを表示します");
    Hints.Add(ButtonInit, "ＱＵＯＲＶＡの標準設定に戻します");
    Hints.Add(ButtonImpt, "外持ファイルから設定を読み込みます");
    Hints.Add(ButtonExpt, "現在の設定を外持ファイルにバックアップします");
    Hints.Add(CBoxExplorer, "暗号化ファイルをダブルクリックで開き、「送る」メニューからファイルを渡せるようにします");
    Hints.Add(CBoxStrongFormat, std::string(text::kStrongFormatHint));
    Hints.Add(ButtonUpgrade, "従来の形式の暗号化ファイルを、名前はそのままで新しい形式に作り直します");

    ButtonOk.OnClick = [this] { ButtonOkClick(); };
    ButtonCancel.OnClick = [this] { ButtonCancelClick(); };
    ButtonApply.OnClick = [this] { ButtonApplyClick(); };
    ButtonHelp.OnClick = [this] { ButtonHelpClick(); };
    ButtonInit.OnClick = [this] { ButtonInitClick(); };
    ButtonImpt.OnClick = [this] { ButtonImptClick(); };
    ButtonExpt.OnClick = [this] { ButtonExptClick(); };
    ButtonUpgrade.OnClick = [this] { ButtonUpgradeClick(); };
    CBoxUseMeltF.OnClick = [this] { ApplyEnabling(); };
    CBoxDelPvF.OnClick = [this] { ApplyEnabling(); };
    OnShow = [this] {
        SetControls();
        ShowExplorerIntegration();
    };
    // However the window closes, its file dialog goes with it.
    OnCloseQuery = [this] {
        if (FileSel.IsCreated()) FileSel.Hide();
        if (UpgradeSel.IsCreated()) UpgradeSel.Hide();
        return true;
    };

    ui::Application::Get().BringToFront();
    PCSetting.SetActivePage(TaFile);
    // The export type comes first, before the component's own "all files".
    FileSel.AddFileType("外持ファイル", "*." + std::string(kExportExt), 0);
    FileSel.SetInitialFolder(SavedWindowState().ExportFolder);
    // Containers, and folders of them: OK with no name typed takes the folder shown.
    UpgradeSel.SetMultiSelect(true);
    UpgradeSel.SetFileMustExist(true);
    UpgradeSel.SetFoldersChosen(true);
    UpgradeSel.AddFileType("暗号ファイル", "*." + std::string(kContainerExt), 0);
    UpgradeSel.SetOnChosen(AsOwnHandler([this] {
        if (OnUpgrade) OnUpgrade(UpgradeSel.FileList());
    }));
}

void OptionsDialog::Open(ui::Form* reference) {
    // Cancel, Esc and the close box drop what was not applied (Default and
    // Import included): every opening starts from the options in force.
    if (!Visible()) Setting = OptionsInForce();
    Restore();
    PlaceDialogForm(reference, *this);
    Show();
    BringToFront();
}

// Every option's check box or radio buttons, found by the places in the Tab
// order the table gives them, each on the page the table names.
void OptionsDialog::PlaceOptionControls() {
    for (const OptionSpec& o : kOptionSpecs) {
        for (int place : o.Controls()) {
            for (ui::Control* c : Controls()) {
                auto* box = c->TabOrder() == place ? dynamic_cast<ui::CheckBox*>(c) : nullptr;
                if (!box) continue;
                (o.page == OptionPage::kFile ? TaFile : TaOther).Add(*box);
                optionBoxes_.emplace_back(place, box);
            }
        }
    }
}

SettingView OptionsDialog::ReadView() {
    SettingView v;
    for (const auto& [place, box] : optionBoxes_) v[place] = box->Checked();
    return v;
}

void OptionsDialog::SetControls() {
    const SettingView v = ViewFromRecord(Setting);
    for (const auto& [place, box] : optionBoxes_) box->SetChecked(v[place]);
    ApplyEnabling();
}

void OptionsDialog::ApplyEnabling() {
    const SettingView v = ReadView();
    for (const auto& [place, box] : optionBoxes_)
        if (IsDependant(place)) box->SetEnabled(IsEnabled(v, place));
}

Options OptionsDialog::ControlsToRecord(const Options& previous) {
    return RecordFromView(ReadView(), previous);
}

void OptionsDialog::Publish() {
    if (OnConfirmed) OnConfirmed(Setting);
}

// Not an option of the record: the tick shows what is registered for this
// user, and OK and Apply change that only when the tick was changed.
void OptionsDialog::ShowExplorerIntegration() {
    explorerIntegrated_ = ExplorerIntegrated();
    CBoxExplorer.SetChecked(explorerIntegrated_);
}

void OptionsDialog::ApplyExplorerIntegration() {
    if (CBoxExplorer.Checked() == explorerIntegrated_) return;
    if (CBoxExplorer.Checked()) IntegrateWithExplorer();
    else RemoveExplorerIntegration();
    ShowExplorerIntegration();
}

void OptionsDialog::ButtonOkClick() {
    Setting = ControlsToRecord(Setting);
    ApplyExplorerIntegration();
    Close();
    Publish();
}

void OptionsDialog::ButtonCancelClick() { Close(); }

void OptionsDialog::ButtonApplyClick() {
    Setting = ControlsToRecord(Setting);
    ApplyExplorerIntegration();
    Publish();
}

std::string OptionsDialog::HelpAnchor() const {
    return std::string(TaFile.Active() ? help::kAnchorFileTab : help::kAnchorOtherTab);
}

void OptionsDialog::ButtonHelpClick() {
    if (OnHelp) OnHelp(HelpAnchor());
}

void OptionsDialog::ButtonInitClick() {
    Setting = Options();
    SetControls();
}

// The file dialog with the caption; chosen runs once a file is chosen.
void OptionsDialog::ShowFileSel(FileDialog& dialog, const std::string& caption, std::function<void()> chosen) {
    dialog.SetCaption(caption);
    if (chosen) dialog.SetOnChosen(std::move(chosen));
    try {
        dialog.Create();
        PlaceDialogComponent(this, dialog);
        dialog.RefreshDialog();
        dialog.Show();
    } catch (const DialogCreateError&) {
        // The user was told already; the command is simply abandoned.
    }
}

void OptionsDialog::ButtonExptClick() {
    FileSel.SetFileMustExist(false);
    FileSel.SetOverwritePrompt(true);
    ShowFileSel(FileSel, "設定を外持ファイルに保存", AsOwnHandler([this] { ExportChosen(); }));
}

void OptionsDialog::ButtonImptClick() {
    FileSel.SetFileMustExist(true);
    FileSel.SetOverwritePrompt(false);
    ShowFileSel(FileSel, "外持ファイルから設定を読み込む", AsOwnHandler([this] { ImportChosen(); }));
}

void OptionsDialog::ButtonUpgradeClick() {
    ShowFileSel(UpgradeSel, "従来の形式のファイルを新しい形式に変換", nullptr);
}

void OptionsDialog::ExportChosen() {
    SavedWindowState().ExportFolder = FileSel.InitialFolder();
    // What the controls show, applied or not.
    ExportOptions(FileSel.FileName(), ControlsToRecord(Options()));
}

void OptionsDialog::ImportChosen() {
    SavedWindowState().ExportFolder = FileSel.InitialFolder();
    // An older file lacks later fields: they keep the defaults, not the copy's values.
    Options imported;
    if (!ImportOptions(FileSel.FileName(), imported)) return;
    Setting = imported;
    SetControls();
}

}  // namespace plivex
