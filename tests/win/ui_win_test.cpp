// The window layer: modal forms through the test hook, the keyboard as the
// dialog manager handles it, timers inside modal loops, design positions.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/app_win.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"

namespace plivex::ui {
namespace {

using test::Key;

// A small form of the program's kind: two labelled edits, OK and Cancel.
class SampleForm : public Form {
public:
    SampleForm()
        : Form(300, 140, "試験"),
          LabelName(*this, 16, 16, "&N・名前："),
          EditName(*this, 16, 36, 200, 21, 0),
          LabelOther(*this, 16, 64, "&X・その他："),
          EditOther(*this, 100, 64, 100, 21, 1),
          ButtonOk(*this, 120, 100, 75, 25, "&OK", 2),
          ButtonCancel(*this, 200, 100, 75, 25, "&C・キャンセル", 3) {
        LabelName.SetFocusControl(&EditName);
        LabelOther.SetFocusControl(&EditOther);
        ButtonOk.SetDefault(true);
        ButtonOk.SetModalResult(mrOk);
        ButtonCancel.SetCancel(true);
        ButtonCancel.SetModalResult(mrCancel);
    }
    Label LabelName;
    Edit EditName;
    Label LabelOther;
    Edit EditOther;
    Button ButtonOk;
    Button ButtonCancel;
};

class HookGuard {
public:
    explicit HookGuard(ModalHook hook) { SetModalHook(std::move(hook)); }
    ~HookGuard() { SetModalHook(nullptr); }
};

TEST(Ui, HookFillsFieldsAndClicksButtons) {
    SampleForm form;
    HookGuard guard([](Form& f) {
        auto& s = dynamic_cast<SampleForm&>(f);
        EXPECT_TRUE(s.Visible());
        EXPECT_TRUE(s.EditName.Focused());  // first in Tab order
        s.EditName.SetText("報告書");
        s.ButtonOk.Click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.EditName.Text(), "報告書");
}

TEST(Ui, FormLeftOpenByTheHookFailsInsteadOfHanging) {
    SampleForm form;
    HookGuard guard([](Form&) {});
    EXPECT_THROW(form.ShowModal(), std::logic_error);
    EXPECT_FALSE(form.Visible());
}

TEST(Ui, KeyboardTabEnterEscAndAccelerators) {
    SampleForm form;
    HookGuard guard([](Form& f) {
        auto& s = dynamic_cast<SampleForm&>(f);
        Key(s, VK_TAB);
        EXPECT_TRUE(s.EditOther.Focused());
        Key(s, 'N', true);  // the label's accelerator focuses its edit
        EXPECT_TRUE(s.EditName.Focused());
        Key(s, VK_ESCAPE);
        EXPECT_EQ(s.ModalResult(), mrCancel);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    HookGuard enter([](Form& f) {
        Key(f, VK_RETURN);  // Enter presses the default button from an edit
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(Ui, CloseQueryCanKeepTheFormOpen) {
    SampleForm form;
    int asked = 0;
    form.OnCloseQuery = [&] { return ++asked > 1; };
    HookGuard guard([](Form& f) {
        auto& s = dynamic_cast<SampleForm&>(f);
        s.ButtonOk.Click();
        EXPECT_EQ(s.ModalResult(), mrNone);  // refused once
        s.ButtonOk.Click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(asked, 2);
}

TEST(Ui, TimersRunWhileAModalFormWaits) {
    SampleForm owner;
    owner.Show();
    SampleForm form;
    int ticks = 0;
    bool ownerDisabled = false;
    Timer timer(20, [&] {
        ownerDisabled = !IsWindowEnabled(owner.Handle());
        if (++ticks == 3) form.ButtonCancel.Click();
    });
    timer.SetEnabled(true);
    EXPECT_EQ(form.ShowModal(), mrCancel);  // the real loop, no hook
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    owner.Hide();
}

TEST(Ui, DesignPositionsAndSizes) {
    SampleForm form;
    ASSERT_EQ(Application::Get().Dpi(), 96);
    EXPECT_EQ(form.ClientWidth(), 300);
    EXPECT_EQ(form.ClientHeight(), 140);
    RECT r;
    GetWindowRect(form.ButtonOk.Handle(), &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 75);
    EXPECT_EQ(r.bottom - r.top, 25);
    form.SetClientHeight(90);
    EXPECT_EQ(form.ClientHeight(), 90);
    // A label sizes itself to its text.
    EXPECT_GT(form.LabelName.Width(), 30);
    EXPECT_LT(form.LabelName.Width(), 120);
}

TEST(Ui, PasswordCharacterAndHiddenControls) {
    SampleForm form;
    form.EditName.SetPasswordChar(L'*');
    EXPECT_EQ(SendMessageW(form.EditName.Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    form.EditName.SetPasswordChar(0);
    EXPECT_EQ(SendMessageW(form.EditName.Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
    form.ButtonOk.SetVisible(false);
    HookGuard guard([](Form& f) {
        auto& s = dynamic_cast<SampleForm&>(f);
        s.ButtonOk.Click();  // a hidden button cannot be pressed
        EXPECT_EQ(s.ModalResult(), mrNone);
        s.ButtonCancel.Click();
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

}  // namespace
}  // namespace plivex::ui

namespace plivex {
namespace {

using test::PumpUntil;

// A handler that throws at a timer's edge: reported as an internal error, not
// again while that report is still open (a message box keeps the timer
// firing), and the timer goes on.
TEST(Ui, AThrowingTimerIsReportedOneAtATimeAndKeepsRunning) {
    int ticks = 0;
    std::vector<std::string> reports;
    ui::Timer timer(10, [&] {
        ++ticks;
        throw std::runtime_error("壊れた");
    });
    ui::SetMsgBoxResponder([&](const std::string& text, const std::string& caption, unsigned) {
        reports.push_back(caption + "|" + text);
        const std::size_t shown = reports.size();
        const int before = ticks;
        EXPECT_TRUE(PumpUntil([&] { return ticks >= before + 2; })) << "the timer stopped while the report was open";
        EXPECT_EQ(reports.size(), shown) << "failures during an open report were shown too";
        return MsgAnswer::kOk;
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return reports.size() >= 2; }));
    timer.SetEnabled(false);
    ui::SetMsgBoxResponder(nullptr);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[0], "内部エラー|壊れた");
}

}  // namespace
}  // namespace plivex
