// The options dialog: its pages and buttons, the enabling rule, publishing to
// the main window, Default and Cancel, odd stored values, export and import
// through its own file selection dialog on real files.
#include <gtest/gtest.h>

#include "app/explorer_win.h"
#include "app/main_window_win.h"
#include "app/options_dialog_win.h"
#include "app/settings_win.h"
#include "filesel/file_types.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

constexpr const char* kChanged = "設定を変更しました。";

class FormSetting : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& text, const std::string&, unsigned) {
            asked.push_back(text);
            return MsgAnswer::kOk;
        });
    }
    void TearDown() override {
        if (auto& dialog = main.ControlsForTest().FormSetting) dialog->Close();
        ui::SetMsgBoxResponder(nullptr);
        SavedWindowState() = savedExitState;
    }
    // Opens the dialog as the main window's settings button does (its handler:
    // the window is hidden in most of these tests).
    OptionsDialog& Open() {
        main.ControlsForTest().SButtonSetting.OnClick();
        ui::Application::Get().ProcessMessages();
        return *main.ControlsForTest().FormSetting;
    }
    // Chooses name in the dialog's file selection, opened by button, in the
    // folder it starts in or in the one the user goes to.
    void Choose(OptionsDialog& dlg, ui::Button& button, const std::string& name, const std::string& goTo = "") {
        button.Click();
        FileDialogForm& sel = *dlg.ControlsForTest().FileSel.Form();
        ASSERT_TRUE(sel.Visible());
        auto& ctl = sel.ControlsForTest();
        if (!goTo.empty()) ctl.FolderView.SetFolderName(goTo);
        ctl.EditFileName.SetText(name);
        ctl.ButtonOk.Click();
    }

    test::OptionsGuard options;
    WindowState savedExitState = SavedWindowState();
    test::TempDir tmp;
    MainWindow main;
    std::vector<std::string> asked;
};

TEST_F(FormSetting, PagesCaptionsHintsAndEveryCaptionFitsItsControl) {
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    EXPECT_EQ(dlg.Caption(), "プリベックスの設定");
    EXPECT_EQ(dlg.ClientWidth(), 424);
    EXPECT_EQ(dlg.ClientHeight(), 336);
    const LONG style = GetWindowLongW(dlg.Handle(), GWL_STYLE);
    EXPECT_TRUE((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
    EXPECT_FALSE((style & WS_MAXIMIZEBOX) || (style & WS_THICKFRAME));
    EXPECT_EQ(ctl.TaFile.Caption(), "ファイル");
    EXPECT_EQ(ctl.TaOther.Caption(), "その他");
    EXPECT_TRUE(ctl.TaFile.Active());
    EXPECT_TRUE(ctl.ButtonOk.Default());
    EXPECT_TRUE(ctl.ButtonCancel.Cancel());

    const std::pair<ui::Button*, const char*> hints[] = {
        {&ctl.ButtonOk, "新たな設定を有効にします"},
        {&ctl.ButtonCancel, "設定変更を中止し、今までの設定を使用します"},
        {&ctl.ButtonApply, "ダイアログを閉じずに、新たな設定を有効にします"},
        {&ctl.ButtonHelp, "ヘルプを表示します"},
        {&ctl.ButtonInit, "ＱＵＯＲＶＡの標準設定に戻します"},
        {&ctl.ButtonImpt, "外持ファイルから設定を読み込みます"},
        {&ctl.ButtonExpt, "現在の設定を外持ファイルにバックアップします"},
        {&ctl.ButtonUpgrade, "従来の形式の暗号化ファイルを、名前はそのままで新しい形式に作り直します"}};
    for (const auto& [button, hint] : hints) EXPECT_EQ(ctl.Hints.Hint(*button), hint) << button->Text();
    EXPECT_EQ(ctl.Hints.Hint(ctl.CBoxStrongFormat),
              "新しい形式（AES-256）: パスワードが違えば分かり、ファイルの改変も検出します。以前のバージョンでは開けません。\n"
              "従来の形式: 暗号化ファイルからパスワードを割り出されるおそれがあります。");
    // Two rows under the last tick box of the page, one row kept free between them.
    const int row = ctl.CBoxStayOnTop.Top() - ctl.CBoxRecyclePW.Top();
    EXPECT_EQ(ctl.CBoxStrongFormat.Top(), ctl.CBoxUseNN.Top() + 2 * row);

    // Every control lies inside its page or the window, with room for its text.
    HDC dc = GetDC(dlg.Handle());
    const HGDIOBJ old = SelectObject(dc, dlg.Font());
    const RECT page = ctl.PCSetting.PageArea();
    for (ui::Control* c : dlg.Controls()) {
        if (c == &ctl.PCSetting) continue;
        const bool onPage = c->Left() < ctl.PCSetting.Right();
        EXPECT_GE(c->Left(), onPage ? page.left : ctl.PCSetting.Right());
        EXPECT_GE(c->Top(), onPage ? page.top : 0);
        EXPECT_LE(c->Right(), onPage ? page.right : 424) << c->Text();
        EXPECT_LE(c->Bottom(), onPage ? page.bottom : 336) << c->Text();
        std::wstring text = Widen(c->Text());
        std::erase(text, L'&');
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        EXPECT_LE(size.cx + 20, c->Width()) << c->Text();  // the box or the button's edges take about 20
    }
    SelectObject(dc, old);
    ReleaseDC(dlg.Handle(), dc);
}

TEST_F(FormSetting, EachCaptionShowsItsOwnField) {
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    const std::pair<const char*, bool Options::*> ticks[] = {
        {"&F・解凍する前にファイル名を確認", &Options::ConfirmMeltedName},
        {"&U・解凍したファイルを即座に利用", &Options::OpenMeltedFile},
        {"&M・複数解凍した時も利用", &Options::OpenManyMeltedFiles},
        {"&R・利用後に再び暗号化", &Options::ReencryptAfterUse},
        {"&P・暗号化する時に元のファイルを削除", &Options::DeleteSourceAfterEncrypt},
        {"&S・解凍する時に暗号化ファイルを削除", &Options::DeleteContainerAfterMelt},
        {"&L・関連づけられていない場合は確認", &Options::AskBeforeDeletingUnassociated},
        {"&V・パスワードを見えるようにする", &Options::ShowPassword},
        {"&R・起動中はパスワードを再利用", &Options::RememberPassword},
        {"&T・常に手前に表示", &Options::StayOnTop},
        {"&N・ヘルプブラウザとしてＮetscapeを使用", &Options::UseNetscapeForHelp},
        {"&K・新しい形式（AES-256）で暗号化する", &Options::StrongFormat}};
    // The tick under a caption, found as the user finds it: by its text on one of the pages.
    auto shown = [&](const std::string& caption) {
        for (const ui::TabSheet* page : {&ctl.TaFile, &ctl.TaOther})
            for (ui::Control* c : page->Controls())
                if (c->Text() == caption) return static_cast<ui::CheckBox*>(c)->Checked();
        ADD_FAILURE() << "no " << caption;
        return false;
    };
    for (const auto& [caption, field] : ticks) {
        dlg.Setting = Options();
        dlg.Setting.*field = !(dlg.Setting.*field);
        dlg.SetControls();
        for (const auto& [other, otherField] : ticks) EXPECT_EQ(shown(other), dlg.Setting.*otherField) << other;
        EXPECT_EQ(dlg.ControlsToRecord(Options()), dlg.Setting) << caption;
    }
    EXPECT_TRUE(shown("&N・番号を付加する") && shown("&S・画面中央"));
    EXPECT_FALSE(shown("&Q・ユーザーに尋ねる") || shown("&B・メインウィンドウのそば"));
}

TEST_F(FormSetting, EnablingRuleKeepsTicksAndOkStoresGreyedTicks) {
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    EXPECT_TRUE(ctl.CBoxUseManyMeltF.Enabled() && ctl.CBoxReencode.Enabled() && ctl.CBoxConDelUnrela.Enabled());
    ctl.CBoxUseManyMeltF.Click();  // now ticked, then greyed
    ctl.CBoxUseMeltF.Click();
    ctl.CBoxDelPvF.Click();
    EXPECT_FALSE(ctl.CBoxUseManyMeltF.Enabled() || ctl.CBoxReencode.Enabled() || ctl.CBoxConDelUnrela.Enabled());
    EXPECT_TRUE(ctl.CBoxUseManyMeltF.Checked() && ctl.CBoxReencode.Checked() && ctl.CBoxConDelUnrela.Checked());
    EXPECT_TRUE(ctl.CBoxConMeltFName.Enabled());
    ctl.CBoxUseMeltF.Click();
    EXPECT_TRUE(ctl.CBoxUseManyMeltF.Enabled() && ctl.CBoxReencode.Enabled());
    EXPECT_FALSE(ctl.CBoxConDelUnrela.Enabled());
    ctl.CBoxUseMeltF.Click();

    ctl.ButtonOk.Click();
    EXPECT_FALSE(dlg.Visible());
    const Options& now = OptionsInForce();
    EXPECT_FALSE(now.OpenMeltedFile || now.DeleteContainerAfterMelt);
    EXPECT_TRUE(now.OpenManyMeltedFiles && now.ReencryptAfterUse && now.AskBeforeDeletingUnassociated);
    EXPECT_EQ(main.ControlsForTest().SBar.SimpleText(), kChanged);
    // Reopened, the greyed ticks are shown greyed again.
    Open();
    EXPECT_TRUE(ctl.CBoxReencode.Checked());
    EXPECT_FALSE(ctl.CBoxReencode.Enabled());
}

TEST_F(FormSetting, ApplyRepeatsTheWholeRecordDefaultThenCancelPublishesNothing) {
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    ctl.CBoxSeePW.Click();
    ctl.ButtonApply.Click();
    EXPECT_TRUE(dlg.Visible());
    EXPECT_TRUE(OptionsInForce().ShowPassword);
    EXPECT_EQ(main.ControlsForTest().SBar.SimpleText(), kChanged);
    // A second Apply publishes the whole record again, not only what changed.
    main.SetStatusText("");
    OptionsInForce().DeleteSourceAfterEncrypt = false;
    ctl.ButtonApply.Click();
    EXPECT_TRUE(OptionsInForce().DeleteSourceAfterEncrypt);
    EXPECT_EQ(main.ControlsForTest().SBar.SimpleText(), kChanged);

    main.SetStatusText("");
    ctl.ButtonInit.Click();
    EXPECT_FALSE(ctl.CBoxSeePW.Checked());
    EXPECT_TRUE(OptionsInForce().ShowPassword);
    ctl.ButtonCancel.Click();
    EXPECT_FALSE(dlg.Visible());
    EXPECT_TRUE(OptionsInForce().ShowPassword);
    EXPECT_EQ(main.ControlsForTest().SBar.SimpleText(), "");
    // The same window comes back showing the options in force: Cancel dropped the defaults.
    OptionsDialog* const first = &dlg;
    EXPECT_EQ(&Open(), first);
    EXPECT_TRUE(ctl.CBoxSeePW.Checked());
    EXPECT_TRUE(ctl.CBoxDelRawF.Checked());
    ctl.ButtonOk.Click();
    EXPECT_EQ(OptionsInForce().ShowPassword, true) << "a later OK applies nothing the user cancelled";
    // Minimised, it comes back as it was, keeping what it shows.
    Open();
    ctl.CBoxStayOnTop.Click();
    ShowWindow(dlg.Handle(), SW_MINIMIZE);
    EXPECT_EQ(&Open(), first);
    EXPECT_TRUE(dlg.Visible());
    EXPECT_FALSE(dlg.Minimized());
    EXPECT_TRUE(ctl.CBoxStayOnTop.Checked());
    // Esc, the cancel key, drops unapplied ticks too.
    ctl.CBoxStayOnTop.SetFocus();
    test::Key(dlg, VK_ESCAPE);
    EXPECT_FALSE(dlg.Visible());
    Open();
    EXPECT_FALSE(ctl.CBoxStayOnTop.Checked());
}

// The Explorer tick is no option of the record: it shows what is registered,
// Default and Cancel leave it alone, and OK and Apply register or remove.
TEST_F(FormSetting, ExplorerTickShowsTheRegistrationAndOnlyOkAndApplyChangeIt) {
    test::SavedRegistryKey extension(HKEY_CURRENT_USER, L"Software\\Classes\\.pvx");
    test::SavedRegistryKey progId(HKEY_CURRENT_USER, L"Software\\Classes\\Plivex.Container");
    RemoveExplorerIntegration();
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    EXPECT_FALSE(ctl.CBoxExplorer.Checked());
    EXPECT_EQ(ctl.CBoxExplorer.Text(), "&X・エクスプローラーと連携する");
    ctl.CBoxExplorer.SetChecked(true);
    ctl.ButtonInit.Click();
    EXPECT_TRUE(ctl.CBoxExplorer.Checked());
    EXPECT_FALSE(ExplorerIntegrated());
    ctl.ButtonApply.Click();
    EXPECT_TRUE(ExplorerIntegrated());
    EXPECT_TRUE(test::FileExists(SendToShortcutPath()));

    ctl.CBoxExplorer.SetChecked(false);
    ctl.ButtonCancel.Click();
    EXPECT_TRUE(ExplorerIntegrated());
    OptionsDialog& again = Open();
    EXPECT_TRUE(again.ControlsForTest().CBoxExplorer.Checked());
    again.ControlsForTest().CBoxExplorer.SetChecked(false);
    again.ControlsForTest().ButtonOk.Click();
    EXPECT_FALSE(ExplorerIntegrated());
    EXPECT_FALSE(test::FileExists(SendToShortcutPath()));
}

TEST_F(FormSetting, ValuesWithoutARadioButtonSelectNoneAndSurvive) {
    OptionsInForce().OnNameClash = 5;
    OptionsInForce().DialogPlacement = 7;
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    EXPECT_FALSE(ctl.RButtonFOAskUser.Checked() || ctl.RButtonFOAddNum.Checked());
    EXPECT_FALSE(ctl.RButtonDPSCenter.Checked() || ctl.RButtonDPBeside.Checked());
    ctl.ButtonOk.Click();
    EXPECT_EQ(OptionsInForce().OnNameClash, 5);
    EXPECT_EQ(OptionsInForce().DialogPlacement, 7);
    // Picking a radio button replaces the value.
    Open();
    ctl.RButtonDPBeside.Click();
    ctl.ButtonOk.Click();
    EXPECT_EQ(OptionsInForce().DialogPlacement, kDialogsBesideOpener);
    EXPECT_EQ(OptionsInForce().OnNameClash, 5);
    // A selected button does not linger when the copy takes a value it does not stand for.
    Open();
    dlg.Setting.DialogPlacement = 9;
    dlg.SetControls();
    EXPECT_FALSE(ctl.RButtonDPSCenter.Checked() || ctl.RButtonDPBeside.Checked());
}

TEST_F(FormSetting, ExportWritesWhatIsShownAndImportOfAnOlderFileKeepsUseNNDefault) {
    OptionsInForce().UseNetscapeForHelp = false;
    const Options before = OptionsInForce();
    // The file dialog starts in the remembered folder; the one chosen in is remembered next.
    const std::string start = tmp / "前回";
    const std::string chosen = tmp / "控えの場所";
    CreateDirectoryW(Widen(start).c_str(), nullptr);
    CreateDirectoryW(Widen(chosen).c_str(), nullptr);
    SavedWindowState().ExportFolder = start;
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    EXPECT_TRUE(SameTextIgnoringCase(ctl.FileSel.InitialFolder(), start));
    ctl.CBoxSeePW.Click();  // not applied
    ctl.RButtonFOAskUser.Click();
    ctl.CBoxStrongFormat.Click();  // the 15th line
    Choose(dlg, ctl.ButtonExpt, "控え", chosen);
    EXPECT_TRUE(SameTextIgnoringCase(SavedWindowState().ExportFolder, chosen));
    EXPECT_EQ(ctl.FileSel.GetCaption(), "設定を外持ファイルに保存");
    EXPECT_EQ(ctl.FileSel.FileTypeList().front(), "外持ファイル (*.pvxe)");
    EXPECT_EQ(test::ReadAll(chosen + "\\控え.pvxe"),
              "PlivexIE$2\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n1\r\n");
    EXPECT_FALSE(OptionsInForce().ShowPassword);
    EXPECT_TRUE(dlg.Visible());

    // A full path typed into the name field is where the file goes, default extension added.
    Choose(dlg, ctl.ButtonExpt, start + "\\控え2");
    EXPECT_TRUE(test::FileExists(start + "\\控え2.pvxe"));
    EXPECT_TRUE(SameTextIgnoringCase(SavedWindowState().ExportFolder, start));

    // The older version has no UseNetscapeForHelp line: the import starts from the defaults, not from the copy.
    ASSERT_TRUE(test::WriteAll(chosen + "\\旧.pvxe", "PlivexIE$1\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n1\r\n1\r\n0\r\n"));
    Choose(dlg, ctl.ButtonImpt, "旧.pvxe", chosen);
    EXPECT_EQ(ctl.FileSel.GetCaption(), "外持ファイルから設定を読み込む");
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(ctl.CBoxUseNN.Checked());
    EXPECT_FALSE(ctl.CBoxConMeltFName.Checked() || ctl.CBoxDelPvF.Checked() || ctl.CBoxUseMeltF.Checked());
    EXPECT_TRUE(ctl.CBoxRecyclePW.Checked() && ctl.CBoxStayOnTop.Checked() && ctl.CBoxUseManyMeltF.Checked());
    EXPECT_FALSE(ctl.CBoxUseManyMeltF.Enabled());
    EXPECT_TRUE(ctl.RButtonDPBeside.Checked());
    EXPECT_TRUE(ctl.RButtonFOAskUser.Checked());
    EXPECT_FALSE(OptionsInForce().StayOnTop);  // nothing published

    // A file that is no export file changes nothing; closing without OK drops the import.
    ASSERT_TRUE(test::WriteAll(chosen + "\\別物.pvxe", "plivexie$2\r\n0\r\n"));
    Choose(dlg, ctl.ButtonImpt, "別物.pvxe");
    EXPECT_EQ(asked.size(), 1u);
    // Closed by its close box, the dialog takes its open file dialog with it.
    ctl.ButtonImpt.Click();
    SendMessageW(dlg.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dlg.Visible() || ctl.FileSel.Form()->Visible());
    EXPECT_EQ(OptionsInForce(), before);
    Open();
    EXPECT_FALSE(ctl.CBoxStayOnTop.Checked() || ctl.RButtonDPBeside.Checked() || ctl.CBoxUseNN.Checked());
    EXPECT_TRUE(ctl.CBoxDelPvF.Checked());
}

// The dialog that opened a file dialog is the one active again when it closes,
// so Enter goes on working in it and not in the main window behind.
TEST_F(FormSetting, ClosingItsFileDialogGivesTheActivationBackToTheOptionsDialog) {
    main.Show();
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    ASSERT_EQ(GetActiveWindow(), dlg.Handle());
    SendMessageW(ctl.ButtonExpt.Handle(), BM_CLICK, 0, 0);  // through the window, as a user's click
    FileDialogForm& sel = *ctl.FileSel.Form();
    ASSERT_TRUE(sel.Visible());
    EXPECT_EQ(GetWindow(sel.Handle(), GW_OWNER), dlg.Handle());
    EXPECT_EQ(GetActiveWindow(), sel.Handle());
    SendMessageW(sel.ControlsForTest().ButtonCancel.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(sel.Visible());
    EXPECT_EQ(GetActiveWindow(), dlg.Handle()) << "the main window took the activation";
    main.Hide();
}

TEST_F(FormSetting, HelpAndAcceleratorsFollowThePageShown) {
    OptionsDialog& dlg = Open();
    auto& ctl = dlg.ControlsForTest();
    std::vector<std::string> anchors;
    dlg.OnHelp = [&](const std::string& anchor) { anchors.push_back(anchor); };
    ctl.ButtonHelp.Click();
    // Both pages use R: Alt+R toggles only the tick on the page shown.
    ASSERT_TRUE(ctl.CBoxReencode.Checked());
    test::Key(dlg, 'R', true);
    EXPECT_FALSE(ctl.CBoxReencode.Checked());
    EXPECT_FALSE(ctl.CBoxRecyclePW.Checked());
    ctl.PCSetting.SetActivePage(ctl.TaOther);
    test::Key(dlg, 'R', true);
    EXPECT_TRUE(ctl.CBoxRecyclePW.Checked());
    EXPECT_FALSE(ctl.CBoxReencode.Checked());
    ctl.ButtonHelp.Click();
    EXPECT_EQ(anchors, (std::vector<std::string>{"Filetab", "Sonotatab"}));

    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages; F1 opens the chapter of the page shown.
    std::vector<std::string> f1;
    ui::Application::Get().SetHelpHandler([&](const std::string& anchor) { f1.push_back(anchor); });
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE saved[2] = {keys[VK_CONTROL], keys[VK_SHIFT]};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    ctl.CBoxSeePW.SetFocus();
    test::Key(dlg, VK_TAB);
    EXPECT_TRUE(ctl.TaFile.Active());
    test::Key(dlg, VK_F1);
    test::Key(dlg, VK_TAB);
    EXPECT_TRUE(ctl.TaOther.Active());
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    test::Key(dlg, VK_TAB);
    EXPECT_TRUE(ctl.TaFile.Active());
    keys[VK_CONTROL] = saved[0];
    keys[VK_SHIFT] = saved[1];
    SetKeyboardState(keys);
    ui::Application::Get().SetHelpHandler(nullptr);
    EXPECT_EQ(f1, (std::vector<std::string>{"Filetab"}));
}

}  // namespace
}  // namespace plivex
