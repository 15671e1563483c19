#include "app/main_window_win.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/batch.h"
#include "app/codec_ui_win.h"
#include "app/batch_driver_win.h"
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

// How often the applications opened on melted files are looked at, in ms.
constexpr unsigned kWatchInterval = 1000;

MainWindowControls::MainWindowControls(ui::Form& form)
    : Label1(form, 8, 13, "ここにファイルをドロップして下さい"),
      ButtonRefer(form, 192, 8, 75, 25, "&R･参照", 0),
      SButtonSetting(form, 8, 40, 30, 30, "SETTING_BMP", "設定", 1),
      SButtonHelp(form, 40, 40, 30, 30, "HELP_BMP", "ヘルプ", 2),
      SButtonHomePage(form, 72, 40, 30, 30, "HOMEPAGE_BMP", "作者のホームページ", 3),
      SButtonAbout(form, 136, 40, 30, 30, "ABOUT_BMP", "バージョン情報", 4),
      SBar(form),
      TimerProsMon(kWatchInterval) {}

// Text does not always grow with the DPI as the design does: where the drop
// text reaches the Browse button, the button, and the window with it, move
// right so that nothing is cut (at 192 DPI with some fonts).
void MainWindow::FitDropText() {
    constexpr int kReferLeft = 192, kClientWidth = 275;
    const int left = std::max(kReferLeft, Label1.Right() - 1);  // a fitted label ends one pixel after its text
    ButtonRefer.SetLeft(left);
    SetClientSize(kClientWidth + left - kReferLeft, ClientHeight());
}

MainWindow::MainWindow()
    : Form(275, 94, std::string(kAppTitle), ui::BorderStyle::Single, ui::BorderIcons{true, true, false, false}),
      MainWindowControls(static_cast<ui::Form&>(*this)),
      Watched(SameProgramPath) {
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
    FileSel.SetOnChosen(AsOwnHandler([this] { HandOver(FileSel.FileList()); }));

    AboutDialog.SetAppName(std::string(kAppTitle));
    AboutDialog.SetAppVer(kAppVersion);
    AboutDialog.SetCright(kCopyright);

    FitDropText();
    DragAcceptFiles(Handle(), TRUE);
}

void MainWindow::ApplyOptions() {
    const Options& options = OptionsInForce();
    if (!options.RememberPassword) LastPW = Secret();
    SetStayOnTop(options.StayOnTop);
}

void MainWindow::SetStatusText(const std::string& text) { SBar.SetSimpleText(text); }
void MainWindow::ShowStatusOptionsChanged() { SetStatusText("設定を変更しました。"); }
void MainWindow::ShowStatusHelpShown() { SetStatusText("ヘルプを表示しました。"); }
void MainWindow::ShowStatusAbout() { SetStatusText(AboutDialog.AppName() + "  " + AboutDialog.AppVer()); }
void MainWindow::ShowStatusOptionsImported() { SetStatusText("外持ファイルから設定を読み込みました。"); }
void MainWindow::ShowStatusReencoded(const std::string& fileName) {
    SetStatusText(std::string(text::kReencryptLabel) + fileName);
}

void MainWindow::OpenMelted(const std::string& plain, const ContainerKey& key) {
    std::string appPath;
    ProcessRef process;
    if (!OpenWithApp(plain, appPath, process, Watched)) return;
    if (OptionsInForce().ReencryptAfterUse) Watched.AddEntry(plain, appPath, key, std::move(process));
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

void MainWindow::TimerProsMonTimer() {
    // A re-encryption waits while a batch runs (it handles messages as it
    // converts): it would nest inside it.
    if (!BatchIdle()) return;
    // Off while the codec may show a modal question, so no tick runs inside another.
    TimerProsMon.SetEnabled(false);
    ReencryptUi ui;
    const Options options = OptionsInForce();  // one tick's rules, whatever a question meanwhile lets change
    Codec codec(SystemFiles(), ui, options);
    std::optional<PassProgress> progress;  // only when a file is encrypted again
    Watched.Poll(
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
    if (Flags.Quit && Watched.Empty()) {
        Close();
        if (!Visible()) return;
    }
    TimerProsMon.SetEnabled(true);
    if (OnTick) OnTick();
}

bool MainWindow::FormCloseQuery() {
    if (Watched.Empty()) return true;
    const std::vector<std::string> open = Watched.Files();
    if (ui::MsgBox(text::ConfirmCloseWhileInUse(open), "", kStyleYesNo | kDefaultNo) != MsgAnswer::kYes) return false;
    // The plain files stay as they are; their applications keep running. The
    // next start reminds the user of them.
    AddUnprotected(open);
    Watched.Clear();
    return true;
}

void MainWindow::ButtonReferClick() {
    try {
        FileSel.Create();
        PlaceDialogComponent(this, FileSel);
        FileSel.Show();
    } catch (const DialogCreateError&) {
        // The user was told already; the command is simply abandoned.
    }
}

void MainWindow::SButtonAboutClick() {
    try {
        AboutDialog.Create();
        PlaceDialogComponent(this, AboutDialog);
        AboutDialog.Show();
        ShowStatusAbout();
    } catch (const DialogCreateError&) {
    }
}

void MainWindow::SButtonSettingClick() {
    if (!FormSetting) {
        ui::BusyCursor busy;
        FormSetting = std::make_unique<OptionsDialog>();
        FormSetting->OnConfirmed = [this](const Options& confirmed) {
            AsOwnHandler([&] { OptionsConfirmed(confirmed); })();
        };
        FormSetting->OnUpgrade = [this](std::vector<std::string> names) {
            AsOwnHandler([&] {
                if (OnUpgrade) OnUpgrade(std::move(names));
            })();
        };
        // The help of the options in force, not of the dialog's unconfirmed copy.
        FormSetting->OnHelp = [](const std::string& anchor) {
            ShowHelp(std::string(help::kHelpFileName), anchor, OptionsInForce().UseNetscapeForHelp);
        };
    }
    FormSetting->Open(this);
}

void MainWindow::SButtonHelpClick() {
    if (ShowHelp(std::string(help::kHelpFileName), std::string(help::kAnchorMain), OptionsInForce().UseNetscapeForHelp))
        ShowStatusHelpShown();
}
void MainWindow::SButtonHomePageClick() { OpenHomePage(std::string(help::kHomePageAddress)); }

void MainWindow::HandOver(std::vector<std::string> files) {
    if (OnFiles) OnFiles(std::move(files));
}

std::optional<LRESULT> MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_DROPFILES) {
        HandOver(DropFiles(reinterpret_cast<HDROP>(wParam)));
        return 0;
    }
    return std::nullopt;
}

void MainWindow::OptionsConfirmed(const Options& confirmed) {
    OptionsInForce() = confirmed;
    ApplyOptions();
    ShowStatusOptionsChanged();
}

}  // namespace plivex
