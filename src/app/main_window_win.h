// The main window: a drop target with Browse, four tool buttons and a status bar.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/options_dialog_win.h"
#include "base/secret.h"
#include "dialogs/about_box_win.h"
#include "filesel/file_dialog_win.h"
#include "monitor/watched_apps.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "ui/status_bar_win.h"
#include "ui/tool_button_win.h"
#include "version.h"

namespace plivex {

inline constexpr const char* kAppVersion = "Ver " PLIVEX_VERSION_STRING;
inline constexpr const char* kCopyright = "Copyright (C) 2026 Plivex Project";

// The window's controls, the dialogs it opens and its monitor timer: a private
// base of the window, so that its own code names them directly and only
// ControlsForTest() reaches them from outside.
struct MainWindowControls {
    explicit MainWindowControls(ui::Form& form);

    ui::Label Label1;
    ui::Button ButtonRefer;
    ui::ToolButton SButtonSetting;
    ui::ToolButton SButtonHelp;
    ui::ToolButton SButtonHomePage;
    ui::ToolButton SButtonAbout;
    ui::StatusBar SBar;

    FileDialog FileSel;
    AboutBox AboutDialog;
    // The options dialog, made on first use and kept for the run.
    std::unique_ptr<OptionsDialog> FormSetting;
    ui::Timer TimerProsMon;
};

class MainWindow : public ui::Form, private MainWindowControls {
public:
    MainWindow();

    // The password the next prompt offers; wiped whenever it is replaced or cleared.
    Secret LastPW;
    CommandLineFlags Flags;
    // Applications opened on melted files, polled by TimerProsMon once a second.
    WatchedApps Watched;

    // Every list of dropped or chosen files goes here, in the order given.
    std::function<void(std::vector<std::string>)> OnFiles;
    // The containers and folders chosen in the options dialog for conversion into the strong format.
    std::function<void(std::vector<std::string>)> OnUpgrade;
    // Called at the end of every monitor tick.
    std::function<void()> OnTick;

    // Applies the options in force: forgets LastPW unless RememberPassword, stays on top by StayOnTop.
    void ApplyOptions();

    void SetStatusText(const std::string& text);
    void ShowStatusOptionsChanged();
    void ShowStatusHelpShown();
    void ShowStatusAbout();
    void ShowStatusOptionsImported();
    void ShowStatusReencoded(const std::string& fileName);

    // The folder Browse opens in, kept between runs.
    const std::string& BrowseFolder() const { return FileSel.InitialFolder(); }
    void SetBrowseFolder(const std::string& folder) { FileSel.SetInitialFolder(folder); }

    // After a melt the user asked to open: start its application and, with
    // ReencryptAfterUse, watch it so the file is encrypted again when it ends.
    // key is what melted the file: the re-encryption writes the container's own format with it.
    void OpenMelted(const std::string& plain, const ContainerKey& key);
    // Whether the window may close: asks while files wait for re-encryption.
    bool FormCloseQuery();

    // Tests and the screenshot tool drive the window through its controls.
    MainWindowControls& ControlsForTest() { return *this; }

protected:
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged() override { FitDropText(); }

private:
    void FitDropText();
    void TimerProsMonTimer();
    void ButtonReferClick();
    void SButtonSettingClick();
    // The options dialog's OK or Apply: the record is taken over, applied and reported.
    void OptionsConfirmed(const Options& confirmed);
    void SButtonHelpClick();
    void SButtonHomePageClick();
    void SButtonAboutClick();
    void HandOver(std::vector<std::string> files);
};

}  // namespace plivex
