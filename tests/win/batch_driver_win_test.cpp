// BatchDriver on real folders and files: the real password and overwrite dialogs
// answered through the modal hook, messages through the responder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "app/batch_driver_win.h"
#include "app/pass_progress_win.h"
#include "codec/cipher.h"
#include "codec/codec.h"
#include "app/codec_ui_win.h"
#include "codec/texts.h"
#include "dialogs/overwrite_dialog_win.h"
#include "dialogs/password_dialog_win.h"
#include "dialogs/progress_dialog_win.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/form_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

using enum CodecResult;

using Strings = std::vector<std::string>;
using test::FileExists;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

struct Prompt {
    bool ok = true;
    std::string password = "pw";
    bool open = false;
};

// Plays the user for one or more batches and logs what the program shows, in order.
class DealWin : public ::testing::Test {
protected:
    void SetUp() override {
        Options& o = OptionsInForce();
        o = Options{};
        o.ConfirmMeltedName = false;  // no name question after each melt
        o.DeleteContainerAfterMelt = false;        // containers stay, whatever this prefix associates with their types
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            log.push_back("msg " + c + "|" + t);
            return s == kStyleExclamation ? MsgAnswer::kOk : MsgAnswer::kYes;
        });
        ui::SetModalHook([this](ui::Form& f) { Answer(f); });
    }
    void TearDown() override {
        ui::SetModalHook(nullptr);
        ui::SetMsgBoxResponder(nullptr);
        EXPECT_TRUE(prompts.empty()) << "prompts not shown";
        EXPECT_TRUE(BatchIdle());
    }

    void Answer(ui::Form& f) {
        if (auto* pw = dynamic_cast<PasswordDialog*>(&f)) {
            auto& ctl = pw->ControlsForTest();
            EXPECT_FALSE(BatchIdle());
            if (duringPrompt) std::exchange(duringPrompt, nullptr)();
            std::string files;
            for (const std::string& name : pw->Files) files += "|" + name.substr(dir.path().size());
            log.push_back("ask " + std::to_string(static_cast<int>(pw->Mode)) + files + (pw->Again ? " again" : ""));
            EXPECT_EQ(ctl.LabelAgain.Visible(), pw->Again);
            offered.push_back(pw->RememberedPW);
            if (prompts.empty()) {
                ADD_FAILURE() << "unexpected prompt";
                ctl.ButtonCancel.Click();
                return;
            }
            const Prompt p = prompts.front();
            prompts.pop_front();
            if (!p.ok) return ctl.ButtonCancel.Click();
            ctl.EditPW.SetText(p.password);
            ctl.EditPWCon.SetText(p.password);
            ctl.CBoxUseMeltFTmp.SetChecked(p.open);
            ctl.ButtonOk.Click();
        } else if (auto* fe = dynamic_cast<OverwriteDialog*>(&f)) {
            log.push_back("overwrite " + fe->TargetPath.substr(dir.path().size()));
            fe->ControlsForTest().ButtonAllNo.Click();
        } else {
            ADD_FAILURE() << "unexpected form " << f.Caption();
        }
    }

    void Run(const Strings& names) {
        Strings full;
        for (const std::string& n : names) full.push_back(dir / n);
        deal.Run(full);
    }
    // A container of body under the stored name, made with key "pw"; no plain file is left.
    void MakeContainer(const std::string& container, const std::string& stored, const std::string& body) {
        Options keep;
        keep.DeleteSourceAfterEncrypt = true;
        WinCodecUi ui;
        Codec codec(SystemFiles(), ui, keep);
        ASSERT_TRUE(WriteAll(dir / stored, body));
        ASSERT_EQ(codec.Encode(dir / stored, dir / container, kNoClash, 1, MakeKeyString("pw")).result, kNoClash);
        ASSERT_FALSE(FileExists(dir / stored));
    }

    test::OptionsGuard options;
    TempDir dir;
    Strings log;
    Strings offered;
    std::deque<Prompt> prompts;
    std::function<void()> duringPrompt;  // what happens meanwhile, once
    Secret lastPW;
    Strings opened;
    BatchDriver deal{lastPW, [this](const std::string& t) { log.push_back("status " + t); },
              [this](const std::string& plain, const ContainerKey& key) {
                  if (key.version == 1) EXPECT_EQ(key.keyString.str(), MakeKeyString("pw"));
                  else EXPECT_EQ(key.master.str().size(), 32u);
                  opened.push_back(plain.substr(dir.path().size()) + (key.version == 2 ? " v2" : ""));
              }};
};

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryW(Widen(path).c_str(), nullptr)); }

TEST_F(DealWin, ExpandsRealFoldersAndReportsWhatIsMissingBeforeAnyPrompt) {
    deal.Run({});
    EXPECT_TRUE(log.empty());

    for (const char* f : {"d", "d\\sub", "d\\sub\\deep", "d\\sub\\deep\\.cfg", "empty", "empty\\inner", "ソ表"})
        MakeFolder(dir / f);
    for (const char* f : {"d\\a.txt", "d\\s.dat", "d\\sub\\a.txt", "d\\sub\\deep\\c.pvx", "d\\sub\\deep\\.cfg\\n.txt",
                          "ソ表\\f.txt"})
        ASSERT_TRUE(WriteAll(dir / f, "x"));
    ASSERT_TRUE(SetFileAttributesW(Widen(dir / "d\\s.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    prompts = {{false}};
    Run({"d\\", "missing.txt", "empty", "d\\a.txt", "ソ表"});
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "msg プリベックス|ファイルが見つかりません。\n" + (dir / "missing.txt"));
    EXPECT_EQ(log[1], "msg プリベックス|ファイルが見つかりません。\n" + (dir / "empty\\*.*"));
    // The order within one folder is the file system's; a folder's files come before its subfolders'.
    const std::string first = "|d\\a.txt|d\\s.dat", swapped = "|d\\s.dat|d\\a.txt";
    const std::string rest = "|d\\sub\\a.txt|d\\sub\\deep\\.cfg\\n.txt|d\\a.txt|d\\sub\\a.txt|ソ表\\f.txt";
    EXPECT_TRUE(log[2] == "ask 0" + first + rest || log[2] == "ask 0" + swapped + rest) << log[2];
    // Cancelled: no second prompt, nothing converted.
    EXPECT_EQ(ReadAll(dir / "d\\a.txt"), "x");
    EXPECT_FALSE(FileExists(dir / "d\\a.pvx"));
}

TEST_F(DealWin, MixedInputEncryptsFirstThenMeltsWithOnePromptPerPass) {
    MakeFolder(dir / "f");
    ASSERT_TRUE(WriteAll(dir / "f\\p.txt", "plain p"));
    MakeContainer("f\\c.pvx", "f\\c.doc", "body c");
    MakeContainer("A.PVX", "a.doc", "body a");  // a name like the container's: no question
    ASSERT_TRUE(WriteAll(dir / "a.pvx.txt", "not a container"));

    prompts = {{true, "pw"}, {true, "pw", true}};
    Run({"A.PVX", "f", "a.pvx.txt"});
    EXPECT_EQ(log, (Strings{"ask 0|f\\p.txt|a.pvx.txt", "status 暗号化：p.txt　他1個", "ask 1|A.PVX|f\\c.pvx",
                            "status 解凍：A.PVX　他1個"}));
    EXPECT_EQ(opened, (Strings{"a.doc", "f\\c.doc"}));
    EXPECT_EQ(ReadAll(dir / "a.doc"), "body a");
    EXPECT_EQ(ReadAll(dir / "f\\c.doc"), "body c");
    EXPECT_TRUE(FileExists(dir / "f\\p.pvx"));
    EXPECT_TRUE(FileExists(dir / "a.pvx.pvx"));
    EXPECT_FALSE(FileExists(dir / "a.pvx.txt"));
    EXPECT_TRUE(FileExists(dir / "A.PVX"));

    // Only containers, the box left unticked: one prompt, nothing opened.
    log.clear();
    opened.clear();
    prompts = {{true, "pw", false}};
    Run({"f\\p.pvx"});
    EXPECT_EQ(log, (Strings{"ask 1|f\\p.pvx", "status 解凍：p.pvx"}));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ReadAll(dir / "f\\p.txt"), "plain p");
}

TEST_F(DealWin, StrongFormatWrongPasswordAmongSeveralSkipsOnlyThatFile) {
    // The defaults' safeguards on: neither the name question nor the deletion question is
    // asked of a strong container, whose password is known right once it opens.
    Options& o = OptionsInForce();
    o.StrongFormat = true;
    o.ConfirmMeltedName = true;
    o.DeleteContainerAfterMelt = true;
    o.AskBeforeDeletingUnassociated = true;
    for (const char* f : {"a.unrelated", "b.unrelated", "c.unrelated"}) ASSERT_TRUE(WriteAll(dir / f, f));
    // Any password will do for the strong format, one the compatible format cannot take too.
    prompts = {{true, "鍵🔑"}};
    Run({"a.unrelated", "b.unrelated"});
    prompts = {{true, "other"}};
    Run({"c.unrelated"});
    const std::string header = ReadAll(dir / "a.pvx").value_or("").substr(0, 8);
    EXPECT_EQ(header, std::string("\x02\x00PLVX\x01\x01", 8));
    log.clear();

    // The password is asked again for c.pvx; Cancel there skips it, and the pass goes on.
    prompts = {{true, "鍵🔑", true}, {false}};
    Run({"a.pvx", "c.pvx", "b.pvx"});
    EXPECT_EQ(log, (Strings{"ask 1|a.pvx|c.pvx|b.pvx", "ask 1|c.pvx again",
                            "status 解凍：a.pvx　他1個　（未処理 1 個）",
                            "msg プリベックス|次のファイルは解凍されていません（3 個中 2 個を解凍しました）。\n" +
                                (dir / "c.pvx")}));
    EXPECT_EQ(ReadAll(dir / "a.unrelated"), "a.unrelated");
    EXPECT_EQ(ReadAll(dir / "b.unrelated"), "b.unrelated");
    EXPECT_FALSE(FileExists(dir / "c.unrelated"));
    EXPECT_TRUE(FileExists(dir / "c.pvx"));
    EXPECT_FALSE(FileExists(dir / "a.pvx") || FileExists(dir / "b.pvx"));
    // The skipped one is not opened; the others are, with their strong keys.
    EXPECT_EQ(opened, (Strings{"a.unrelated v2", "b.unrelated v2"}));
    // Its own password, typed when asked again, opens it without a second drop.
    log.clear();
    prompts = {{true, "鍵🔑", true}, {true, "other", true}};
    Run({"c.pvx"});
    EXPECT_EQ(log, (Strings{"ask 1|c.pvx", "ask 1|c.pvx again", "status 解凍：c.pvx"}));
    EXPECT_EQ(ReadAll(dir / "c.unrelated"), "c.unrelated");

    // A compatible container met with that password is reported and skipped too.
    OptionsInForce().StrongFormat = false;
    MakeContainer("old.pvx", "old.txt", "old body");
    log.clear();
    prompts = {{true, "鍵🔑"}};
    Run({"old.pvx"});
    EXPECT_EQ(log, (Strings{"ask 1|old.pvx",
                            "msg プリベックス|従来の形式の暗号化ファイルには使えない文字がパスワードに含まれています。\n\"" +
                                (dir / "old.pvx") + "\"",
                            "status 解凍できませんでした：old.pvx",
                            "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" +
                                (dir / "old.pvx")}));
    EXPECT_FALSE(FileExists(dir / "old.txt"));
}

// Stretching a password lasts however small the file: it runs on a thread of
// its own while the program keeps handling its messages.
TEST_F(DealWin, StretchingRunsOffTheWindowsThreadForAnyFile) {
    ASSERT_TRUE(WriteAll(dir / "tiny.txt", "x"));
    PassProgress progress("暗号化：", {dir / "tiny.txt"});
    progress.BeginFile(dir / "tiny.txt");
    static int ticks;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    DWORD stepThread = 0;
    EXPECT_TRUE(progress.AwaitLong([&] {
        stepThread = GetCurrentThreadId();
        Sleep(300);
        return true;
    }));
    KillTimer(nullptr, timer);
    EXPECT_NE(stepThread, GetCurrentThreadId());
    EXPECT_GT(ticks, 0);
    progress.EndFile();
}

// Cancel is acknowledged at once, though the step in hand (a stretch) may
// not stop before it ends; the next file takes Cancel again.
TEST(ProgressWindow, CancelIsAcknowledgedAtOnceAndSpentWithItsFile) {
    ProgressDialog form;
    auto& ctl = form.ControlsForTest();
    form.Show();
    form.Report("暗号化：", "a.txt", 0, 2, 10, 100, 5000);
    ctl.ButtonCancel.Click();
    EXPECT_TRUE(form.CancelRequested());
    EXPECT_FALSE(ctl.ButtonCancel.Enabled());
    EXPECT_EQ(ctl.LabelTimeLeft.Text(), "中止しています…");
    form.Report("暗号化：", "a.txt", 0, 2, 20, 100, 6000);
    EXPECT_EQ(ctl.LabelTimeLeft.Text(), "中止しています…") << "the numbers must not hide it";
    form.ResetCancel();
    EXPECT_FALSE(form.CancelRequested());
    EXPECT_TRUE(ctl.ButtonCancel.Enabled());
    form.Hide();
}

TEST_F(DealWin, AllNoInTheEncryptionPassSkipsLaterClashesWithoutAsking) {
    OptionsInForce().OnNameClash = kAskAtClash;
    ASSERT_TRUE(WriteAll(dir / "e.txt", "new e"));
    ASSERT_TRUE(WriteAll(dir / "e.pvx", "old e"));
    MakeContainer("k.pvx", "k.txt", "melted k");
    ASSERT_TRUE(WriteAll(dir / "k.txt", "old k"));
    MakeContainer("m.pvx", "m.txt", "melted m");

    prompts = {{true, "pw"}, {true, "pw", true}};
    Run({"e.txt", "k.pvx", "m.pvx"});
    // Skipped files are not counted as done, and are named at each pass's end.
    EXPECT_EQ(log, (Strings{"ask 0|e.txt", "overwrite e.pvx", "status 暗号化できませんでした：e.txt",
                            "msg プリベックス|次のファイルは暗号化されていません（1 個中 0 個を暗号化しました）。\n" +
                                (dir / "e.txt"),
                            "ask 1|k.pvx|m.pvx", "status 解凍：m.pvx　（未処理 1 個）",
                            "msg プリベックス|次のファイルは解凍されていません（2 個中 1 個を解凍しました）。\n" +
                                (dir / "k.pvx")}));
    EXPECT_EQ(ReadAll(dir / "e.pvx"), "old e");
    EXPECT_EQ(ReadAll(dir / "k.txt"), "old k");
    EXPECT_TRUE(FileExists(dir / "k.pvx"));
    // m melts without a clash but hands back the carried All no: written, not opened.
    EXPECT_EQ(ReadAll(dir / "m.txt"), "melted m");
    EXPECT_TRUE(opened.empty());
}

TEST_F(DealWin, AFailureEndsTheBatchAndSaysWhatIsLeft) {
    for (const char* f : {"s1.txt", "s2.txt", "s3.txt"}) ASSERT_TRUE(WriteAll(dir / f, "x"));
    MakeContainer("z.pvx", "z.txt", "z");
    test::HeldFile held(dir / "s2.txt");
    ASSERT_TRUE(held.held());

    prompts = {{true, "pw"}};
    Run({"s1.txt", "z.pvx", "s2.txt", "s3.txt"});
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "ask 0|s1.txt|s2.txt|s3.txt");
    EXPECT_EQ(log[1], test::WithReason("msg オープン失敗|" + (dir / "s2.txt"), ERROR_SHARING_VIOLATION));
    // The status counts only what was done; the list names the rest, of both passes.
    EXPECT_EQ(log[2], "status 暗号化：s1.txt　（未処理 2 個）");
    EXPECT_EQ(log[3], "msg プリベックス|次のファイルは暗号化されていません（3 個中 1 個を暗号化しました）。\n" +
                          (dir / "s2.txt") + "\n" + (dir / "s3.txt"));
    EXPECT_EQ(log[4], "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" + (dir / "z.pvx"));
    EXPECT_TRUE(FileExists(dir / "s1.pvx"));
    EXPECT_TRUE(FileExists(dir / "s3.txt"));
    EXPECT_FALSE(FileExists(dir / "s3.pvx"));
    EXPECT_TRUE(FileExists(dir / "z.pvx"));
}

// Cancel in the progress window stops the file in hand: a melt leaves its
// container and no plain file; an encryption over an existing container that
// the user agreed to replace leaves the old container and the plain file.
TEST_F(DealWin, CancelInTheProgressWindowLeavesEveryFileAsItWas) {
    std::string big(4u << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
    MakeContainer("video.pvx", "video.bin", big);
    const std::string container = ReadAll(dir / "video.pvx").value_or("");
    {
        test::CancelWhenProgressShows cancel;
        prompts = {{}};
        Run({"video.pvx"});
        EXPECT_TRUE(cancel.Pressed());
    }
    EXPECT_EQ(ReadAll(dir / "video.pvx"), container);
    EXPECT_FALSE(FileExists(dir / "video.bin"));
    EXPECT_EQ(log, (Strings{"ask 1|video.pvx", "status 処理を中止しました。　（未処理 1 個）",
                            "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" +
                                (dir / "video.pvx")}));

    OptionsInForce().OnNameClash = kAskAtClash;
    ASSERT_TRUE(WriteAll(dir / "video.bin", big));
    ui::SetModalHook([this](ui::Form& f) {
        if (auto* fe = dynamic_cast<OverwriteDialog*>(&f)) return fe->ControlsForTest().ButtonYes.Click();
        Answer(f);
    });
    {
        test::CancelWhenProgressShows cancel;
        prompts = {{}};
        Run({"video.bin"});
        EXPECT_TRUE(cancel.Pressed());
    }
    EXPECT_EQ(ReadAll(dir / "video.pvx"), container) << "the old container was replaced";
    EXPECT_TRUE(ReadAll(dir / "video.bin") == big);
    EXPECT_EQ(test::ListFolder(dir.path()), (Strings{"video.bin", "video.pvx"})) << "output left behind";
}

// An Apply in the options dialog while a batch waits changes the rules from
// the next batch on, never half-way through this one.
TEST_F(DealWin, OptionsAppliedWhileABatchAsksCountFromTheNextBatch) {
    ASSERT_TRUE(WriteAll(dir / "a.txt", "a") && WriteAll(dir / "b.txt", "b"));
    duringPrompt = [] { OptionsInForce().DeleteSourceAfterEncrypt = false; };
    prompts = {{}};
    Run({"a.txt"});
    EXPECT_TRUE(FileExists(dir / "a.pvx"));
    EXPECT_FALSE(FileExists(dir / "a.txt")) << "the batch changed its rules half-way";
    prompts = {{}};
    Run({"b.txt"});
    EXPECT_TRUE(FileExists(dir / "b.pvx") && FileExists(dir / "b.txt")) << "the next batch works by the new options";
}

// A read-only source stays where the options say it goes: the user learns it
// once per pass, with every such file named, and the batch goes on.
TEST_F(DealWin, FilesThatCannotBeDeletedAreNamedOnceAtTheEndOfEachPass) {
    OptionsInForce().DeleteContainerAfterMelt = true;  // asked for each melted type without an application, and answered Yes
    MakeContainer("c1.pvx", "one.dat", "1");
    MakeContainer("c2.pvx", "two.dat", "2");
    ASSERT_TRUE(WriteAll(dir / "p1.txt", "1") && WriteAll(dir / "p2.txt", "2"));
    struct ReadOnly {
        std::vector<std::wstring> paths;
        ~ReadOnly() {
            for (const auto& p : paths) SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    } readOnly{{Widen(dir / "p1.txt"), Widen(dir / "c1.pvx")}};
    for (const auto& p : readOnly.paths) ASSERT_TRUE(SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY));

    prompts = {{}, {}};
    Run({"p1.txt", "p2.txt", "c1.pvx", "c2.pvx"});
    Strings told;
    for (const std::string& line : log)
        if (line.find("削除できませんでした") != std::string::npos || line.rfind("status", 0) == 0) told.push_back(line);
    // What is left unprotected, and why: the file is read-only.
    EXPECT_EQ(told, (Strings{test::WithReason("msg プリベックス|暗号化ファイルは作成しましたが、次の元のファイルを削除できませんでした。"
                                              "暗号化されていないファイルが残っています。\n" +
                                                  (dir / "p1.txt") + "\n読み取り専用のファイルです。",
                                              ERROR_ACCESS_DENIED),
                             "status 暗号化：p1.txt　他1個",
                             test::WithReason("msg プリベックス|解凍しましたが、次の暗号化ファイルを削除できませんでした。\n" +
                                                  (dir / "c1.pvx") + "\n読み取り専用のファイルです。",
                                              ERROR_ACCESS_DENIED),
                             "status 解凍：c1.pvx　他1個"}));
    EXPECT_TRUE(FileExists(dir / "p1.txt") && FileExists(dir / "p1.pvx"));
    EXPECT_TRUE(!FileExists(dir / "p2.txt") && FileExists(dir / "p2.pvx"));
    EXPECT_TRUE(FileExists(dir / "c1.pvx") && FileExists(dir / "one.dat"));
    EXPECT_TRUE(!FileExists(dir / "c2.pvx") && FileExists(dir / "two.dat"));
}

TEST_F(DealWin, RecyclePWDecidesWhatTheNextPromptOffers) {
    ASSERT_TRUE(WriteAll(dir / "a.txt", "a"));
    OptionsInForce().RememberPassword = true;
    prompts = {{true, "前回"}, {false}};
    Run({"a.txt"});
    Run({"a.pvx"});
    EXPECT_EQ(offered, (Strings{"", "前回"}));
    EXPECT_EQ(lastPW.str(), "前回");  // a cancelled prompt keeps it

    OptionsInForce().RememberPassword = false;
    prompts = {{true, "前回"}};
    Run({"a.pvx"});
    EXPECT_TRUE(lastPW.empty());
    EXPECT_EQ(ReadAll(dir / "a.txt"), "a");
}

TEST(DealDrop, ReadsEveryDroppedNameInOrderWhateverItsLength) {
    const std::wstring longName = L"C:\\" + std::wstring(300, L'長') + L".txt";
    const std::vector<std::wstring> names{L"C:\\doc\\報告書.doc", longName, L"Z:\\a,b.pvx"};
    std::size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& n : names) p = std::copy(n.begin(), n.end(), p) + 1;
    GlobalUnlock(block);
    EXPECT_EQ(DropFiles(static_cast<HDROP>(block)),
              (Strings{"C:\\doc\\報告書.doc", Narrow(longName), "Z:\\a,b.pvx"}));
}

}  // namespace
}  // namespace plivex
