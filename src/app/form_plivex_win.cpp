#include "app/form_plivex_win.h"

#include <cstdint>
#include <limits>

#include "app/batch.h"
#include "app/codec_ui_win.h"
#include "app/deal_win.h"
#include "app/help_win.h"
#include "app/instance_win.h"
#include "app/pass_progress_win.h"
#include "codec/codec.h"
#include "codec/texts.h"
#include "dialogs/place_win.h"
#include "monitor/open_with_win.h"
#include "monitor/texts.h"
#include "options/options.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

TFormPlivex::TFormPlivex()
    : Form(275, 94, std::string(kAppTitle), ui::BorderStyle::Single, ui::BorderIcons{true, true, false, false}),
      Label1(*this, 8, 13, "ここにファイルをドロップして下さい"),
      ButtonRefer(*this, 192, 8, 75, 25, "&R･参照", 0),
      SButtonSetting(*this, 8, 40, 30, 30, "SETTING_BMP", "設定", 1),
      SButtonHelp(*this, 40, 40, 30, 30, "HELP_BMP", "ヘルプ", 2),
      SButtonHomePage(*this, 72, 40, 30, 30, "HOMEPAGE_BMP", "作者のホームページ", 3),
      SButtonAbout(*this, 136, 40, 30, 30, "ABOUT_BMP", "バージョン情報", 4),
      SBar(*this),
      ProsMonList(SameProgramPath),
      TimerProsMon(1000) {
    TimerProsMon.OnTimer = [this] { TimerProsMonTimer(); };
    TimerProsMon.SetEnabled(true);
    ButtonRefer.SetDefault(true);
    ButtonRefer.OnClick = [this] { ButtonReferClick(); };
    SButtonSetting.OnClick = [this] { SButtonSettingClick(); };
    SButtonHelp.OnClick = [this] { SButtonHelpClick(); };
    SButtonHomePage.OnClick = [this] { SButtonHomePageClick(); };
    SButtonAbout.OnClick = [this] { SButtonAboutClick(); };

    FileSel.SetMultiSelect(true);
    FileSel.SetFileMustExist(true);
    // The largest index appends the type after the constructor's "all files".
    FileSel.AddFileType("暗号ファイル", "*.pvx", std::numeric_limits<std::int32_t>::max());
    FileSel.SetNotifyMessage(kMsgFilesChosen);
    FileSel.SetNotifyControl(this);

    AboutDialog.SetAppName(std::string(kAppTitle));
    AboutDialog.SetAppVer(kAppVersion);
    AboutDialog.SetCright(kCopyright);

    DragAcceptFiles(Handle(), TRUE);
}

void TFormPlivex::ApplyOptions() {
    const TCustomSet& options = CustomSet();
    if (!options.RecyclePW) LastPW = Secret();
    SetStayOnTop(options.StayOnTop);
}

void TFormPlivex::SetStatusText(const std::string& text) { SBar.SetSimpleText(text); }
void TFormPlivex::ShowStatusOptionsChanged() { SetStatusText("設定を変更しました。"); }
void TFormPlivex::ShowStatusHelpShown() { SetStatusText("ヘルプを表示しました。"); }
void TFormPlivex::ShowStatusAbout() { SetStatusText(AboutDialog.AppName() + "  " + AboutDialog.AppVer()); }
void TFormPlivex::ShowStatusOptionsImported() { SetStatusText("外持ファイルから設定を読み込みました。"); }
void TFormPlivex::ShowStatusReencoded(const std::string& fileName) {
    SetStatusText(std::string(text::kReencryptLabel) + fileName);
}

void TFormPlivex::OpenMelted(const std::string& plain, const ContainerKey& key) {
    std::string appPath;
    ProcessRef process;
    if (!OpenWithApp(plain, appPath, process, ProsMonList)) return;
    if (CustomSet().Reencode) ProsMonList.AddEntry(plain, appPath, key, std::move(process));
}

namespace {

// A re-encryption's failures are told as such, above what failed.
class ReencryptUi : public WinCodecUi {
public:
    void ReportError(const CodecReport& report) override {
        BoxMessage box = BoxForReport(report);
        box.text = std::string(text::kReencryptFailed) + "\n" + box.text;
        Show(box);
    }
};

}  // namespace

void TFormPlivex::TimerProsMonTimer() {
    // A re-encryption waits while a batch runs (it handles messages as it
    // converts): it would nest inside it.
    if (!DealIdle()) return;
    // Off while the codec may show a modal question, so no tick runs inside another.
    TimerProsMon.SetEnabled(false);
    ReencryptUi ui;
    const TCustomSet options = CustomSet();  // one tick's rules, whatever a question meanwhile lets change
    Codec codec(SystemFiles(), ui, options);
    std::optional<PassProgress> progress;  // only when a file is encrypted again
    ProsMonList.Poll(
        codec, [this](const std::string& fileName) { ShowStatusReencoded(fileName); },
        [&](const std::string& path) {
            if (!progress) {
                progress.emplace(text::kReencryptLabel, std::vector<std::string>());
                codec.SetProgress(&*progress);
            }
            progress->BeginFile(path);
        },
        [](const std::string& path) {
            // A program waiting minimised under /Q closes by itself afterwards: say it while it can.
            ui::MsgBox(text::ReencryptionStopped(path), "", kStyleExclamation);
        });
    codec.SetProgress(nullptr);
    progress.reset();
    if (const text::UndeletedFiles kept = codec.TakeNotDeleted(); !kept.empty())
        ui::MsgBox(text::NotDeleted(kept), "", kStyleExclamation);
    if (CLParam.Quit && ProsMonList.Empty()) {
        Close();
        if (!Visible()) return;
    }
    TimerProsMon.SetEnabled(true);
    if (OnTick) OnTick();
}

bool TFormPlivex::FormCloseQuery() {
    if (ProsMonList.Empty()) return true;
    const std::vector<std::string> open = ProsMonList.Files();
    if (ui::MsgBox(text::ConfirmCloseWhileInUse(open), "", kStyleYesNo | kDefaultNo) != MsgAnswer::kYes) return false;
    // The plain files stay as they are; their applications keep running. The
    // next start reminds the user of them.
    AddUnprotected(open);
    ProsMonList.Clear();
    return true;
}

void TFormPlivex::ButtonReferClick() {
    try {
        FileSel.Create();
        PlaceDialogComponent(this, FileSel);
        FileSel.Show();
    } catch (const DialogCreateError&) {
        // The user was told already; the command is simply abandoned.
    }
}

void TFormPlivex::SButtonAboutClick() {
    try {
        AboutDialog.Create();
        PlaceDialogComponent(this, AboutDialog);
        AboutDialog.Show();
        ShowStatusAbout();
    } catch (const DialogCreateError&) {
    }
}

void TFormPlivex::SButtonSettingClick() {
    if (!FormSetting) {
        ui::BusyCursor busy;
        FormSetting = std::make_unique<TFormSetting>(this);
        // The help of the options in force, not of the dialog's unconfirmed copy.
        FormSetting->OnHelp = [](const std::string& anchor) {
            ShowHelp(std::string(help::kHelpFileName), anchor, CustomSet().UseNN);
        };
    }
    FormSetting->Open(this);
}

void TFormPlivex::SButtonHelpClick() {
    if (ShowHelp(std::string(help::kHelpFileName), std::string(help::kAnchorMain), CustomSet().UseNN))
        ShowStatusHelpShown();
}
void TFormPlivex::SButtonHomePageClick() { OpenHomePage(std::string(help::kHomePageAddress)); }

void TFormPlivex::HandOver(std::vector<std::string> files) {
    if (OnFiles) OnFiles(std::move(files));
}

std::optional<LRESULT> TFormPlivex::HandleMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_DROPFILES) {
        HandOver(DropFiles(reinterpret_cast<HDROP>(wParam)));
        return 0;
    }
    return std::nullopt;
}

LRESULT TFormPlivex::HandleNotification(UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case kMsgFilesChosen:
        HandOver(FileSel.FileList());
        break;
    case kMsgOptionsChanged:
        if (lParam) {
            CustomSet() = *reinterpret_cast<const TCustomSet*>(lParam);
            ApplyOptions();
            ShowStatusOptionsChanged();
        }
        break;
    default:
        break;
    }
    return 0;
}

}  // namespace plivex
