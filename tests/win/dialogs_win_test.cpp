// The dialog component base, the placement rule on real windows, the about box.
#include <gtest/gtest.h>

#include "dialogs/about_box_win.h"
#include "dialogs/place_win.h"
#include "options/options.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"

namespace plivex {
namespace {

using test::OptionsGuard;

bool IsTopmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(AboutDialog, CaptionFollowsTheNameUntilOneOfItsOwn) {
    AboutBox about;
    EXPECT_EQ(about.GetCaption(), "のバージョン情報");
    about.SetAppName("プリベックス");
    EXPECT_EQ(about.GetCaption(), "プリベックスのバージョン情報");
    about.SetAppName("別名");
    EXPECT_EQ(about.GetCaption(), "別名のバージョン情報");
    about.SetCaption("独自の見出し");
    about.SetAppName("三番目");
    EXPECT_EQ(about.GetCaption(), "独自の見出し");
    EXPECT_EQ(about.AppName(), "三番目");
    EXPECT_EQ(about.FormWidth(), 361);
    EXPECT_EQ(about.FormHeight(), 249);
}

TEST(AboutDialog, PropertiesReachTheWindowAtCreationAndRefresh) {
    AboutBox about;
    about.SetAppName("プリベックス");
    about.SetAppVer("Ver 3.34");
    about.SetCright("(C) test");
    EXPECT_FALSE(about.IsCreated());
    about.Show();
    ASSERT_TRUE(about.IsCreated());
    auto* form = dynamic_cast<AboutBoxForm*>(about.DialogForm());
    ASSERT_NE(form, nullptr);
    auto& ctl = form->ControlsForTest();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Caption(), "プリベックスのバージョン情報");
    EXPECT_EQ(ctl.LabelAppName.Text(), "プリベックス");
    EXPECT_EQ(ctl.LabelAppVer.Text(), "Ver 3.34");
    EXPECT_EQ(form->Width(), 361);
    EXPECT_EQ(form->Height(), 249);

    // A change while visible shows only at the next copy of the properties.
    about.SetAppVer("Ver 9.99");
    about.Show();
    EXPECT_EQ(about.DialogForm(), form);  // the same window, only brought to the front
    EXPECT_EQ(ctl.LabelAppVer.Text(), "Ver 3.34");
    about.RefreshDialog();
    EXPECT_EQ(ctl.LabelAppVer.Text(), "Ver 9.99");

    // OK hides it; showing again gives the same window.
    ctl.ButtonOK.Click();
    EXPECT_FALSE(form->Visible());
    about.Show();
    EXPECT_EQ(about.DialogForm(), form);
    EXPECT_TRUE(form->Visible());
    about.Hide();
}

TEST(AboutDialog, MinimisedDialogIsRestoredWhenShown) {
    AboutBox about;
    about.Show();
    ShowWindow(about.DialogForm()->Handle(), SW_MINIMIZE);
    ASSERT_TRUE(about.DialogForm()->Minimized());
    about.Show();
    EXPECT_FALSE(about.DialogForm()->Minimized());
    EXPECT_TRUE(about.DialogForm()->Visible());
    about.Hide();
}

TEST(AboutDialog, ShowModalOfAVisibleDialogHidesItWithoutSaving) {
    AboutBox about;
    about.SetAppVer("1");
    about.Show();
    about.SetAppVer("2");  // not copied to the window yet
    ui::SetModalHook([](ui::Form& f) { dynamic_cast<AboutBoxForm&>(f).ControlsForTest().ButtonOK.Click(); });
    const int result = about.ShowModal();
    ui::SetModalHook(nullptr);
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_EQ(about.AppVer(), "1");  // read back from the window after OK
    EXPECT_FALSE(about.DialogForm()->Visible());
}

class NoWindowDialog : public DialogBase {
protected:
    std::unique_ptr<ui::Form> CreateSelf() override { return nullptr; }
};

TEST(DialogComponent, WindowThatCannotBeMadeAbandonsTheCommand) {
    std::vector<std::string> shown;
    ui::SetMsgBoxResponder([&](const std::string& t, const std::string& c, unsigned s) {
        shown.push_back(t + "|" + c + "|" + std::to_string(s));
        return MsgAnswer::kOk;
    });
    NoWindowDialog dialog;
    EXPECT_THROW(dialog.Show(), DialogCreateError);
    ui::SetMsgBoxResponder(nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"ダイアログが生成できませんでした。|プリベックス|48"});
    EXPECT_FALSE(dialog.IsCreated());
    dialog.PlaceAt(10, 10);  // nothing to place: no effect, no failure
    dialog.Hide();
    dialog.Destroy();
}

TEST(DialogComponent, DestroyReleasesTheWindowForANewOne) {
    AboutBox about;
    about.Create();
    ASSERT_TRUE(about.IsCreated());
    about.Destroy();
    EXPECT_FALSE(about.IsCreated());
    ui::Application::Get().ProcessMessages();  // the deferred release happens here
    about.Create();
    EXPECT_TRUE(about.IsCreated());
}

TEST(DialogComponent, SetPosClampsBesideOrCentres) {
    const ScreenSize screen = PrimaryScreen();
    AboutBox about;
    about.Create();
    about.PlaceAt(-20, 30);
    EXPECT_EQ(about.Position(), ui::FormPosition::Designed);
    EXPECT_EQ(about.Left(), 0);
    EXPECT_EQ(about.Top(), 30);
    EXPECT_EQ(about.DialogForm()->Left(), 0);
    about.PlaceAt(screen.width, screen.height);
    EXPECT_EQ(about.Left(), screen.width - 361);
    EXPECT_EQ(about.Top(), screen.height - 249);
    about.PlaceCentred();
    EXPECT_EQ(about.Position(), ui::FormPosition::ScreenCenter);
    about.Show();
    EXPECT_EQ(about.DialogForm()->Left(), (screen.width - 361) / 2);
    EXPECT_EQ(about.DialogForm()->Top(), (screen.height - 249) / 2);
    about.Hide();
}

TEST(Placement, ComponentStaysOnTopOnceItWasPlacedSo) {
    OptionsGuard guard;
    AboutBox about;
    about.Create();
    OptionsInForce().StayOnTop = true;
    OptionsInForce().DialogPlacement = kDialogsBesideOpener;
    PlaceDialogComponent(nullptr, about);
    EXPECT_EQ(about.GetFormStyle(), FormStyle::StayOnTop);
    EXPECT_TRUE(IsTopmost(about.DialogForm()->Handle()));
    OptionsInForce().StayOnTop = false;
    OptionsInForce().DialogPlacement = 7;  // any other value centres a component
    PlaceDialogComponent(nullptr, about);
    EXPECT_TRUE(IsTopmost(about.DialogForm()->Handle()));
    EXPECT_EQ(about.Position(), ui::FormPosition::ScreenCenter);
}

TEST(Placement, PlainFormCentredBesideOrLeftAlone) {
    OptionsGuard guard;
    const ScreenSize screen = PrimaryScreen();
    AboutBoxForm reference;
    reference.SetPosition(40, 50);
    AboutBoxForm form;
    form.SetPosition(7, 8);

    OptionsInForce().DialogPlacement = kDialogsCentred;
    PlaceDialogForm(&reference, form);
    EXPECT_EQ(form.Left(), (screen.width - form.Width()) / 2);
    EXPECT_EQ(form.Top(), (screen.height - form.Height()) / 2);
    EXPECT_FALSE(IsTopmost(form.Handle()));

    OptionsInForce().DialogPlacement = kDialogsBesideOpener;
    PlaceDialogForm(&reference, form);
    EXPECT_EQ(form.Left(), 40);
    EXPECT_EQ(form.Top(), 50);

    reference.SetPosition(screen.width - 10, -30);
    PlaceDialogForm(&reference, form);
    EXPECT_EQ(form.Left(), screen.width - form.Width());
    EXPECT_EQ(form.Top(), 0);

    OptionsInForce().DialogPlacement = 5;
    OptionsInForce().StayOnTop = true;
    form.SetPosition(7, 8);
    PlaceDialogForm(&reference, form);
    EXPECT_EQ(form.Left(), 7);
    EXPECT_EQ(form.Top(), 8);
    EXPECT_TRUE(IsTopmost(form.Handle()));
}

}  // namespace
}  // namespace plivex
