#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/options_dialog_win.h"
#include "options/export_file.h"
#include "options/export_file_win.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"
#include "win_support.h"

namespace plivex {
namespace {

class ExportFileWin : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            shown.push_back(c + "|" + std::to_string(s) + "|" + t);
            return MsgAnswer::kOk;
        });
    }
    void TearDown() override { ui::SetMsgBoxResponder(nullptr); }

    test::TempDir dir;
    std::vector<std::string> shown;
};

TEST_F(ExportFileWin, WrittenFileReadsBackAndReplacesAnOlderOne) {
    Options written;
    written.StayOnTop = true;
    written.DialogPlacement = 7;
    const std::string path = dir / "設定.pvxe";
    ASSERT_TRUE(test::WriteAll(path, "stale and longer than any export file could ever be, by far"));
    ASSERT_TRUE(WriteExportFile(path, written));
    EXPECT_EQ(test::ReadAll(path), ExportText(written));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"設定.pvxe"});

    Options read;
    read.UseNetscapeForHelp = false;
    ASSERT_TRUE(ReadExportFile(path, read));
    EXPECT_EQ(read, written);
    EXPECT_TRUE(shown.empty());
}

// The file layer tells nobody: its failures come back with the system's words.
TEST_F(ExportFileWin, FailuresComeBackWithTheSystemsReasonAndShowNothing) {
    Options start;
    start.ShowPassword = true;
    Options s = start;
    const std::string noFolder = dir / "nofolder\\a.pvxe", missing = dir / "missing.pvxe",
                      other = dir / "other.pvxe", empty = dir / "empty.pvxe";
    ASSERT_TRUE(test::WriteAll(other, "plivexie$2\r\n1\r\n"));
    ASSERT_TRUE(test::WriteAll(empty, ""));
    const ExportFileResult written = WriteExportFile(noFolder, s);
    EXPECT_EQ(written.error, ExportFileError::kCannotWrite);
    EXPECT_EQ(written.reason, SystemErrorText(ERROR_PATH_NOT_FOUND));
    const ExportFileResult read = ReadExportFile(missing, s);
    EXPECT_EQ(read.error, ExportFileError::kCannotRead);
    EXPECT_EQ(read.reason, SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadExportFile(other, s).error, ExportFileError::kNotExport);
    EXPECT_EQ(ReadExportFile(empty, s).error, ExportFileError::kNoLines);
    EXPECT_EQ(s, start);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ExportFileWin, FailedWriteIsReportedAndLeavesTheOldFileWhole) {
    const std::string missing = dir / "nofolder\\a.pvxe";
    EXPECT_FALSE(ExportOptions(missing, Options()));
    EXPECT_EQ(shown, std::vector<std::string>{
                         test::WithReason("プリベックス|48|ファイルに保存できません。\n" + missing, ERROR_PATH_NOT_FOUND)});

    // T: is a small tmpfs prepared by scripts/test; filled up, the new text cannot be written.
    ULARGE_INTEGER freeBytes, total;
    if (!GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr) || total.QuadPart > 4u << 20)
        GTEST_SKIP() << "no small disk on T: (mounting not permitted here)";
    for (const auto& name : test::ListFolder("T:\\")) DeleteFileW(Widen("T:\\" + name).c_str());
    const std::string old = "T:\\old.pvxe", oldText = "PlivexIE$1\r\n0\r\n";
    ASSERT_TRUE(test::WriteAll(old, oldText));
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr));
    test::WriteAll("T:\\fill.bin", std::string(static_cast<std::size_t>(freeBytes.QuadPart), 'x'));
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"T:\\", &freeBytes, &total, nullptr));
    ASSERT_EQ(freeBytes.QuadPart, 0u);
    shown.clear();
    EXPECT_FALSE(ExportOptions(old, Options()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(test::EndsWithAReason(shown[0], "プリベックス|48|ファイルに保存できません。\n" + old)) << shown[0];
    EXPECT_EQ(test::ReadAll(old), oldText);
    EXPECT_EQ(test::ListFolder("T:\\"), (std::vector<std::string>{"fill.bin", "old.pvxe"}));
    for (const auto& name : test::ListFolder("T:\\")) DeleteFileW(Widen("T:\\" + name).c_str());
}

TEST_F(ExportFileWin, ReadFailuresTellTheUserExceptForAnEmptyFile) {
    Options start;
    start.ShowPassword = true;
    Options s = start;
    const std::string missing = dir / "missing.pvxe", other = dir / "other.pvxe", empty = dir / "empty.pvxe";
    ASSERT_TRUE(test::WriteAll(other, "plivexie$2\r\n1\r\n"));
    ASSERT_TRUE(test::WriteAll(empty, ""));
    EXPECT_FALSE(ImportOptions(missing, s));
    EXPECT_FALSE(ImportOptions(other, s));
    EXPECT_FALSE(ImportOptions(empty, s));
    EXPECT_EQ(s, start);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         test::WithReason("プリベックス|48|外持ファイルにアクセスできません。\n" + missing,
                                          ERROR_FILE_NOT_FOUND),
                         "プリベックス|48|設定を読み込むことができません。\n" + other +
                             "\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。"}));
}

}  // namespace
}  // namespace plivex
