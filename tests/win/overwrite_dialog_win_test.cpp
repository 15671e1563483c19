// The overwrite confirmation dialog with its real handlers, answered through
// the modal hook and the message-box responder, on real files; and the codec
// asking it when nobody answers in its place.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "app/codec_ui_win.h"
#include "codec/texts.h"
#include "dialogs/overwrite_dialog_win.h"
#include "options/options.h"
#include "scripted_ui.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"
#include "win_support.h"
#include "ui_support.h"

namespace plivex {
namespace {

using enum CodecResult;

using test::Key;

using test::Shown;
using test::TempDir;

std::string OverwriteQuestion(const std::string& path) {
    return "ファイル \"" + path + "\" は既に存在します。\n上書きしてよろしいですか？";
}

// Plays the user: the hook acts on the dialog, message boxes are answered in
// order and recorded; a question nobody expected fails the test.
class CheckFE : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            shown.push_back({t, c, s});
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected message: " << t;
                return MsgAnswer::kNo;
            }
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
        ASSERT_TRUE(test::WriteAll(existing, "old"));
    }
    void TearDown() override {
        ui::SetModalHook(nullptr);
        ui::SetMsgBoxResponder(nullptr);
    }

    // Asks about path with the dialog, the hook acting in place of the user.
    CodecResult Ask(std::string& path, const std::function<void(OverwriteDialog&)>& user) {
        ui::SetModalHook([&](ui::Form& f) {
            ++dialogs;
            user(dynamic_cast<OverwriteDialog&>(f));
        });
        const CodecResult result = AskOverwriteWithDialog(path);
        ui::SetModalHook(nullptr);
        return result;
    }

    TempDir dir;
    const std::string existing = dir / "報告書.pvx";
    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;
    int dialogs = 0;
};

TEST_F(CheckFE, EachAnswerClosesWithItsResult) {
    const std::pair<ui::Button OverwriteDialogControls::*, CodecResult> cases[] = {
        {&OverwriteDialogControls::ButtonYes, kOverwrite},
        {&OverwriteDialogControls::ButtonNo, kSkipped},
        {&OverwriteDialogControls::ButtonCancel, kFailed},
        {&OverwriteDialogControls::ButtonAllYes, kOverwriteAll},
        {&OverwriteDialogControls::ButtonAllNo, kSkipAll},
    };
    for (const auto& [button, result] : cases) {
        SCOPED_TRACE(static_cast<int>(result));
        std::string path = existing;
        EXPECT_EQ(Ask(path, [&](OverwriteDialog& f) { (f.ControlsForTest().*button).Click(); }), result);
        EXPECT_EQ(path, existing);
    }
    std::string path = existing;
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      ctl.EditFName.SetText("別名.pvx");
                      ctl.ButtonRename.Click();
                  }),
              kRenamed);
    EXPECT_EQ(path, dir / "別名.pvx");
    EXPECT_EQ(dialogs, 6);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(test::ReadAll(existing), "old");  // the dialog itself writes nothing
}

TEST_F(CheckFE, ShowsTheNamePartAndStartsOnYes) {
    // "&" in a file name is shown, not taken for an accelerator.
    const std::string name = "A&B 報告.pvx";
    ASSERT_TRUE(test::WriteAll(dir / name, "old"));
    std::string path = dir / name;
    Ask(path, [&](OverwriteDialog& f) {
        auto& ctl = f.ControlsForTest();
        EXPECT_EQ(f.Caption(), "上書き確認");
        EXPECT_EQ(f.ClientWidth(), 337);
        EXPECT_EQ(f.ClientHeight(), 222);
        EXPECT_FALSE(GetWindowLongPtrW(f.Handle(), GWL_STYLE) & WS_SYSMENU);  // no system menu, no close box
        EXPECT_EQ(ctl.LabelFName.Text(), name);
        EXPECT_TRUE(GetWindowLongPtrW(ctl.LabelFName.Handle(), GWL_STYLE) & SS_NOPREFIX);
        EXPECT_EQ(ctl.EditFName.Text(), name);
        EXPECT_TRUE(ctl.ButtonYes.Focused());
        ctl.ButtonNo.Click();
    });
    EXPECT_EQ(dialogs, 1);
}

TEST_F(CheckFE, KeyboardTabEnterEscAndAccelerators) {
    std::string path = existing;
    // Tab walks the answers, then the name field, then Rename, and wraps.
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      const ui::Control* order[] = {&ctl.ButtonNo,    &ctl.ButtonCancel, &ctl.ButtonAllYes,
                                                    &ctl.ButtonAllNo, &ctl.EditFName,    &ctl.ButtonRename,
                                                    &ctl.ButtonYes};
                      for (const ui::Control* c : order) {
                          Key(f, VK_TAB);
                          EXPECT_TRUE(c->Focused()) << c->Text();
                      }
                      Key(f, VK_ESCAPE);
                  }),
              kFailed);
    // Enter presses the focused button: Yes at first.
    EXPECT_EQ(Ask(path, [](OverwriteDialog& f) { Key(f, VK_RETURN); }), kOverwrite);
    // From the name field Enter presses Rename, the default button.
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      ctl.EditFName.SetFocus();
                      ctl.EditFName.SetText("新.pvx");
                      Key(f, VK_RETURN);
                  }),
              kRenamed);
    EXPECT_EQ(path, dir / "新.pvx");
    path = existing;
    EXPECT_EQ(Ask(path, [](OverwriteDialog& f) { Key(f, 'A', true); }), kOverwriteAll);
    EXPECT_EQ(Ask(path, [](OverwriteDialog& f) { Key(f, 'B', true); }), kSkipAll);
    EXPECT_EQ(path, existing);
    EXPECT_TRUE(shown.empty());
    // F1 opens the help chapter on name clashes and leaves the question open.
    std::vector<std::string> chapters;
    ui::Application::Get().SetHelpHandler([&](const std::string& anchor) { chapters.push_back(anchor); });
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      Key(f, VK_F1);
                      EXPECT_EQ(f.ModalResult(), ui::mrNone);
                      Key(f, VK_ESCAPE);
                  }),
              kFailed);
    ui::Application::Get().SetHelpHandler(nullptr);
    EXPECT_EQ(chapters, std::vector<std::string>{"Juufuku"});
}

TEST_F(CheckFE, RenameToAFreeNameIsNotQuestioned) {
    std::string path = existing;
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      ctl.EditFName.SetText("新しい報告書.pvx");
                      ctl.ButtonRename.Click();
                  }),
              kRenamed);
    EXPECT_EQ(path, dir / "新しい報告書.pvx");

    // A folder of that name is no file to overwrite: the name is passed on as
    // typed, and the writing step reports what fails there.
    ASSERT_TRUE(CreateDirectoryW(Widen(dir / "保管").c_str(), nullptr));
    path = existing;
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      ctl.EditFName.SetText("保管");
                      ctl.ButtonRename.Click();
                  }),
              kRenamed);
    EXPECT_EQ(path, dir / "保管");
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(test::FileExists(dir / "新しい報告書.pvx"));
}

TEST_F(CheckFE, RenameOntoAnExistingFileAsksFirst) {
    const std::string other = dir / "既存.pvx";
    ASSERT_TRUE(test::WriteAll(other, "other"));
    answers = {MsgAnswer::kNo, MsgAnswer::kYes};
    std::string path = existing;
    EXPECT_EQ(Ask(path,
                  [&](OverwriteDialog& f) {
                      auto& ctl = f.ControlsForTest();
                      ctl.EditFName.SetText("既存.pvx");
                      ctl.ButtonRename.Click();
                      // No: the dialog stays as it was, for another name or answer.
                      EXPECT_EQ(f.ModalResult(), ui::mrNone);
                      EXPECT_TRUE(f.Visible());
                      EXPECT_EQ(ctl.EditFName.Text(), "既存.pvx");
                      EXPECT_EQ(ctl.LabelFName.Text(), "報告書.pvx");
                      EXPECT_EQ(f.TargetPath, existing);
                      ctl.ButtonRename.Click();  // Yes this time
                  }),
              kRenamed);
    EXPECT_EQ(path, other);
    ASSERT_EQ(shown.size(), 2u);
    for (const Shown& s : shown) {
        EXPECT_EQ(s.text, OverwriteQuestion(other));
        EXPECT_EQ(s.caption, "プリベックス");
        EXPECT_EQ(s.style, 52u | 256u) << "No is the default: Enter replaces nothing";
    }
    EXPECT_EQ(test::ReadAll(other), "other");
}

TEST_F(CheckFE, RenameWithTheProposedNameFindsTheExistingFile) {
    // Yes: the same path comes back as the new one.
    answers = {MsgAnswer::kYes};
    std::string path = existing;
    EXPECT_EQ(Ask(path, [](OverwriteDialog& f) { f.ControlsForTest().ButtonRename.Click(); }), kRenamed);
    EXPECT_EQ(path, existing);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, OverwriteQuestion(existing));

    // No: still open; then another answer is taken as usual.
    shown.clear();
    answers = {MsgAnswer::kNo};
    EXPECT_EQ(Ask(path,
                  [](OverwriteDialog& f) {
                      f.ControlsForTest().ButtonRename.Click();
                      EXPECT_EQ(f.ModalResult(), ui::mrNone);
                      f.ControlsForTest().ButtonCancel.Click();
                  }),
              kFailed);
    EXPECT_EQ(path, existing);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(CheckFE, PlacedByTheDialogPositionOption) {
    const Options saved = OptionsInForce();
    ui::Form main(200, 100, "main");
    main.SetPosition(120, 80);
    main.Show();
    ui::Application::Get().SetMainForm(&main);

    std::string path = existing;
    OptionsInForce().DialogPlacement = kDialogsBesideOpener;
    OptionsInForce().StayOnTop = true;
    Ask(path, [](OverwriteDialog& f) {
        // Beside the main window: on its top-left corner, and kept on top.
        EXPECT_EQ(f.Left(), 120);
        EXPECT_EQ(f.Top(), 80);
        EXPECT_TRUE(GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        f.ControlsForTest().ButtonNo.Click();
    });
    OptionsInForce().DialogPlacement = kDialogsCentred;
    OptionsInForce().StayOnTop = false;
    Ask(path, [](OverwriteDialog& f) {
        EXPECT_EQ(f.Left(), (GetSystemMetrics(SM_CXSCREEN) - f.Width()) / 2);
        EXPECT_EQ(f.Top(), (GetSystemMetrics(SM_CYSCREEN) - f.Height()) / 2);
        EXPECT_FALSE(GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        f.ControlsForTest().ButtonNo.Click();
    });
    EXPECT_EQ(dialogs, 2);

    ui::Application::Get().SetMainForm(nullptr);
    main.Hide();
    OptionsInForce() = saved;
}

// The codec asks through the real dialog when no test answers in its place.
class CheckFECodec : public CheckFE {
protected:
    void SetUp() override {
        CheckFE::SetUp();
        ASSERT_TRUE(DeleteFileW(Widen(existing).c_str()));
        SetOverwriteAsker(nullptr);
        opt.OnNameClash = kAskAtClash;
        opt.ConfirmMeltedName = false;
        opt.DeleteContainerAfterMelt = false;  // melted containers stay, whatever this prefix associates
        ui::SetModalHook([this](ui::Form& f) {
            auto& dialog = dynamic_cast<OverwriteDialog&>(f);
            asked.push_back(dialog.TargetPath);
            ASSERT_FALSE(user.empty()) << "unexpected dialog for " << dialog.TargetPath;
            auto act = std::move(user.front());
            user.pop_front();
            act(dialog);
        });
    }
    // One action of the user per dialog, in order.
    std::deque<std::function<void(OverwriteDialog&)>> user;
    std::vector<std::string> asked;
    Options opt;
    WinCodecUi winUi;
    Codec codec{SystemFiles(), winUi, opt};
    const std::string key = MakeKeyString("pw");
};

void Press(std::deque<std::function<void(OverwriteDialog&)>>& user, ui::Button OverwriteDialogControls::*button) {
    user.push_back([button](OverwriteDialog& f) { (f.ControlsForTest().*button).Click(); });
}

TEST_F(CheckFECodec, AllYesAnswersTheLaterClashesOfTheBatch) {
    // A container to melt later, over a stale plain file.
    ASSERT_TRUE(test::WriteAll(dir / "x.txt", "melted"));
    ASSERT_EQ(codec.Encode(dir / "x.txt", dir / "x.pvx", kNoClash, 1, key).result, kNoClash);
    ASSERT_TRUE(test::WriteAll(dir / "x.txt", "stale"));
    for (const char* n : {"a", "b", "c"}) ASSERT_TRUE(test::WriteAll(dir / (std::string(n) + ".txt"), n));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old"));
    ASSERT_TRUE(test::WriteAll(dir / "b.pvx", "old"));

    Press(user, &OverwriteDialogControls::ButtonAllYes);
    CodecResult carried = codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result;
    EXPECT_EQ(carried, kOverwriteAll);
    carried = codec.Encode(dir / "b.txt", dir / "b.pvx", carried, 1, key).result;
    EXPECT_EQ(carried, kOverwriteAll);
    carried = codec.Encode(dir / "c.txt", dir / "c.pvx", carried, 1, key).result;  // no clash
    EXPECT_EQ(carried, kOverwriteAll);
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "x.pvx", plain, carried, version, key).result, kOverwriteAll);

    EXPECT_EQ(asked, std::vector<std::string>{dir / "a.pvx"});
    EXPECT_EQ(test::ListFolder(dir.path()), (std::vector<std::string>{"a.pvx", "b.pvx", "c.pvx", "x.pvx", "x.txt"}));
    EXPECT_EQ(test::ReadAll(dir / "x.txt"), "melted");
    // The overwritten containers are real ones: they melt back.
    for (const char* n : {"a", "b"}) {
        const std::string c = dir / (std::string(n) + ".pvx");
        EXPECT_EQ(codec.Melt(c, plain, kNoClash, version, key).result, kNoClash);
        EXPECT_EQ(test::ReadAll(dir / (std::string(n) + ".txt")), n);
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(CheckFECodec, AllNoSkipsTheLaterClashesOfTheBatch) {
    for (const char* n : {"a", "b"}) {
        ASSERT_TRUE(test::WriteAll(dir / (std::string(n) + ".txt"), n));
        ASSERT_TRUE(test::WriteAll(dir / (std::string(n) + ".pvx"), "old"));
    }
    // A container whose plain file is taken as well.
    ASSERT_TRUE(test::WriteAll(dir / "y.txt", "fresh"));
    ASSERT_EQ(codec.Encode(dir / "y.txt", dir / "y.pvx", kNoClash, 1, key).result, kNoClash);
    ASSERT_TRUE(test::WriteAll(dir / "y.txt", "kept"));

    Press(user, &OverwriteDialogControls::ButtonAllNo);
    CodecResult carried = codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result;
    EXPECT_EQ(carried, kSkipAll);
    carried = codec.Encode(dir / "b.txt", dir / "b.pvx", carried, 1, key).result;
    EXPECT_EQ(carried, kSkipAll);
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "y.pvx", plain, carried, version, key).result, kSkipAll);

    EXPECT_EQ(asked, std::vector<std::string>{dir / "a.pvx"});
    // Nothing written, and the sources stay although they are deleted after encrypting.
    EXPECT_EQ(test::ListFolder(dir.path()),
              (std::vector<std::string>{"a.pvx", "a.txt", "b.pvx", "b.txt", "y.pvx", "y.txt"}));
    EXPECT_EQ(test::ReadAll(dir / "a.pvx"), "old");
    EXPECT_EQ(test::ReadAll(dir / "b.pvx"), "old");
    EXPECT_EQ(test::ReadAll(dir / "y.txt"), "kept");
    EXPECT_TRUE(shown.empty());
}

TEST_F(CheckFECodec, CancelStopsWithoutWriting) {
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "plain"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old"));
    user.push_back([](OverwriteDialog& f) { Key(f, VK_ESCAPE); });
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kFailed);
    EXPECT_EQ(asked, std::vector<std::string>{dir / "a.pvx"});
    EXPECT_EQ(test::ListFolder(dir.path()), (std::vector<std::string>{"a.pvx", "a.txt"}));
    EXPECT_EQ(test::ReadAll(dir / "a.pvx"), "old");
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "plain");
    EXPECT_TRUE(shown.empty());
}

TEST_F(CheckFECodec, RenameWritesUnderTheNewName) {
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "plain"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old"));
    user.push_back([](OverwriteDialog& f) {
        auto& ctl = f.ControlsForTest();
        ctl.EditFName.SetText("a 新.pvx");
        ctl.ButtonRename.Click();
    });
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kNoClash);  // the carried state
    EXPECT_EQ(test::ListFolder(dir.path()), (std::vector<std::string>{"a 新.pvx", "a.pvx"}));
    EXPECT_EQ(test::ReadAll(dir / "a.pvx"), "old");

    // It holds the file under its own name.
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "a 新.pvx", plain, kNoClash, version, key).result, kNoClash);
    EXPECT_EQ(plain, dir / "a.txt");
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "plain");
    EXPECT_EQ(asked, std::vector<std::string>{dir / "a.pvx"});
    EXPECT_TRUE(shown.empty());
}

TEST_F(CheckFECodec, RenameKeepingTheNameOverwritesOnceConfirmed) {
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "plain"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old"));
    Press(user, &OverwriteDialogControls::ButtonRename);
    answers = {MsgAnswer::kYes};
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kNoClash);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, OverwriteQuestion(dir / "a.pvx"));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"a.pvx"});
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "a.pvx", plain, kNoClash, version, key).result, kNoClash);
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "plain");
}

}  // namespace
}  // namespace plivex
