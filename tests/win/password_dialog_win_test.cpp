// The password dialog as the user meets it: the real form and controls, run
// modally through the test hook, messages answered by the responder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "dialogs/password_dialog.h"
#include "dialogs/password_dialog_win.h"
#include "options/options.h"
#include "scripted_ui.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"

namespace plivex {
namespace {

using test::OptionsGuard;

using test::Key;

using ui::Application;

class HookGuard {
public:
    explicit HookGuard(ui::ModalHook hook) { ui::SetModalHook(std::move(hook)); }
    ~HookGuard() { ui::SetModalHook(nullptr); }
    HookGuard(const HookGuard&) = delete;
    HookGuard& operator=(const HookGuard&) = delete;
};

// Records every message box and answers OK, so nothing waits for a person.
class Messages {
public:
    Messages() {
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            shown.push_back({t, c, s});
            return MsgAnswer::kOk;
        });
    }
    ~Messages() { ui::SetMsgBoxResponder(nullptr); }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;
    std::vector<test::Shown> shown;
};

wchar_t PasswordChar(const ui::Edit& edit) {
    return static_cast<wchar_t>(SendMessageW(edit.Handle(), EM_GETPASSWORDCHAR, 0, 0));
}

// Where a control really is, in the form's client pixels.
RECT Placed(const ui::Control& c) {
    RECT r;
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, c.Owner().Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

const std::vector<std::string> kOneFile{"C:\\doc\\a.txt"};
const std::vector<std::string> kFourFiles{"C:\\doc\\a.txt", "C:\\doc\\b.txt", "C:\\doc\\sub\\c.txt", "D:\\d.doc"};
const std::vector<std::string> kOneContainer{"C:\\doc\\a.pvx"};
const std::vector<std::string> kThreeContainers{"C:\\doc\\a.pvx", "C:\\doc\\b.pvx", "C:\\doc\\c.pvx"};

Options Defaults() { return Options{}; }

// Runs a fresh dialog with the caller's fields; the hook sees it shown.
int ShowDialog(Direction mode, const Options& options, const std::vector<std::string>& files, const std::string& remembered,
        const std::function<void(PasswordDialog&)>& user) {
    PasswordDialog form;
    form.Mode = mode;
    form.ShownOptions = options;
    form.Files = files;
    form.RememberedPW = remembered;
    HookGuard guard([&](ui::Form& f) { user(dynamic_cast<PasswordDialog&>(f)); });
    return form.ShowModal();
}

TEST(InputPWWin, EncryptAsksTwiceBehindPasswordCharacters) {
    ASSERT_EQ(Application::Get().Dpi(), 96);
    Messages messages;
    const int result = ShowDialog(Direction::kEncrypt, Defaults(), kFourFiles, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        EXPECT_EQ(f.Caption(), "パスワード入力 - 暗号化 -");
        // A fixed dialog frame with neither system menu nor close box.
        EXPECT_EQ(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & WS_SYSMENU, 0);
        EXPECT_EQ(f.ClientWidth(), 353);
        // The format tick 8 px under the confirmation, the buttons 16 px under it.
        EXPECT_TRUE(ctl.CBoxStrongFormat.Visible());
        EXPECT_FALSE(ctl.CBoxStrongFormat.Checked());
        EXPECT_EQ(Placed(ctl.CBoxStrongFormat).top, 162);
        EXPECT_EQ(f.ClientHeight(), 236);
        EXPECT_EQ(Placed(ctl.ButtonOk).top, 195);
        EXPECT_EQ(Placed(ctl.ButtonCancel).top, 195);
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Visible());
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Checked());
        EXPECT_TRUE(ctl.LabelPWCon.Visible());
        EXPECT_TRUE(ctl.EditPWCon.Visible());
        EXPECT_EQ(PasswordChar(ctl.EditPW), L'*');
        EXPECT_EQ(PasswordChar(ctl.EditPWCon), L'*');
        EXPECT_EQ(ctl.LabelFiles.Text(), "a.txt　他3個");
        EXPECT_TRUE(ctl.EditPW.Focused());
        EXPECT_EQ(ctl.EditPW.Text(), "");
        ctl.EditPW.SetText("合言葉");
        ctl.EditPWCon.SetText("合言葉");
        ctl.ButtonOk.Click();
    });
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, EncryptWithSeePWShowsThePasswordAndAsksOnce) {
    ASSERT_EQ(Application::Get().Dpi(), 96);
    Messages messages;
    Options options;
    options.ShowPassword = true;
    const int result = ShowDialog(Direction::kEncrypt, options, {"C:\\doc\\報告書.doc"}, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        EXPECT_EQ(f.Caption(), "パスワード入力 - 暗号化 -");
        EXPECT_EQ(PasswordChar(ctl.EditPW), 0);
        EXPECT_FALSE(ctl.LabelPWCon.Visible());
        EXPECT_FALSE(ctl.EditPWCon.Visible());
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Visible());
        // The tick where the open-at-once box stands when decrypting.
        EXPECT_TRUE(ctl.CBoxStrongFormat.Visible());
        EXPECT_EQ(Placed(ctl.CBoxStrongFormat).top, 104);
        EXPECT_EQ(f.ClientHeight(), 178);
        EXPECT_EQ(Placed(ctl.ButtonOk).top, 137);
        EXPECT_EQ(Placed(ctl.ButtonCancel).top, 137);
        EXPECT_EQ(ctl.LabelFiles.Text(), "報告書.doc");
        EXPECT_TRUE(ctl.EditPW.Focused());
        ctl.EditPW.SetText("secret");
        ctl.ButtonOk.Click();  // no confirmation asked
    });
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, DecryptNeverAsksForTheConfirmation) {
    ASSERT_EQ(Application::Get().Dpi(), 96);
    for (bool seePW : {false, true}) {
        SCOPED_TRACE(seePW ? "SeePW on" : "SeePW off");
        Messages messages;
        Options options;
        options.ShowPassword = seePW;
        const int result = ShowDialog(Direction::kMelt, options, kOneContainer, "", [&](PasswordDialog& f) {
            auto& ctl = f.ControlsForTest();
            EXPECT_EQ(f.Caption(), "パスワード入力 - 解凍 -");
            EXPECT_TRUE(ctl.CBoxUseMeltFTmp.Visible());
            EXPECT_FALSE(ctl.CBoxStrongFormat.Visible());  // melting reads both formats
            EXPECT_FALSE(ctl.LabelPWCon.Visible());
            EXPECT_FALSE(ctl.EditPWCon.Visible());
            EXPECT_EQ(f.ClientHeight(), 178);
            EXPECT_EQ(Placed(ctl.ButtonOk).top, 137);
            EXPECT_EQ(Placed(ctl.ButtonCancel).top, 137);
            EXPECT_EQ(PasswordChar(ctl.EditPW), seePW ? 0 : L'*');
            EXPECT_EQ(ctl.LabelFiles.Text(), "a.pvx");
            EXPECT_TRUE(ctl.EditPW.Focused());
            ctl.EditPW.SetText("secret");
            ctl.ButtonOk.Click();
        });
        EXPECT_EQ(result, ui::mrOk);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST(InputPWWin, RecyclePWOffersTheRememberedPassword) {
    Messages messages;
    Options options;
    options.RememberPassword = true;

    // Encrypting: the first field is filled (still hidden), the user only confirms.
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, options, kOneFile, "前回の鍵", [&](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  EXPECT_EQ(ctl.EditPW.Text(), "前回の鍵");
                  EXPECT_EQ(PasswordChar(ctl.EditPW), L'*');
                  EXPECT_EQ(ctl.EditPWCon.Text(), "");
                  EXPECT_TRUE(ctl.EditPWCon.Focused());
                  ctl.ButtonOk.Click();
                  ASSERT_EQ(messages.shown.size(), 1u);
                  EXPECT_EQ(messages.shown[0].text, "確認欄にもパスワードを入力して下さい。");
                  EXPECT_EQ(f.ModalResult(), ui::mrNone);
                  ctl.EditPWCon.SetText("前回の鍵");
                  ctl.ButtonOk.Click();
              }),
              ui::mrOk);

    // Nothing remembered yet: an empty field and the focus in it.
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, options, kOneFile, "", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  EXPECT_EQ(ctl.EditPW.Text(), "");
                  EXPECT_TRUE(ctl.EditPW.Focused());
                  ctl.ButtonCancel.Click();
              }),
              ui::mrCancel);

    // Decrypting: filled, and the focus stays in the password field.
    EXPECT_EQ(ShowDialog(Direction::kMelt, options, kOneContainer, "前回の鍵", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  EXPECT_EQ(ctl.EditPW.Text(), "前回の鍵");
                  EXPECT_TRUE(ctl.EditPW.Focused());
                  ctl.ButtonCancel.Click();
              }),
              ui::mrCancel);

    // With ShowPassword the offered password is readable.
    options.ShowPassword = true;
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, options, kOneFile, "前回の鍵", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  EXPECT_EQ(ctl.EditPW.Text(), "前回の鍵");
                  EXPECT_EQ(PasswordChar(ctl.EditPW), 0);
                  EXPECT_TRUE(ctl.EditPW.Focused());
                  ctl.ButtonCancel.Click();
              }),
              ui::mrCancel);

    // RememberPassword off: whatever the caller remembers is not offered.
    options = Defaults();
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, options, kOneFile, "前回の鍵", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  EXPECT_EQ(ctl.EditPW.Text(), "");
                  EXPECT_TRUE(ctl.EditPW.Focused());
                  ctl.ButtonCancel.Click();
              }),
              ui::mrCancel);
}

TEST(InputPWWin, EachCheckShowsItsMessageAndKeepsTheDialogOpen) {
    Messages messages;
    const int result = ShowDialog(Direction::kEncrypt, Defaults(), kOneFile, "", [&](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        auto refusedWith = [&](const std::string& pw, const std::string& con, const std::string& expected) {
            SCOPED_TRACE(expected);
            messages.shown.clear();
            ctl.EditPW.SetText(pw);
            ctl.EditPWCon.SetText(con);
            ctl.ButtonOk.Click();
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, expected);
            EXPECT_EQ(messages.shown[0].caption, "プリベックス");
            EXPECT_EQ(messages.shown[0].style, 48u);
            EXPECT_EQ(f.ModalResult(), ui::mrNone);
            EXPECT_TRUE(f.Visible());
            EXPECT_EQ(ctl.EditPW.Text(), pw);  // fields stay as typed
            EXPECT_EQ(ctl.EditPWCon.Text(), con);
        };
        refusedWith("", "", "パスワードを入力して下さい。");
        refusedWith("", "abc", "パスワードを入力して下さい。");
        refusedWith("abc", "", "確認欄にもパスワードを入力して下さい。");
        refusedWith("abc", "abd", "パスワードが異なっています。");
        refusedWith("abc", "abc ", "パスワードが異なっています。");
        refusedWith("café", "cafe", "パスワードが異なっています。");
        refusedWith("café", "café",
                    "パスワードに使用できない文字が含まれています。\n使用できない文字：é\n"
                    "新しい形式（AES-256）ならどの文字も使えます。");
        // Enter, from the confirmation field, runs the same checks.
        messages.shown.clear();
        ctl.EditPW.SetText("abc");
        ctl.EditPWCon.SetText("xyz");
        ctl.EditPWCon.SetFocus();
        Key(f, VK_RETURN);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "パスワードが異なっています。");
        EXPECT_EQ(f.ModalResult(), ui::mrNone);
        // The confirmation has the focus with all of it selected: typing replaces it.
        EXPECT_EQ(GetFocus(), ctl.EditPWCon.Handle());
        DWORD from = 1, to = 0;
        SendMessageW(ctl.EditPWCon.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 3u);
        // Corrected, the same Enter closes it.
        messages.shown.clear();
        ctl.EditPWCon.SetText("abc");
        Key(f, VK_RETURN);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(f.ModalResult(), ui::mrOk);
    });
    EXPECT_EQ(result, ui::mrOk);
}

TEST(InputPWWin, SpacesAreAPassword) {
    Messages messages;
    EXPECT_EQ(ShowDialog(Direction::kMelt, Defaults(), kOneContainer, "", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  ctl.EditPW.SetText("   ");
                  ctl.ButtonOk.Click();
              }),
              ui::mrOk);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, CancelClosesAtOnceWithoutChecks) {
    Messages messages;
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, Defaults(), kOneFile, "", [](PasswordDialog& f) {
                  auto& ctl = f.ControlsForTest();
                  ctl.EditPW.SetText("abc");
                  ctl.EditPWCon.SetText("different");
                  ctl.ButtonCancel.Click();
              }),
              ui::mrCancel);
    // Esc through the keyboard, from either field, with nothing typed.
    EXPECT_EQ(ShowDialog(Direction::kEncrypt, Defaults(), kOneFile, "", [](PasswordDialog& f) { Key(f, VK_ESCAPE); }), ui::mrCancel);
    EXPECT_EQ(ShowDialog(Direction::kMelt, Defaults(), kOneContainer, "", [](PasswordDialog& f) {
                  f.ControlsForTest().EditPW.SetText("abc");
                  Key(f, VK_ESCAPE);
              }),
              ui::mrCancel);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, TabOrderAndAccelerators) {
    Messages messages;
    ShowDialog(Direction::kEncrypt, Defaults(), kOneFile, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        ASSERT_TRUE(ctl.EditPW.Focused());
        Key(f, VK_TAB);
        EXPECT_TRUE(ctl.EditPWCon.Focused());
        Key(f, VK_TAB);  // the hidden open-at-once box is skipped, the format tick is next
        EXPECT_TRUE(ctl.CBoxStrongFormat.Focused());
        Key(f, VK_TAB);
        EXPECT_TRUE(ctl.ButtonOk.Focused());
        Key(f, VK_TAB);
        EXPECT_TRUE(ctl.ButtonCancel.Focused());
        Key(f, 'P', true);
        EXPECT_TRUE(ctl.EditPW.Focused());
        Key(f, 'R', true);
        EXPECT_TRUE(ctl.EditPWCon.Focused());
        Key(f, 'K', true);  // Alt+K toggles the format tick
        EXPECT_TRUE(ctl.CBoxStrongFormat.Checked());
        Key(f, 'C', true);
        EXPECT_EQ(f.ModalResult(), ui::mrCancel);
    });
    ShowDialog(Direction::kMelt, Defaults(), kThreeContainers, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        ASSERT_TRUE(ctl.EditPW.Focused());
        Key(f, VK_TAB);
        EXPECT_TRUE(ctl.CBoxUseMeltFTmp.Focused());
        Key(f, VK_TAB);
        EXPECT_TRUE(ctl.ButtonOk.Focused());
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Checked());
        Key(f, 'U', true);  // the box's own accelerator ticks it
        EXPECT_TRUE(ctl.CBoxUseMeltFTmp.Checked());
        ctl.EditPW.SetText("abc");
        Key(f, 'O', true);
        EXPECT_EQ(f.ModalResult(), ui::mrOk);
    });
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, AnAmpersandInTheFileNameIsShownAndIsNoAccelerator) {
    Messages messages;
    ShowDialog(Direction::kEncrypt, Defaults(), {"C:\\doc\\&Z.txt", "C:\\doc\\b.txt"}, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        EXPECT_EQ(ctl.LabelFiles.Text(), "&Z.txt　他1個");
        ctl.EditPWCon.SetFocus();
        Key(f, 'Z', true);
        EXPECT_TRUE(ctl.EditPWCon.Focused());
        ctl.ButtonCancel.Click();
    });
}

TEST(InputPWWin, OpenCheckBoxStartsByTheOptionsAndTheCount) {
    struct Case {
        bool useMeltF, useManyMeltF;
        const std::vector<std::string>* files;
        bool ticked;
    };
    const Case cases[] = {
        {true, false, &kOneContainer, true},     {true, false, &kThreeContainers, false},
        {true, true, &kOneContainer, true},      {true, true, &kThreeContainers, true},
        {false, false, &kOneContainer, false},   {false, true, &kThreeContainers, false},
    };
    Messages messages;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "UseMeltF " << c.useMeltF << " UseManyMeltF " << c.useManyMeltF
                                        << " files " << c.files->size());
        Options options;
        options.OpenMeltedFile = c.useMeltF;
        options.OpenManyMeltedFiles = c.useManyMeltF;
        ShowDialog(Direction::kMelt, options, *c.files, "", [&](PasswordDialog& f) {
            auto& ctl = f.ControlsForTest();
            EXPECT_EQ(ctl.CBoxUseMeltFTmp.Checked(), c.ticked);
            ctl.ButtonCancel.Click();
        });
    }
    // Encrypting hides it unticked whatever the options say.
    Options options;
    options.OpenMeltedFile = true;
    options.OpenManyMeltedFiles = true;
    ShowDialog(Direction::kEncrypt, options, kOneFile, "", [](PasswordDialog& f) {
        auto& ctl = f.ControlsForTest();
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Checked());
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Visible());
        ctl.ButtonCancel.Click();
    });
}

// ---- the caller's side ----

// A stand-in main window, so that placement has a reference.
class MainWindowGuard {
public:
    MainWindowGuard() : form(200, 100, "main") {
        form.SetPosition(40, 50);
        Application::Get().SetMainForm(&form);
    }
    ~MainWindowGuard() { Application::Get().SetMainForm(nullptr); }
    ui::Form form;
};

TEST(InputPWWin, AskPasswordHandsBackWhatWasTyped) {
    Messages messages;
    OptionsGuard keep;
    MainWindowGuard main;
    OptionsInForce().DialogPlacement = kDialogsBesideOpener;
    OptionsInForce().StayOnTop = true;

    Options options;  // the caller's copy, not the global record, decides the fields
    options.RememberPassword = true;
    options.OpenMeltedFile = false;
    HookGuard guard([](ui::Form& f) {
        auto& d = dynamic_cast<PasswordDialog&>(f);
        auto& ctl = d.ControlsForTest();
        EXPECT_FALSE(Application::Get().Busy());  // no hourglass while the user types
        EXPECT_EQ(d.Left(), 40);                  // beside the main window
        EXPECT_EQ(d.Top(), 50);
        EXPECT_TRUE(d.StayOnTop());
        EXPECT_EQ(d.Caption(), "パスワード入力 - 解凍 -");
        EXPECT_EQ(ctl.LabelFiles.Text(), "a.pvx　他2個");
        EXPECT_EQ(ctl.EditPW.Text(), "前回");
        EXPECT_FALSE(ctl.CBoxUseMeltFTmp.Checked());
        ctl.EditPW.SetText("今回の鍵");
        ctl.CBoxUseMeltFTmp.Click();  // ticked by hand
        ctl.ButtonOk.Click();
    });
    const PasswordAnswer answer = AskPassword(Direction::kMelt, options, kThreeContainers, "前回");
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.password.str(), "今回の鍵");
    EXPECT_FALSE(answer.strongFormat);
    EXPECT_TRUE(answer.useMelted);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(InputPWWin, TheFormatTickStartsAsTheOptionSaysAndDecidesThisPassOnly) {
    Messages messages;
    for (const bool option : {false, true}) {
        SCOPED_TRACE(option ? "StrongFormat on" : "StrongFormat off");
        Options options;
        options.StrongFormat = option;
        options.ShowPassword = true;
        HookGuard guard([&](ui::Form& f) {
            auto& d = dynamic_cast<PasswordDialog&>(f);
            auto& ctl = d.ControlsForTest();
            EXPECT_EQ(ctl.CBoxStrongFormat.Checked(), option);
            EXPECT_EQ(ctl.Hints.Hint(ctl.CBoxStrongFormat), text::kStrongFormatHint);
            // Off, the compatible format needs a code page 932 password; on, any password goes.
            if (option) ctl.CBoxStrongFormat.Click();
            ctl.EditPW.SetText("鍵🔑");
            ctl.ButtonOk.Click();
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, PasswordUnusableMessage("鍵🔑"));
            ctl.CBoxStrongFormat.Click();
            ctl.ButtonOk.Click();
        });
        const PasswordAnswer answer = AskPassword(Direction::kEncrypt, options, kOneFile, "");
        EXPECT_TRUE(answer.ok);
        EXPECT_TRUE(answer.strongFormat);
        EXPECT_EQ(answer.password.str(), "鍵🔑");
        EXPECT_EQ(options.StrongFormat, option);  // the option is not the dialog's to change
        messages.shown.clear();
    }
}

TEST(InputPWWin, AskPasswordEncryptingAndCancelled) {
    Messages messages;
    {
        HookGuard guard([](ui::Form& f) {
            auto& d = dynamic_cast<PasswordDialog&>(f);
            auto& ctl = d.ControlsForTest();
            EXPECT_EQ(d.Caption(), "パスワード入力 - 暗号化 -");
            EXPECT_EQ(ctl.EditPW.Text(), "");  // RememberPassword off by default
            ctl.EditPW.SetText("pw");
            ctl.EditPWCon.SetText("pw");
            ctl.ButtonOk.Click();
        });
        const PasswordAnswer answer = AskPassword(Direction::kEncrypt, Defaults(), kFourFiles, "前回");
        EXPECT_TRUE(answer.ok);
        EXPECT_EQ(answer.password.str(), "pw");
        EXPECT_FALSE(answer.useMelted);
    }
    {
        HookGuard guard([](ui::Form& f) {
            auto& d = dynamic_cast<PasswordDialog&>(f);
            auto& ctl = d.ControlsForTest();
            ctl.EditPW.SetText("typed");
            ctl.CBoxUseMeltFTmp.Click();
            Key(d, VK_ESCAPE);
        });
        const PasswordAnswer answer = AskPassword(Direction::kMelt, Defaults(), kOneContainer, "");
        EXPECT_FALSE(answer.ok);
        EXPECT_EQ(answer.password.str(), "");
        EXPECT_FALSE(answer.useMelted);
    }
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace plivex
