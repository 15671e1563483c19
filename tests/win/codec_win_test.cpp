// Encode and Melt on real files under Windows: byte-exact containers, other
// programs holding files, read-only and full disks, hostile containers.
#include <gtest/gtest.h>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "app/codec_ui_win.h"
#include "codec/names.h"
#include "dialogs/overwrite_dialog_win.h"
#include "craft.h"
#include "scripted_ui.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"
#include "win_support.h"

namespace plivex {
namespace {

using enum CodecResult;

using test::Craft;
using test::Shown;
using test::TempDir;

class CodecWin : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            shown.push_back({t, c, s});
            if (s == kStyleExclamation) return MsgAnswer::kOk;
            if (answers.empty()) ADD_FAILURE() << "unexpected question: " << t;
            const MsgAnswer a = answers.empty() ? MsgAnswer::kCancel : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return a;
        });
        SetOverwriteAsker([this](std::string& path) {
            asked.push_back(path);
            if (overwrite.empty()) {
                ADD_FAILURE() << "unexpected overwrite question";
                return kFailed;
            }
            const CodecResult a = overwrite.front();
            overwrite.erase(overwrite.begin());
            return a;
        });
    }
    void TearDown() override {
        ui::SetMsgBoxResponder(nullptr);
        SetOverwriteAsker(nullptr);
    }
    void ExpectOnly(const std::string& text, const std::string& caption) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, caption);
        EXPECT_EQ(shown[0].style, 48u);
    }

    TempDir dir;
    Options opt;
    WinCodecUi winUi;
    Codec codec{SystemFiles(), winUi, opt};
    std::vector<Shown> shown;
    std::vector<MsgAnswer> answers;
    std::vector<CodecResult> overwrite;
    std::vector<std::string> asked;
    const std::string key = MakeKeyString("pw");
};

TEST_F(CodecWin, KnownAnswerContainersOnRealFiles) {
    opt.ConfirmMeltedName = false;
    opt.DeleteContainerAfterMelt = false;
    for (const auto& v : test::LoadKatVectors()) {
        SCOPED_TRACE(v.id);
        const std::string k = MakeKeyString(v.password);
        const std::string src = dir / v.name;
        ASSERT_TRUE(test::WriteAll(src, v.body));
        ASSERT_EQ(codec.Encode(src, ChangeExt(src, "pvx"), kNoClash, 1, k).result, kNoClash);
        EXPECT_FALSE(test::FileExists(src));
        EXPECT_TRUE(test::ReadAll(ChangeExt(src, "pvx")) == v.container);

        // Renamed, it melts under the stored name.
        ASSERT_TRUE(MoveFileW(Widen(ChangeExt(src, "pvx")).c_str(), Widen(dir / "renamed.pvx").c_str()));
        std::string plain;
        int version = 0;
        ASSERT_EQ(codec.Melt(dir / "renamed.pvx", plain, kNoClash, version, k).result, kNoClash);
        EXPECT_EQ(plain, src);
        EXPECT_TRUE(test::ReadAll(src) == v.body);
        EXPECT_TRUE(test::ReadAll(dir / "renamed.pvx") == v.container);
        ASSERT_TRUE(DeleteFileW(Widen(src).c_str()));
        ASSERT_TRUE(DeleteFileW(Widen(dir / "renamed.pvx").c_str()));
        EXPECT_TRUE(test::ListFolder(dir.path()).empty());
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(CodecWin, NumberedNameBesideAnExistingContainer) {
    ASSERT_TRUE(test::WriteAll(dir / "report.doc", "new"));
    ASSERT_TRUE(test::WriteAll(dir / "report.pvx", "old"));
    EXPECT_EQ(codec.Encode(dir / "report.doc", dir / "report.pvx", kNoClash, 1, key).result, kNoClash);
    EXPECT_EQ(test::ListFolder(dir.path()), (std::vector<std::string>{"report.pvx", "report_2.pvx"}));
    EXPECT_EQ(test::ReadAll(dir / "report.pvx"), "old");
}

TEST_F(CodecWin, SourceHeldByAnotherProgram) {
    ASSERT_TRUE(test::WriteAll(dir / "held.txt", "busy"));
    test::HeldFile holder(dir / "held.txt");
    ASSERT_TRUE(holder.held());
    EXPECT_EQ(codec.Encode(dir / "held.txt", dir / "held.pvx", kNoClash, 1, key).result, kFailed);
    ExpectOnly(test::WithReason(dir / "held.txt", ERROR_SHARING_VIOLATION), "オープン失敗");
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"held.txt"});
}

TEST_F(CodecWin, ContainerHeldByAnotherProgramWhenOverwriting) {
    opt.OnNameClash = kAskAtClash;
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "plain"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old container"));
    test::HeldFile holder(dir / "a.pvx");
    ASSERT_TRUE(holder.held());
    overwrite = {kOverwrite};
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kFailed);
    ExpectOnly(test::WithReason(dir / "a.pvx", ERROR_SHARING_VIOLATION), "オープン失敗");
    EXPECT_EQ(asked, std::vector<std::string>{dir / "a.pvx"});
    EXPECT_EQ(test::ListFolder(dir.path()), (std::vector<std::string>{"a.pvx", "a.txt"}));
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "plain");
}

TEST_F(CodecWin, OverwriteReplacesOnlyOnceComplete) {
    opt.OnNameClash = kAskAtClash;
    opt.ConfirmMeltedName = false;
    opt.AskBeforeDeletingUnassociated = false;
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "fresh"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old container"));
    overwrite = {kOverwriteAll};
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kOverwriteAll);
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"a.pvx"});
    // And melted back over a stale plain file, with All yes carried in.
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "stale"));
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "a.pvx", plain, kOverwriteAll, version, key).result, kOverwriteAll);
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "fresh");
    EXPECT_EQ(asked.size(), 1u);
}

TEST_F(CodecWin, ReadOnlyFolder) {
    // R: is a read-only mount prepared by scripts/test, holding readonly.txt.
    if (!test::FileExists("R:\\readonly.txt")) GTEST_SKIP() << "no read-only mount on R: (mounting not permitted here)";
    EXPECT_EQ(codec.Encode("R:\\readonly.txt", "R:\\readonly.pvx", kNoClash, 1, key).result, kFailed);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(test::EndsWithAReason(shown[0].text, "R:\\readonly.pvx")) << shown[0].text;
    EXPECT_EQ(shown[0].caption, "オープン失敗");
    EXPECT_EQ(test::ReadAll("R:\\readonly.txt"), "read-only source\r\n");
    EXPECT_EQ(test::ListFolder("R:\\"), std::vector<std::string>{"readonly.txt"});
}

TEST_F(CodecWin, DiskFullKeepsSourceAndContainer) {
    // T: is a small tmpfs prepared by scripts/test; never fill a real disk.
    ULARGE_INTEGER freeBytes, total;
    if (!GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr) || total.QuadPart > 4u << 20)
        GTEST_SKIP() << "no small disk on T: (mounting not permitted here)";
    for (const auto& name : test::ListFolder("T:\\")) DeleteFileW(Widen("T:\\" + name).c_str());
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr));

    // A source of 60% of the disk: its container cannot fit beside it.
    std::string body(static_cast<std::size_t>(freeBytes.QuadPart * 6 / 10), '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 13 + i / 509);
    ASSERT_TRUE(test::WriteAll("T:\\big.bin", body));
    EXPECT_EQ(codec.Encode("T:\\big.bin", "T:\\big.pvx", kNoClash, 1, key).result, kFailed);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(test::EndsWithAReason(shown[0].text, "ファイルの書き込みに失敗しました。\n\"T:\\big.pvx\"\n元のファイルはそのままです。"))
        << shown[0].text;
    EXPECT_EQ(shown[0].caption, "プリベックス");
    EXPECT_TRUE(test::ReadAll("T:\\big.bin") == body);
    EXPECT_EQ(test::ListFolder("T:\\"), std::vector<std::string>{"big.bin"});

    // The same for a container melted where its plain file cannot fit.
    shown.clear();
    ASSERT_TRUE(DeleteFileW(L"T:\\big.bin"));
    const std::string container = Craft("big.bin", body, key);
    ASSERT_TRUE(test::WriteAll("T:\\big.pvx", container));
    opt.ConfirmMeltedName = false;
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt("T:\\big.pvx", plain, kNoClash, version, key).result, kFailed);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(test::EndsWithAReason(shown[0].text, "ファイルの書き込みに失敗しました。\n\"T:\\big.bin\"\n暗号化ファイルはそのままです。"))
        << shown[0].text;
    EXPECT_EQ(shown[0].caption, "プリベックス");
    EXPECT_TRUE(test::ReadAll("T:\\big.pvx") == container);
    EXPECT_EQ(test::ListFolder("T:\\"), std::vector<std::string>{"big.pvx"});
    DeleteFileW(L"T:\\big.pvx");
}

TEST_F(CodecWin, TruncatedContainersAtEveryLength) {
    const std::string whole = Craft("name.txt", "", key);
    for (std::size_t len = 0; len <= whole.size(); ++len) {
        SCOPED_TRACE(len);
        shown.clear();
        opt.ConfirmMeltedName = false;
        opt.DeleteContainerAfterMelt = false;
        ASSERT_TRUE(test::WriteAll(dir / "t.pvx", whole.substr(0, len)));
        std::string plain;
        int version = 0;
        const CodecResult r = codec.Melt(dir / "t.pvx", plain, kNoClash, version, key).result;
        EXPECT_TRUE(test::ReadAll(dir / "t.pvx") == whole.substr(0, len));
        if (len < whole.size()) {
            EXPECT_EQ(r, kFailed);
            ExpectOnly(text::UnknownFormat(), "プリベックスエラー報告");
            EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"t.pvx"});
        } else {
            EXPECT_EQ(r, kNoClash);  // header and name only: an empty file
            EXPECT_EQ(test::ReadAll(dir / "name.txt"), "");
        }
    }
}

TEST_F(CodecWin, HostileStoredNamesWriteNothing) {
    opt.ConfirmMeltedName = false;
    const std::vector<std::string> hostile = {"", ".", "..", "a\x01" "b", "a<b", "a>b", "a\"b", "a/b", "a|b", "a?b",
                                              "a*b", "name.", "name ", "CON", "con.txt", "NUL", "aux.doc", "PRN",
                                              "COM1", "lpt9.txt", "dir\\", "\x81\x20", "\xFF\xFE"};
    for (const auto& name : hostile) {
        SCOPED_TRACE(name);
        shown.clear();
        const std::string container = Craft(name, "payload", key);
        ASSERT_TRUE(test::WriteAll(dir / "h.pvx", container));
        std::string plain;
        int version = 0;
        EXPECT_EQ(codec.Melt(dir / "h.pvx", plain, kNoClash, version, key).result, kFailed);
        ExpectOnly(std::string(text::kCreateFailed), "プリベックスエラー報告");
        EXPECT_TRUE(test::ReadAll(dir / "h.pvx") == container);
        EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"h.pvx"});
    }
    // Folders in the stored name are dropped: the file lands beside the container.
    ASSERT_TRUE(test::WriteAll(dir / "h.pvx", Craft("..\\..\\evil.txt", "payload", key)));
    std::string plain;
    int version = 0;
    opt.DeleteContainerAfterMelt = false;
    EXPECT_EQ(codec.Melt(dir / "h.pvx", plain, kNoClash, version, key).result, kNoClash);
    EXPECT_EQ(plain, dir / "evil.txt");
    EXPECT_EQ(test::ReadAll(dir / "evil.txt"), "payload");
}

// A test file type associated with an application in the prefix's classes.
class TestAssociation {
public:
    TestAssociation() {
        Set(L"Software\\Classes\\.plvxassoc", L"PlivexTest.File");
        Set(L"Software\\Classes\\PlivexTest.File\\shell\\open\\command",
            L"\"C:\\windows\\system32\\notepad.exe\" \"%1\"");
    }
    ~TestAssociation() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.plvxassoc");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\PlivexTest.File");
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.plvxassoc");
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\PlivexTest.File");
    }

private:
    static void Set(const wchar_t* key, const std::wstring& value) {
        HKEY k;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(k);
        }
    }
};

TEST_F(CodecWin, ContainerDeletionFollowsTheAssociation) {
    TestAssociation association;
    opt.ConfirmMeltedName = false;
    WinCodecUi probe;

    // Associated type: the container goes without a question.
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", Craft("doc.plvxassoc", "A", key)));
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt(dir / "a.pvx", plain, kNoClash, version, key).result, kNoClash);
    EXPECT_TRUE(probe.HasAssociation(plain));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"doc.plvxassoc"});

    // Unassociated type: asked; No keeps the container.
    ASSERT_TRUE(test::WriteAll(dir / "b.pvx", Craft("doc.plvxnone", "B", key)));
    answers = {MsgAnswer::kNo};
    EXPECT_EQ(codec.Melt(dir / "b.pvx", plain, kNoClash, version, key).result, kNoClash);
    EXPECT_FALSE(probe.HasAssociation(plain));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, text::ConfirmDeleteUnrelated(dir / "doc.plvxnone", dir / "b.pvx"));
    EXPECT_EQ(shown[0].caption, "プリベックス");
    EXPECT_EQ(shown[0].style, 35u | 256u) << "No is the default";
    EXPECT_TRUE(test::FileExists(dir / "b.pvx"));
    EXPECT_EQ(test::ReadAll(dir / "doc.plvxnone"), "B");
}

TEST_F(CodecWin, OverwriteQuestionGoesToTheDialogWhenNobodyAnswersInItsPlace) {
    SetOverwriteAsker(nullptr);
    opt.OnNameClash = kAskAtClash;
    ASSERT_TRUE(test::WriteAll(dir / "a.txt", "plain"));
    ASSERT_TRUE(test::WriteAll(dir / "a.pvx", "old"));
    std::vector<std::string> dialogs;
    ui::SetModalHook([&](ui::Form& f) {
        auto& dialog = dynamic_cast<OverwriteDialog&>(f);
        dialogs.push_back(dialog.TargetPath);
        dialog.ControlsForTest().ButtonNo.Click();
    });
    EXPECT_EQ(codec.Encode(dir / "a.txt", dir / "a.pvx", kNoClash, 1, key).result, kSkipped);
    ui::SetModalHook(nullptr);
    EXPECT_EQ(dialogs, std::vector<std::string>{dir / "a.pvx"});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(test::ReadAll(dir / "a.pvx"), "old");
    EXPECT_EQ(test::ReadAll(dir / "a.txt"), "plain");
}

}  // namespace
}  // namespace plivex
