// Opening melted files with their application and encrypting them again when
// it ends, with real processes: the test application is associated with the
// ".pvxdoc" type while these tests run.
#include <gtest/gtest.h>

#include "app/main_window_win.h"
#include "app/instance_win.h"
#include "codec/cipher.h"
#include "codec/codec.h"
#include "app/codec_ui_win.h"
#include "codec/names.h"
#include "codec/texts.h"
#include "monitor/texts.h"
#include "monitor/open_with_win.h"
#include "options/options.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

using enum CodecResult;

using test::LongPathOf;

using test::PumpUntil;

class Monitor : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& text, const std::string&, unsigned style) {
            shown.push_back(text);
            styles.push_back(style);
            return (style & ~kDefaultNo) == kStyleYesNo ? answer : MsgAnswer::kOk;
        });
        SetEnvironmentVariableW(L"PLIVEX_TEST_APP_SINGLE", nullptr);
    }
    void TearDown() override {
        ui::SetMsgBoxResponder(nullptr);
        SetEnvironmentVariableW(L"PLIVEX_TEST_APP_SINGLE", nullptr);
    }

    // A plain file as a melt leaves it, opened at once as the batch does.
    std::string OpenMelted(const std::string& name, const std::string& content) {
        const std::string plain = folder + name;
        EXPECT_TRUE(test::WriteAll(plain, content));
        ContainerKey containerKey;
        containerKey.version = kFormatVersion;
        containerKey.keyString = Secret(key);
        form.OpenMelted(plain, containerKey);
        return plain;
    }
    // The copy of the test application started on this file.
    HWND AppWindowOn(const std::string& plain) {
        HWND found = nullptr;
        PumpUntil([&] {
            for (HWND w : test::TestAppWindows()) {
                wchar_t title[2048] = {};
                GetWindowTextW(w, title, 2048);
                if (std::wstring(title).find(Widen(plain)) != std::wstring::npos) found = w;
            }
            return found != nullptr;
        });
        return found;
    }
    // One tick of the window's monitor timer, at once.
    void Tick() { form.ControlsForTest().TimerProsMon.OnTimer(); }
    std::wstring TitleOf(HWND w) {
        wchar_t title[2048] = {};
        GetWindowTextW(w, title, 2048);
        return title;
    }
    std::string Container(const std::string& content, const std::string& name) {
        test::TempDir other;
        const std::string plain = other / name;
        test::WriteAll(plain, content);
        WinCodecUi ui;
        const Options defaults;
        Codec codec(SystemFiles(), ui, defaults);
        EXPECT_EQ(codec.Encode(plain, ChangeExt(plain, "pvx"), kNoClash, kFormatVersion, key).result, kNoClash);
        return test::ReadAll(ChangeExt(plain, "pvx")).value_or("");
    }

    test::OptionsGuard options;
    test::TestAppGuard apps;
    test::Association association{".pvxdoc", test::TestAppPath()};
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string key = MakeKeyString("再暗号 key");
    std::vector<std::string> shown;
    MsgAnswer answer = MsgAnswer::kNo;
    std::vector<unsigned> styles;
    MainWindow form;
};

TEST_F(Monitor, EndingTheApplicationEncryptsTheFileAgainWithinASecond) {
    const DWORD handlesBefore = [] {
        DWORD n = 0;
        GetProcessHandleCount(GetCurrentProcess(), &n);
        return n;
    }();
    for (int round = 0; round < 3; ++round) {
        const std::string name = "報告書" + std::to_string(round) + ".pvxdoc";
        const std::string plain = OpenMelted(name, "本文 " + std::to_string(round));
        const HWND app = AppWindowOn(plain);
        ASSERT_TRUE(app) << "the associated application did not start";
        EXPECT_EQ(TitleOf(app), Widen(text::Quoted(LongPathOf(test::TestAppPath())) + " " + text::Quoted(plain)));
        ASSERT_EQ(form.Watched.Count(), 1u);
        EXPECT_EQ(form.Watched[0].FileName, plain);

        Tick();  // a tick while the application runs
        EXPECT_TRUE(test::FileExists(plain)) << "plain while the application runs";
        ASSERT_EQ(form.Watched.Count(), 1u);
        ASSERT_TRUE(test::CloseTestApp(app));  // waits until its process has ended
        Tick();  // the next tick
        EXPECT_TRUE(form.Watched.Empty());
        EXPECT_EQ(test::ReadAll(ChangeExt(plain, "pvx")).value_or(""), Container("本文 " + std::to_string(round), name));
        EXPECT_FALSE(test::FileExists(plain)) << "DelRawF removes the plain file";
        EXPECT_EQ(form.ControlsForTest().SBar.SimpleText(), "再暗号化：" + name);
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 2) << "process handles are closed once no entry needs them";
    EXPECT_TRUE(shown.empty());
}

TEST_F(Monitor, ARunningCopyThatTakesOverTheFileIsWaitedFor) {
    SetEnvironmentVariableW(L"PLIVEX_TEST_APP_SINGLE", L"1");
    test::Program running(test::TestAppPath(), {});
    ASSERT_TRUE(running.started()) << running.failure();
    ASSERT_TRUE(PumpUntil([] { return !test::TestAppWindows().empty(); }));
    const HWND runningWindow = test::TestAppWindows().front();

    const std::string plain = OpenMelted("共有.pvxdoc", "handed over");
    ASSERT_EQ(form.Watched.Count(), 2u);
    EXPECT_TRUE(form.Watched[0].IsPlaceholder());
    EXPECT_TRUE(SameProgramPath(form.Watched[0].AppName, test::TestAppPath()));
    ASSERT_TRUE(PumpUntil([&] { return TitleOf(runningWindow).find(Widen(plain)) != std::wstring::npos; }))
        << "the started copy hands the file to the running one";
    const ProcessRef started = form.Watched[1].Process;
    ASSERT_TRUE(PumpUntil([&] {
        const std::optional<std::uint32_t> code = started->ExitCode();
        return code && *code != kStillActive;
    })) << "the started copy did not end";
    Tick();
    ASSERT_EQ(form.Watched.Count(), 2u) << "the started copy ended, the running one still works on the file";
    EXPECT_FALSE(form.Watched[1].Alive);
    EXPECT_TRUE(test::FileExists(plain));

    ASSERT_TRUE(test::CloseTestApp(runningWindow));
    ASSERT_TRUE(PumpUntil([&] { return form.Watched.Empty(); }));
    EXPECT_EQ(test::ReadAll(ChangeExt(plain, "pvx")).value_or(""), Container("handed over", "共有.pvxdoc"));
}

TEST_F(Monitor, LeftoverContainerAndKeptPlainFileFollowTheOptions) {
    OptionsInForce().DeleteContainerAfterMelt = false;
    OptionsInForce().DeleteSourceAfterEncrypt = false;
    for (const int overlap : {kAskAtClash, kNumberAtClash}) {
        SCOPED_TRACE(overlap);
        OptionsInForce().OnNameClash = overlap;
        const std::string name = "表" + std::to_string(overlap) + ".pvxdoc";
        const std::string container = ChangeExt(folder + name, "pvx");
        ASSERT_TRUE(test::WriteAll(container, "the container it was melted from"));
        std::vector<std::string> asked;
        const OverwriteAsker previous = SetOverwriteAsker([&](std::string& path) {
            asked.push_back(path);
            return kOverwrite;
        });
        const std::string plain = OpenMelted(name, "edited");
        ASSERT_TRUE(test::CloseTestApp(AppWindowOn(plain)));
        ASSERT_TRUE(PumpUntil([&] { return form.Watched.Empty(); }));
        SetOverwriteAsker(previous);

        EXPECT_EQ(test::ReadAll(plain).value_or(""), "edited") << "DelRawF off keeps the plain file";
        if (overlap == kAskAtClash) {
            EXPECT_EQ(asked, std::vector<std::string>{container}) << "asked even after All yes in a batch";
            EXPECT_EQ(test::ReadAll(container).value_or(""), Container("edited", name));
        } else {
            EXPECT_TRUE(asked.empty());
            EXPECT_EQ(test::ReadAll(container).value_or(""), "the container it was melted from");
            EXPECT_EQ(test::ReadAll(ChangeExt(folder + "表2_2.pvxdoc", "pvx")).value_or(""),
                      Container("edited", name));
        }
    }
}

TEST_F(Monitor, WithoutReencodeOnlyPlaceholdersAreKeptAndDroppedQuietly) {
    OptionsInForce().ReencryptAfterUse = false;
    test::Program running(test::TestAppPath(), {});
    ASSERT_TRUE(PumpUntil([] { return !test::TestAppWindows().empty(); }));
    const std::string plain = OpenMelted("メモ.pvxdoc", "not watched");
    ASSERT_TRUE(AppWindowOn(plain)) << "still opened at once";
    ASSERT_EQ(form.Watched.Count(), 1u);
    EXPECT_TRUE(form.Watched[0].IsPlaceholder());

    for (HWND w : test::TestAppWindows()) ASSERT_TRUE(test::CloseTestApp(w));
    ASSERT_TRUE(PumpUntil([&] { return form.Watched.Empty(); }));
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"メモ.pvxdoc"});
    EXPECT_EQ(form.ControlsForTest().SBar.SimpleText(), "");
}

TEST_F(Monitor, AMeltedProgramIsStartedWithoutArgument) {
    const std::string program = OpenMelted("道具.exe", test::ReadAll(test::TestAppPath()).value_or(""));
    const HWND window = AppWindowOn(program);
    ASSERT_TRUE(window) << "the melted program did not start";
    EXPECT_EQ(TitleOf(window), Widen(text::Quoted(program)));
    ASSERT_EQ(form.Watched.Count(), 1u);
    ASSERT_TRUE(test::CloseTestApp(window));
    ASSERT_TRUE(PumpUntil([&] { return form.Watched.Empty(); }));
    EXPECT_TRUE(test::FileExists(ChangeExt(program, "pvx")));
}

TEST_F(Monitor, MissingAssociationAndBrokenProgramAreReported) {
    const std::string garbled = OpenMelted("k#9@x~.q7z", "wrong password");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], text::NotAssociated(garbled));

    const std::string broken = folder + "broken.exe";
    ASSERT_TRUE(test::WriteAll(broken, "not a program"));
    test::Association brokenType(".pvxbad", broken);
    const std::string plain = OpenMelted("資料.pvxbad", "x");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], text::CannotOpenWith(plain, broken));
    EXPECT_TRUE(form.Watched.Empty());
    EXPECT_TRUE(test::TestAppWindows().empty());
}

// A re-encryption that lasts shows the progress window too; Cancel leaves the
// file plain, drops its entry, and says so.
TEST_F(Monitor, CancelledReEncryptionLeavesTheFilePlainAndSaysSo) {
    std::string big(4u << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 253);
    const std::string plain = OpenMelted("大きな図面.pvxdoc", big);
    ASSERT_EQ(form.Watched.Count(), 1u);
    ASSERT_TRUE(test::CloseTestApp(AppWindowOn(plain)));
    {
        test::CancelWhenProgressShows cancel;
        Tick();
        EXPECT_TRUE(cancel.Pressed());
    }
    EXPECT_TRUE(form.Watched.Empty());
    EXPECT_TRUE(test::ReadAll(plain) == big);
    EXPECT_FALSE(test::FileExists(ChangeExt(plain, "pvx")));
    EXPECT_EQ(shown, std::vector<std::string>{"再暗号化を中止しました。次のファイルは暗号化されていません。\n" + plain});
}

TEST_F(Monitor, ClosingWhileFilesAreInUseAsksFirst) {
    EXPECT_TRUE(form.FormCloseQuery()) << "nothing watched: no question";
    EXPECT_TRUE(shown.empty());

    const std::string plain = OpenMelted("下書き.pvxdoc", "draft");
    ASSERT_EQ(form.Watched.Count(), 1u);
    answer = MsgAnswer::kNo;
    EXPECT_FALSE(form.FormCloseQuery());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], text::ConfirmCloseWhileInUse({plain}));
    EXPECT_NE(shown[0].find("\n" + plain), std::string::npos) << "the open file is named";
    EXPECT_EQ(styles[0], kStyleYesNo | kDefaultNo) << "Enter keeps the program running";
    EXPECT_EQ(form.Watched.Count(), 1u) << "No keeps watching";

    answer = MsgAnswer::kYes;
    TakeUnprotected();  // nothing from earlier runs
    EXPECT_TRUE(form.FormCloseQuery());
    EXPECT_TRUE(form.Watched.Empty());
    // Kept for the next start, and taken only once.
    EXPECT_EQ(TakeUnprotected(), std::vector<std::string>{plain});
    EXPECT_TRUE(TakeUnprotected().empty());
    ASSERT_TRUE(test::CloseTestApp(AppWindowOn(plain)));
    Tick();  // a tick after the application ended
    EXPECT_EQ(test::ReadAll(plain).value_or(""), "draft") << "Yes leaves the file plain";
    EXPECT_FALSE(test::FileExists(ChangeExt(plain, "pvx")));
}

}  // namespace
}  // namespace plivex
