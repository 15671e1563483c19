#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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
            return 1;
        });
    }
    void TearDown() override { ui::SetMsgBoxResponder(nullptr); }

    test::TempDir dir;
    std::vector<std::string> shown;
};

TEST_F(ExportFileWin, WrittenFileReadsBackAndReplacesAnOlderOne) {
    TCustomSet written;
    written.StayOnTop = true;
    written.DlgPos = 7;
    const std::string path = dir / "設定.pvxe";
    ASSERT_TRUE(test::WriteAll(path, "stale and longer than any export file could ever be, by far"));
    ASSERT_TRUE(WriteExportFile(path, written));
    EXPECT_EQ(test::ReadAll(path), ExportText(written));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"設定.pvxe"});

    TCustomSet read;
    read.UseNN = false;
    ASSERT_TRUE(ReadExportFile(path, read));
    EXPECT_EQ(read, written);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ExportFileWin, FailedWriteIsReportedAndLeavesTheOldFileWhole) {
    const std::string missing = dir / "nofolder\\a.pvxe";
    EXPECT_FALSE(WriteExportFile(missing, TCustomSet()));
    const std::string old = dir / "old.pvxe";
    ASSERT_TRUE(test::WriteAll(old, "PlivexIE$1\r\n0\r\n"));
    ASSERT_TRUE(SetFileAttributesW(Widen(old).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteExportFile(old, TCustomSet()));
    SetFileAttributesW(Widen(old).c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(shown, (std::vector<std::string>{"プリベックス|48|ファイルに保存できません。\n" + missing,
                                               "プリベックス|48|ファイルに保存できません。\n" + old}));
    EXPECT_EQ(test::ReadAll(old), "PlivexIE$1\r\n0\r\n");
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"old.pvxe"});
}

TEST_F(ExportFileWin, ReadFailuresTellTheUserExceptForAnEmptyFile) {
    TCustomSet start;
    start.SeePW = true;
    TCustomSet s = start;
    const std::string missing = dir / "missing.pvxe", other = dir / "other.pvxe", empty = dir / "empty.pvxe";
    ASSERT_TRUE(test::WriteAll(other, "plivexie$2\r\n1\r\n"));
    ASSERT_TRUE(test::WriteAll(empty, ""));
    EXPECT_FALSE(ReadExportFile(missing, s));
    EXPECT_FALSE(ReadExportFile(other, s));
    EXPECT_FALSE(ReadExportFile(empty, s));
    EXPECT_EQ(s, start);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "プリベックス|48|外持ファイルにアクセスできません。\n" + missing,
                         "プリベックス|48|設定を読み込むことができません。\n" + other +
                             "\n\n外持ファイルでないか、またはサポートされていない外持ファイル形式です。"}));
}

}  // namespace
}  // namespace plivex
