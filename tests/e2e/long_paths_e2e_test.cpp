// Folders past 260 characters, as synced company folders with Japanese names
// often are: Windows refuses such a path to every file call unless it is
// written in the extended form, while Wine takes both. So the test reads what
// the program passes, from Wine's trace of the file calls. Wine writes a
// program's trace to the error output of the process that started it, this
// test's own; run with it sent to the file PLIVEX_TRACE_FILE names (ctest's
// long_path_file_calls does so), the test reads it there.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;

// The file calls whose path arguments Windows limits; traced only these, the
// trace stays small whatever else the program does.
constexpr wchar_t kTracedCalls[] =
    L"KERNEL32.CreateFileW;KERNEL32.MoveFileExW;KERNEL32.MoveFileWithProgressW;KERNEL32.DeleteFileW;"
    L"KERNEL32.FindFirstFileW;KERNEL32.FindFirstFileExW;KERNEL32.GetFileAttributesW;"
    L"KERNEL32.GetFileAttributesExW;KERNEL32.SetFileAttributesW;KERNEL32.CreateDirectoryW;"
    L"KERNEL32.RemoveDirectoryW;KERNEL32.ReplaceFileW;KERNEL32.CopyFileW;KERNEL32.CopyFileExW";
// Where the programs' own code lies: MinGW links executables at this base, and
// neither is near this size.
constexpr std::uint64_t kImageBase = 0x140000000, kImageSpan = 0x1000000;
// An ASCII mark in every folder name: the trace writes other characters as numbers.
constexpr char kMark[] = "plivex-deep";

// While it lives, programs started trace the file calls above into the file
// this process's error output goes to, when it is told which.
class FileCallTrace {
public:
    FileCallTrace() : saved_(HKEY_CURRENT_USER, L"Software\\Wine\\Debug") {
        wchar_t file[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"PLIVEX_TRACE_FILE", file, MAX_PATH)) return;
        file_ = Narrow(file);
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", L"RelayInclude", REG_SZ, kTracedCalls,
                        sizeof kTracedCalls);
        SetEnvironmentVariableW(L"WINEDEBUG", L"trace+relay");
    }
    ~FileCallTrace() {
        if (!file_.empty()) SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
    }
    bool on() const { return !file_.empty(); }
    // What was traced since the last call.
    std::string Next() {
        const std::string all = test::ReadAll(file_).value_or("");
        std::string next = all.substr(std::min(seen_, all.size()));
        seen_ = all.size();
        return next;
    }

private:
    test::SavedRegistryKey saved_;
    std::string file_;
    std::size_t seen_ = 0;
};

struct CallsSeen {
    int named = 0;                   // calls that named the deep folder
    std::vector<std::string> plain;  // of them, those without the extended form
};

CallsSeen FileCallsNamingTheFolder(const std::string& output) {
    CallsSeen seen;
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(at, end - at);
        at = end + 1;
        if (line.find(":Call KERNEL32.") == std::string::npos || line.find(kMark) == std::string::npos) continue;
        // Only the program's own calls: the shell's (the folder tree's) are its
        // own affair, and the program hands it short names where a path is long.
        const std::size_t ret = line.rfind(" ret=");
        const std::uint64_t caller = ret == std::string::npos ? 0 : std::strtoull(line.c_str() + ret + 5, nullptr, 16);
        if (caller < kImageBase || caller >= kImageBase + kImageSpan) continue;
        ++seen.named;
        // The trace writes each backslash twice: L"\\?\" shows as L"\\\\?\\".
        if (line.find("(L\"\\\\\\\\?\\\\") == std::string::npos && line.find(" L\"\\\\\\\\?\\\\") == std::string::npos)
            seen.plain.push_back(line.substr(0, 200));
    }
    return seen;
}

testing::AssertionResult EveryCallExtended(const std::string& route, FileCallTrace& trace) {
    if (!trace.on()) return testing::AssertionSuccess();  // the conversion itself is still checked
    const CallsSeen seen = FileCallsNamingTheFolder(trace.Next());
    if (seen.named == 0) return testing::AssertionFailure() << route << ": no file call named the folder (no trace?)";
    if (seen.plain.empty()) return testing::AssertionSuccess();
    auto failure = testing::AssertionFailure();
    failure << route << ": " << seen.plain.size() << " of " << seen.named << " calls passed the plain path:";
    for (const std::string& line : seen.plain) failure << "\n  " << line;
    return failure;
}

// A folder of more than 300 characters under dir, made one name at a time.
std::string DeepFolder(const test::TempDir& dir) {
    std::string folder = test::LongPathOf(dir.path());
    for (int level = 1; folder.size() <= 300; ++level) {
        folder += std::string(kMark) + "-共有フォルダー第" + std::to_string(level) + "階層の名前\\";
        CreateDirectoryW(Widen(folder).c_str(), nullptr);
    }
    return folder;
}

TEST(LongPaths, AFolderPast300CharactersIsNamedInTheExtendedFormByEveryRoute) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = DeepFolder(dir);
    ASSERT_GT(folder.size(), 300u);
    const std::string byTool = folder + "月次報告.txt", byLine = folder + "議事録.txt", byDrop = folder + "見積.txt",
                      byDialog = folder + "請求書.txt";
    for (const std::string& file : {byTool, byLine, byDrop, byDialog})
        ASSERT_TRUE(test::WriteAll(file, SampleContent(file, 5)));

    FileCallTrace trace;
    trace.Next();

    {
        test::EnvVar password(L"PVX_PASSWORD", "pw");
        test::Program pvx(PLIVEX_PVX_EXE, {"encrypt", "--", byTool});
        ASSERT_EQ(pvx.Wait(30000), 0u) << pvx.Output().substr(0, 2000);
        EXPECT_TRUE(test::FileExists(folder + "月次報告.pvx"));
        EXPECT_TRUE(EveryCallExtended("pvx.exe", trace));
    }
    {
        Program plivex({byLine, "/Q"});
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
        ASSERT_EQ(plivex.Wait(30000), 0u) << Describe(plivex);
        EXPECT_TRUE(test::FileExists(folder + "議事録.pvx"));
        EXPECT_TRUE(EveryCallExtended("command line", trace));
    }
    {
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        ASSERT_TRUE(DropFile(plivex.process(), main, Widen(byDrop)));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
        EXPECT_TRUE(WaitFor([&] { return test::FileExists(folder + "見積.pvx"); })) << Describe(plivex);
        ASSERT_EQ(CloseProgram(plivex, main), 0u);
        EXPECT_TRUE(EveryCallExtended("drop", trace));
    }
    {
        SaveExitStateIn(folder);  // the file selection dialog opens there
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        const HWND chooser = OpenFileSelection(plivex, main);
        ASSERT_TRUE(chooser) << Describe(plivex);
        EXPECT_TRUE(WaitFor([&] { return Listed(chooser, "請求書.txt"); })) << "the deep folder's files are not listed";
        ASSERT_TRUE(TypeInto(ChildAt(chooser, 96, 304), L"請求書.txt"));
        Click(ButtonOf(chooser, L"&OK"));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
        EXPECT_TRUE(WaitFor([&] { return test::FileExists(folder + "請求書.pvx"); })) << Describe(plivex);
        ASSERT_EQ(CloseProgram(plivex, main), 0u);
        EXPECT_TRUE(EveryCallExtended("file selection dialog", trace));
    }
}

}  // namespace
}  // namespace plivex
