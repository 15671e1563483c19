#include "screenshot_scenes_win.h"

#include "app/main_window_win.h"
#include "app/options_dialog_win.h"
#include "dialogs/about_box_win.h"
#include "dialogs/overwrite_dialog_win.h"
#include "dialogs/password_dialog_win.h"
#include "dialogs/progress_dialog_win.h"
#include "filesel/file_dialog_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"

namespace plivex {

namespace {

// Each scene shows its windows, captures them and says how many it captured.

// The password dialog in each mode and compaction, and the overwrite question.
int RenderQuestions() {
    int count = 0;
    auto modal = [&](const std::string& name, const std::function<void()>& show) {
        CaptureModal(name, show);
        ++count;
    };
    const std::vector<std::string> one = {"C:\\文書\\報告書.doc"};
    const std::vector<std::string> four = {"C:\\文書\\a.txt", "C:\\文書\\b.txt", "C:\\文書\\c.txt", "C:\\文書\\d.txt"};
    Options options;
    modal("password-encrypt", [&] { AskPassword(Direction::kEncrypt, options, one, ""); });
    Options seePw = options;
    seePw.ShowPassword = true;
    modal("password-encrypt-seepw", [&] { AskPassword(Direction::kEncrypt, seePw, four, ""); });
    Options strongFormat = options;
    strongFormat.StrongFormat = true;
    modal("password-encrypt-strong", [&] { AskPassword(Direction::kEncrypt, strongFormat, one, ""); });
    modal("password-decrypt-one", [&] { AskPassword(Direction::kMelt, options, one, ""); });
    modal("password-decrypt-many", [&] { AskPassword(Direction::kMelt, options, four, ""); });
    modal("password-decrypt-again", [&] { AskPassword(Direction::kMelt, options, one, "", true); });
    modal("password-upgrade", [&] {
        AskPassword(Direction::kUpgrade, options, {"C:\\文書\\報告書.pvx", "C:\\文書\\古い\\a.pvx"}, "");
    });
    Options recycle = options;
    recycle.RememberPassword = true;
    modal("password-encrypt-remembered", [&] { AskPassword(Direction::kEncrypt, recycle, one, "secret"); });
    modal("overwrite", [&] {
        std::string path = "C:\\文書\\報告書.pvx";
        AskOverwriteWithDialog(path);
    });
    return count;
}

// The about box, shown modelessly as the program does.
int RenderAbout() {
    AboutBox about;
    about.SetAppName("プリベックス");
    about.SetAppVer(kAppVersion);
    about.SetCright("Copyright (C) 2026 Plivex Project");
    about.Create();
    about.Show();
    CaptureForm(*about.DialogForm(), "about");
    about.Hide();
    return 1;
}

// The file selection dialog on a folder of Japanese names, made for the
// picture under the temporary folder and removed after it.
int RenderFileSelection() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"プリベックス撮影";
    const std::wstring docs = root + L"\\業務資料";
    const std::vector<std::wstring> folders = {root, docs, docs + L"\\会議資料", docs + L"\\経理", docs + L"\\画像"};
    const std::vector<std::wstring> files = {L"報告書.doc", L"見積書.xls",   L"議事録_2026年4月.txt", L"設計書.pvx",
                                             L"予定表.pvx", L"顧客一覧.csv", L"readme.txt", L"写真_社員旅行.jpg"};
    for (const auto& f : folders) CreateDirectoryW(f.c_str(), nullptr);
    for (const auto& f : files) {
        HANDLE h = CreateFileW((docs + L"\\" + f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    FileDialog fileSel;
    fileSel.SetMultiSelect(true);
    fileSel.SetFileMustExist(true);
    fileSel.AddFileType("暗号ファイル", "*.pvx", 2147483647);
    fileSel.SetInitialFolder(Narrow(docs));
    fileSel.SetFileName(Narrow(docs + L"\\報告書.doc"));
    fileSel.Create();
    fileSel.Show();
    ui::Application::Get().ProcessMessages();
    FileDialogForm& form = *fileSel.Form();
    auto& ctl = form.ControlsForTest();
    ctl.LBoxFiles.SetSelected(ctl.LBoxFiles.FindItem("報告書.doc"), true);
    ctl.FolderView.SetFocus();  // the tree shows its selected folder while it has the focus
    CaptureForm(form, "file-selection");
    fileSel.Hide();
    for (const auto& f : files) DeleteFileW((docs + L"\\" + f).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
    return 1;
}

// Both pages of the options dialog, with the defaults.
int RenderOptions() {
    OptionsDialog setting;
    setting.Setting = Options();
    setting.Show();
    ui::Application::Get().ProcessMessages();
    CaptureForm(setting, "options-file");
    auto& ctl = setting.ControlsForTest();
    ctl.PCSetting.SetActivePage(ctl.TaOther);
    ui::Application::Get().ProcessMessages();
    CaptureForm(setting, "options-other");
    setting.Hide();
    return 2;
}

// The progress of a long pass: its third file, four tenths of the bytes
// after 12 s, so that the time left shows.
int RenderProgress() {
    ProgressDialog progress;
    progress.Report("暗号化：", "社員旅行_2026年春.mp4", 2, 5, 1'320'000'000, 3'300'000'000, 12'000);
    progress.Show();
    ui::Application::Get().ProcessMessages();
    CaptureForm(progress, "progress");
    progress.Hide();
    return 1;
}

// The main window after an encryption pass; its client area also after it
// was moved to a monitor of the other DPI (96 and 144), which scripts/screenshots
// compares with the client area of a start at that DPI.
int RenderMainWindow() {
    MainWindow mainForm;
    mainForm.SetStatusText("暗号化：報告書.doc");
    mainForm.Show();
    CaptureForm(mainForm, "main-window");
    CaptureClient(mainForm, "main-window-client");
    const int own = mainForm.Dpi(), other = own == 96 ? 144 : 96;
    RECT outer;
    GetWindowRect(mainForm.Handle(), &outer);
    const RECT suggested{outer.left, outer.top, outer.left + MulDiv(outer.right - outer.left, other, own),
                         outer.top + MulDiv(outer.bottom - outer.top, other, own)};
    SendMessageW(mainForm.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    CaptureClient(mainForm, "main-window-client-moved-to-" + std::to_string(other) + "dpi");
    SendMessageW(mainForm.Handle(), WM_DPICHANGED, MAKEWPARAM(own, own), reinterpret_cast<LPARAM>(&outer));
    mainForm.Hide();
    return 3;
}

}  // namespace

int RenderScenes() {
    int count = 0;
    for (int (*scene)() : {RenderQuestions, RenderAbout, RenderFileSelection, RenderOptions, RenderProgress,
                           RenderMainWindow})
        count += scene();  // one after another, in this order
    return count;
}

}  // namespace plivex
