// Faults in the middle of real work: a disk that fills up, a file that vanishes
// after its folder was read, a container another program holds, and wrong
// passwords under every combination of the safeguards. Whatever was on disk
// before must come through each of them whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/batch_driver_win.h"
#include "codec/cipher.h"
#include "codec/codec.h"
#include "app/codec_ui_win.h"
#include "codec/names.h"
#include "codec/texts.h"
#include "craft.h"
#include "dialogs/password_dialog_win.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/form_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

using enum CodecResult;

// A name in the form of our temporary files.
std::string Temp(const char* rest) { return std::string(kTempPrefix) + rest; }

using Strings = std::vector<std::string>;
using test::FileExists;
using test::ListFolder;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

const std::string kKey = MakeKeyString("pw");

// Bytes that differ from their neighbours, so a lost or misplaced chunk shows.
std::string Body(std::size_t size, int seed) {
    std::string b(size, '\0');
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<char>(i * 7 + i / 251 + seed);
    return b;
}

// The container of body stored under name (ASCII) with the password "pw".
std::string ContainerOf(const std::string& name, const std::string& body) { return test::Craft(name, body, kKey); }

// The user types "pw" at every prompt; messages and questions are logged in order.
class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        OptionsInForce() = Options{};
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            log.push_back("msg " + c + "|" + t);
            if (s == kStyleExclamation) return MsgAnswer::kOk;
            if (replies.empty()) ADD_FAILURE() << "unexpected question: " << t;
            const MsgAnswer reply = replies.empty() ? MsgAnswer::kCancel : replies.front();
            if (!replies.empty()) replies.pop_front();
            return reply;
        });
        ui::SetModalHook([this](ui::Form& f) {
            auto* pw = dynamic_cast<PasswordDialog*>(&f);
            if (!pw) return ADD_FAILURE() << "unexpected form " << f.Caption();
            auto& ctl = pw->ControlsForTest();
            log.push_back("ask " + std::to_string(static_cast<int>(pw->Mode)));
            if (onPrompt) onPrompt(pw->Files);
            ctl.EditPW.SetText("pw");
            ctl.EditPWCon.SetText("pw");
            ctl.CBoxUseMeltFTmp.SetChecked(false);
            ctl.ButtonOk.Click();
        });
    }
    void TearDown() override {
        ui::SetModalHook(nullptr);
        ui::SetMsgBoxResponder(nullptr);
        EXPECT_TRUE(replies.empty()) << "questions not asked";
        EXPECT_TRUE(BatchIdle());
    }

    test::OptionsGuard options;
    Strings log;
    std::deque<MsgAnswer> replies;
    std::function<void(const Strings& files)> onPrompt;
    Secret lastPW;
    BatchDriver deal{lastPW, [this](const std::string& t) { log.push_back("status " + t); }};
};

TEST_F(Faults, FullDiskStopsTheBatchWithEveryEarlierFileWhole) {
    // T: is a small tmpfs prepared by scripts/test; never fill a real disk.
    ULARGE_INTEGER freeBytes, total;
    if (!GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr) || total.QuadPart > 4u << 20)
        GTEST_SKIP() << "no small disk on T: (mounting not permitted here)";
    for (const auto& name : ListFolder("T:\\")) DeleteFileW(Widen("T:\\" + name).c_str());
    // The third file's container does not fit beside it; the others would.
    const Strings names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    const std::size_t kib[] = {150, 150, total.QuadPart / 1024 / 2, 10};
    Strings bodies, paths;
    for (std::size_t i = 0; i < names.size(); ++i) {
        bodies.push_back(Body(kib[i] << 10, static_cast<int>(i)));
        paths.push_back("T:\\" + names[i]);
        ASSERT_TRUE(WriteAll(paths[i], bodies[i]));
    }
    const std::string later = ContainerOf("z.txt", "later");
    ASSERT_TRUE(WriteAll("T:\\z.pvx", later));
    paths.push_back("T:\\z.pvx");

    deal.Run(paths);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "ask 0");
    EXPECT_TRUE(test::EndsWithAReason(log[1], "msg プリベックス|" + text::WriteFailed("T:\\c.pvx") + "\n" +
                                                  std::string(text::kSourceKept)))
        << log[1];
    // What the stopped batch left: the rest of its pass, and the pass that never began.
    EXPECT_EQ(log[2], "status 暗号化：a.txt　他1個　（未処理 2 個）");
    EXPECT_EQ(log[3], "msg プリベックス|次のファイルは暗号化されていません（4 個中 2 個を暗号化しました）。\nT:\\c.txt\nT:\\d.txt");
    EXPECT_EQ(log[4], "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\nT:\\z.pvx");
    EXPECT_EQ(ListFolder("T:\\"), (Strings{"a.pvx", "b.pvx", "c.txt", "d.txt", "z.pvx"}));
    EXPECT_TRUE(ReadAll("T:\\a.pvx") == ContainerOf("a.txt", bodies[0]));
    EXPECT_TRUE(ReadAll("T:\\b.pvx") == ContainerOf("b.txt", bodies[1]));
    EXPECT_TRUE(ReadAll("T:\\c.txt") == bodies[2]);
    EXPECT_TRUE(ReadAll("T:\\d.txt") == bodies[3]);
    EXPECT_TRUE(ReadAll("T:\\z.pvx") == later);
    for (const auto& name : ListFolder("T:\\")) DeleteFileW(Widen("T:\\" + name).c_str());
}

TEST_F(Faults, SourceRemovedAfterItsFolderWasReadEndsTheBatchCleanly) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(Widen(dir / "d").c_str(), nullptr));
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) ASSERT_TRUE(WriteAll(dir / "d\\" + name, Body(3000, name[0])));
    const std::string later = ContainerOf("z.txt", "later");
    ASSERT_TRUE(WriteAll(dir / "d\\z.pvx", later));
    // The folder is read before the prompt; the second file goes while it is shown.
    Strings listed;
    onPrompt = [&](const Strings& files) {
        listed = files;
        if (files.size() == 3) {
            EXPECT_TRUE(DeleteFileW(Widen(files[1]).c_str()));
        }
    };

    deal.Run({dir / "d"});
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(log, (Strings{"ask 0", test::WithReason("msg オープン失敗|" + listed[1], ERROR_FILE_NOT_FOUND),
                            "status 暗号化：" + FileNamePart(listed[0]) + "　（未処理 2 個）",
                            "msg プリベックス|次のファイルは暗号化されていません（3 個中 1 個を暗号化しました）。\n" +
                                listed[1] + "\n" + listed[2],
                            "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" +
                                (dir / "d\\z.pvx")}));
    const std::string first = FileNamePart(listed[0]), third = FileNamePart(listed[2]);
    Strings left = {FileNamePart(ChangeExt(first, "pvx")), third, "z.pvx"};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(ListFolder(dir / "d\\"), left);
    EXPECT_TRUE(ReadAll(ChangeExt(listed[0], "pvx")) == ContainerOf(first, Body(3000, first[0])));
    EXPECT_TRUE(ReadAll(listed[2]) == Body(3000, third[0]));
    EXPECT_TRUE(ReadAll(dir / "d\\z.pvx") == later);
}

TEST_F(Faults, ContainerHeldByAnotherProgramIsNotMelted) {
    TempDir dir;
    const std::string container = ContainerOf("held.doc", Body(5000, 1));
    ASSERT_TRUE(WriteAll(dir / "held.pvx", container));
    {
        test::HeldFile holder(dir / "held.pvx");
        ASSERT_TRUE(holder.held());
        deal.Run({dir / "held.pvx"});
    }
    // Why, in the system's words: another program holds it.
    EXPECT_EQ(log, (Strings{"ask 1", test::WithReason("msg オープン失敗|" + (dir / "held.pvx"), ERROR_SHARING_VIOLATION),
                            "status 解凍できませんでした：held.pvx", "msg プリベックス|次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" +
                                (dir / "held.pvx")}));
    EXPECT_EQ(ListFolder(dir.path()), Strings{"held.pvx"});
    EXPECT_TRUE(ReadAll(dir / "held.pvx") == container);
}

TEST_F(Faults, WrongPasswordUnderEverySafeguardKeepsTheContainer) {
    // For report.txt under "pw": "pw1" melts it to another name Windows can
    // create and no application opens; "pv" to a name with a "/" in it.
    struct Row {
        bool conMeltFName, conDelUnrela, delPvF;
        MsgAnswer reply;  // to the one question asked, none when kNone
    };
    using enum MsgAnswer;
    const Row rows[] = {{true, true, true, kNo},      {true, true, false, kNo},    {true, false, true, kNo},
                        {true, false, false, kNo},    {false, true, true, kNo},    {false, true, false, kNone},
                        {false, false, true, kNone},  {false, false, false, kNone}};
    const std::string container = ContainerOf("report.txt", Body(4000, 3));
    WinCodecUi codecUi;
    Codec codec(SystemFiles(), codecUi, OptionsInForce());
    for (const Row& row : rows) {
        for (const char* password : {"pw1", "pv"}) {
            SCOPED_TRACE(testing::Message() << row.conMeltFName << row.conDelUnrela << row.delPvF << " " << password);
            OptionsInForce().ConfirmMeltedName = row.conMeltFName;
            OptionsInForce().AskBeforeDeletingUnassociated = row.conDelUnrela;
            OptionsInForce().DeleteContainerAfterMelt = row.delPvF;
            TempDir dir;
            ASSERT_TRUE(WriteAll(dir / "x.pvx", container));
            log.clear();
            const bool creatable = password == std::string("pw1");
            if (creatable && row.reply != MsgAnswer::kNone) replies.push_back(row.reply);
            std::string plain;
            int version = 0;
            const CodecResult result = codec.Melt(dir / "x.pvx", plain, kNoClash, version, MakeKeyString(password)).result;

            EXPECT_TRUE(ReadAll(dir / "x.pvx") == container);
            Strings expected;
            if (!creatable) {
                expected = {"msg プリベックスエラー報告|" + std::string(text::kCreateFailed)};
            } else if (row.conMeltFName) {
                expected = {"msg プリベックス|" + text::ConfirmMeltName(plain),
                            "msg プリベックス|" + std::string(text::kWrongPassword)};
            } else if (row.conDelUnrela && row.delPvF) {
                expected = {"msg プリベックス|" + text::ConfirmDeleteUnrelated(plain, dir / "x.pvx")};
            }
            EXPECT_EQ(log, expected);
            const bool written = creatable && !row.conMeltFName;
            EXPECT_EQ(result, written ? kNoClash : kFailed);
            if (written) {
                EXPECT_EQ(FolderPart(plain), dir.path());
                EXPECT_NE(FileNamePart(plain), "report.txt");
                EXPECT_EQ(ListFolder(dir.path()).size(), 2u);
                EXPECT_TRUE(FileExists(plain));
            } else {
                EXPECT_EQ(ListFolder(dir.path()), Strings{"x.pvx"});
            }
        }
    }
}

// Sets a file's last write time minutes into the past.
bool MakeOlder(const std::string& path, int minutes) {
    const HANDLE h = CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(minutes) * 60 * 10000000;
    const FILETIME then{t.LowPart, t.HighPart};
    const bool ok = SetFileTime(h, nullptr, nullptr, &then) != 0;
    CloseHandle(h);
    return ok;
}

// What a killed conversion left behind goes with the next conversion into the
// folder, once it is old; a recent one, one another program still holds, and
// files that only look like ours stay.
TEST_F(Faults, OldTemporaryFilesOfACutOffConversionGoWithTheNext) {
    TempDir dir;
    ASSERT_TRUE(WriteAll(dir / "report.txt", Body(1000, 3)));
    const Strings stale{Temp("0000abcd.tmp"), Temp("7f3e0a12.tmp")};
    const Strings kept{Temp("00001234.tmp"), Temp("0000beef.tmp"), Temp("0000FFFF.tmp"), Temp("-notes.tmp"),
                       Temp("12345678.tmpx")};
    for (const std::string& name : stale) ASSERT_TRUE(WriteAll(dir / name, "partly melted"));
    for (const std::string& name : kept) ASSERT_TRUE(WriteAll(dir / name, "kept"));
    for (const std::string& name : stale) ASSERT_TRUE(MakeOlder(dir / name, 60));
    for (const std::string& name : kept) {
        if (name == Temp("00001234.tmp")) continue;  // that one is recent
        ASSERT_TRUE(MakeOlder(dir / name, 60));
    }
    {
        test::HeldFile holder(dir / Temp("0000beef.tmp"));
        ASSERT_TRUE(holder.held());
        deal.Run({dir / "report.txt"});
    }

    Strings expected = kept;
    expected.push_back("report.pvx");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(dir.path()), expected);
    EXPECT_TRUE(ReadAll(dir / "report.pvx") == ContainerOf("report.txt", Body(1000, 3)));
    for (const std::string& name : kept) EXPECT_EQ(ReadAll(dir / name), "kept") << name;

    // Once per folder and run: a leftover that turns up later waits for the next run.
    ASSERT_TRUE(WriteAll(dir / "memo.txt", Body(100, 4)));
    ASSERT_TRUE(WriteAll(dir / Temp("0000cafe.tmp"), "later"));
    ASSERT_TRUE(MakeOlder(dir / Temp("0000cafe.tmp"), 60));
    deal.Run({dir / "memo.txt"});
    EXPECT_TRUE(test::FileExists(dir / "memo.pvx"));
    EXPECT_EQ(ReadAll(dir / Temp("0000cafe.tmp")), "later") << "the folder was scanned again";
}

}  // namespace
}  // namespace plivex
