// The main window: its layout, Browse and drops reaching the file handler,
// the about command, applying options and the options-confirmed message.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

#include "app/main_window_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

using Strings = std::vector<std::string>;

// A control's window rectangle in the form's client pixels.
RECT PlaceOf(const ui::Form& form, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class FormPlivex : public ::testing::Test {
protected:
    void SetUp() override {
        form.OnFiles = [this](Strings files) { received.push_back(std::move(files)); };
    }
    void TearDown() override {
        if (ctl.FileSel.Form()) ctl.FileSel.Form()->Hide();
        if (ctl.AboutDialog.DialogForm()) ctl.AboutDialog.DialogForm()->Hide();
        if (ctl.FormSetting) ctl.FormSetting->Close();
    }
    test::OptionsGuard options;
    MainWindow form;
    MainWindowControls& ctl = form.ControlsForTest();
    std::vector<Strings> received;
};

TEST_F(FormPlivex, LayoutTooltipsAndPictures) {
    ASSERT_EQ(ui::Application::Get().Dpi(), 96);
    EXPECT_EQ(form.Caption(), "プリベックス");
    EXPECT_EQ(form.ClientWidth(), 275);
    EXPECT_EQ(form.ClientHeight(), 94);
    const LONG style = GetWindowLongW(form.Handle(), GWL_STYLE);
    EXPECT_TRUE((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
    EXPECT_FALSE((style & WS_MAXIMIZEBOX) || (style & WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    struct Expected {
        ui::Control& control;
        RECT place;
    };
    const Expected places[] = {
        {ctl.ButtonRefer, {192, 8, 267, 33}},     {ctl.SButtonSetting, {8, 40, 38, 70}},
        {ctl.SButtonHelp, {40, 40, 70, 70}},      {ctl.SButtonHomePage, {72, 40, 102, 70}},
        {ctl.SButtonAbout, {136, 40, 166, 70}},
    };
    for (const auto& e : places) {
        const RECT r = PlaceOf(form, e.control.Handle());
        EXPECT_TRUE(EqualRect(&r, &e.place)) << e.control.Text() << ": " << r.left << "," << r.top << " " << r.right
                                              << "," << r.bottom;
    }
    const RECT label = PlaceOf(form, ctl.Label1.Handle());
    EXPECT_EQ(label.left, 8);
    EXPECT_EQ(label.top, 13);
    // The status bar takes the height its font needs (19 or 20) along the bottom, below the tool buttons.
    const RECT bar = PlaceOf(form, ctl.SBar.Handle());
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, 275);
    EXPECT_EQ(bar.bottom, 94);
    EXPECT_GE(bar.top, 74);
    EXPECT_EQ(ctl.Label1.Text(), "ここにファイルをドロップして下さい");
    EXPECT_EQ(ctl.ButtonRefer.Text(), "&R･参照");
    EXPECT_TRUE(ctl.ButtonRefer.Default());
    EXPECT_EQ(ctl.SBar.SimpleText(), "");

    const std::pair<ui::ToolButton*, const char*> tools[] = {{&ctl.SButtonSetting, "設定"},
                                                              {&ctl.SButtonHelp, "ヘルプ"},
                                                              {&ctl.SButtonHomePage, "作者のホームページ"},
                                                              {&ctl.SButtonAbout, "バージョン情報"}};
    for (const auto& [button, hint] : tools) {
        EXPECT_EQ(button->Hint(), hint);
        EXPECT_NE(button->TooltipHandle(), nullptr) << hint;
        EXPECT_TRUE(button->HasBitmap()) << hint;
    }
}

TEST_F(FormPlivex, EnterBrowsesAndAChosenFileReachesTheHandler) {
    test::TempDir tmp;
    ASSERT_TRUE(test::WriteAll(tmp / "報告書.doc", "x"));
    ctl.FileSel.SetInitialFolder(tmp.path().substr(0, tmp.path().size() - 1));
    EXPECT_EQ(ctl.FileSel.GetCaption(), "ファイルの選択");
    EXPECT_TRUE(ctl.FileSel.MultiSelect() && ctl.FileSel.FileMustExist());
    EXPECT_EQ(ctl.FileSel.FileTypeList(), (Strings{"すべてのファイル (*.*)", "暗号ファイル (*.pvx)"}));

    form.Show();
    ui::Application::Get().ProcessMessages();
    test::Key(form, VK_RETURN);  // Browse is the default button
    FileDialogForm* sel = ctl.FileSel.Form();
    ASSERT_NE(sel, nullptr);
    EXPECT_TRUE(sel->Visible());
    EXPECT_TRUE(received.empty());

    sel->ControlsForTest().EditFileName.SetText("報告書.doc");
    sel->ControlsForTest().ButtonOk.Click();
    ASSERT_EQ(received.size(), 1u);
    ASSERT_EQ(received[0].size(), 1u);
    EXPECT_TRUE(SameTextIgnoringCase(received[0][0], tmp / "報告書.doc")) << received[0][0];
    EXPECT_FALSE(sel->Visible());
}

TEST_F(FormPlivex, DroppedNamesReachTheHandlerInOrder) {
    const Strings names = {"C:\\文書\\報告書.doc", "C:\\文書\\写真", "Z:\\tmp\\b.pvx"};
    std::wstring list;
    for (const auto& n : names) list += Widen(n) + L'\0';
    list += L'\0';
    const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);

    PostMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    ui::Application::Get().ProcessMessages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], names);
}

// Without a mouse: Tab reaches every tool button, each named by its hint for
// screen readers; Enter presses the one with the focus; F1 asks for help.
TEST_F(FormPlivex, ToolButtonsAreReachedWithTabAndPressedWithEnterAndF1AsksForHelp) {
    std::vector<std::string> chapters;
    ui::Application::Get().SetHelpHandler([&](const std::string& anchor) { chapters.push_back(anchor); });
    form.Show();
    ctl.ButtonRefer.SetFocus();
    for (ui::ToolButton* b : {&ctl.SButtonSetting, &ctl.SButtonHelp, &ctl.SButtonHomePage, &ctl.SButtonAbout}) {
        test::Key(form, VK_TAB);
        EXPECT_EQ(GetFocus(), b->Handle()) << b->Hint();
        EXPECT_EQ(WindowText(b->Handle()), b->Hint());
    }
    test::Key(form, VK_RETURN);
    EXPECT_EQ(ctl.SBar.SimpleText(), "プリベックス  Ver 3.34") << "Enter pressed the focused About button";
    ASSERT_TRUE(ctl.AboutDialog.DialogForm() && ctl.AboutDialog.DialogForm()->Visible());
    test::Key(*ctl.AboutDialog.DialogForm(), VK_F1);
    ctl.ButtonRefer.SetFocus();
    test::Key(form, VK_F1);
    EXPECT_EQ(chapters, (Strings{"", ""})) << "the basic chapter, in the main window and the about box";
    ui::Application::Get().SetHelpHandler(nullptr);
    form.Hide();
}

TEST_F(FormPlivex, AboutShowsTheBoxAndStatusTexts) {
    form.SetStatusText("暗号化：報告書.doc");
    ctl.SButtonAbout.Click();
    ASSERT_NE(ctl.AboutDialog.DialogForm(), nullptr);
    EXPECT_TRUE(ctl.AboutDialog.DialogForm()->Visible());
    EXPECT_EQ(ctl.AboutDialog.DialogForm()->Caption(), "プリベックスのバージョン情報");
    EXPECT_EQ(ctl.SBar.SimpleText(), "プリベックス  Ver 3.34");
    // The command still to come leaves the window as it was.
    ctl.SButtonSetting.Click();
    EXPECT_EQ(ctl.SBar.SimpleText(), "プリベックス  Ver 3.34");

    form.ShowStatusHelpShown();
    EXPECT_EQ(ctl.SBar.SimpleText(), "ヘルプを表示しました。");
    form.ShowStatusOptionsImported();
    EXPECT_EQ(ctl.SBar.SimpleText(), "外持ファイルから設定を読み込みました。");
    form.ShowStatusReencoded("報告書.doc");
    EXPECT_EQ(ctl.SBar.SimpleText(), "再暗号化：報告書.doc");
}

// The form's stay-on-top style is checked, not WS_EX_TOPMOST: Wine 8 keeps a
// window that owns two or more tooltips (topmost popups) out of the topmost band.
TEST_F(FormPlivex, ApplyingOptionsForgetsPasswordAndFollowsStayOnTop) {
    form.LastPW = Secret("himitsu");
    OptionsInForce().RememberPassword = true;
    OptionsInForce().StayOnTop = true;
    form.ApplyOptions();
    EXPECT_EQ(form.LastPW.str(), "himitsu");
    EXPECT_TRUE(form.StayOnTop());
    OptionsInForce().RememberPassword = false;
    OptionsInForce().StayOnTop = false;
    form.ApplyOptions();
    EXPECT_TRUE(form.LastPW.empty());
    EXPECT_FALSE(form.StayOnTop());
}

TEST_F(FormPlivex, ConfirmedOptionsAreTakenOverAppliedAndReported) {
    form.LastPW = Secret("himitsu");
    Options confirmed;
    confirmed.StayOnTop = true;
    confirmed.RememberPassword = false;
    confirmed.DialogPlacement = kDialogsBesideOpener;
    // As the options dialog's OK reports it (the window is hidden: the settings button's handler opens it).
    ctl.SButtonSetting.OnClick();
    ctl.FormSetting->OnConfirmed(confirmed);
    EXPECT_EQ(OptionsInForce(), confirmed);
    EXPECT_TRUE(form.StayOnTop());
    EXPECT_TRUE(form.LastPW.empty());
    EXPECT_EQ(ctl.SBar.SimpleText(), "設定を変更しました。");
    EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace plivex
