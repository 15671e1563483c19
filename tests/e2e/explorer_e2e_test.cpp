// plivex.exe as Explorer meets it: registered per user from its command line,
// started through the .pvx association, and started as many copies at once
// when several files are opened together.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;
using test::LongPathOf;

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kExtension = kClasses + L".pvx";
const std::wstring kProgId = kClasses + L"Plivex.Container";
const std::wstring kSystemKey = std::wstring(kProgramKey) + L"\\System";
const std::wstring kUserChoice = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pvx";
const std::wstring kEncryptVerb = kClasses + L"*\\shell\\Plivex.Encrypt";
const std::wstring kFolderVerb = kClasses + L"Directory\\shell\\Plivex.Encrypt";

std::wstring Executable() {
    std::wstring exe = Widen(PLIVEX_EXE);
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    return exe;
}

std::optional<std::wstring> DefaultOf(HKEY root, const std::wstring& path) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void SetDefault(HKEY root, const std::wstring& path, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(root, path.c_str(), nullptr, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::wstring SendToShortcut() {
    PWSTR folder = nullptr;
    EXPECT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, &folder)));
    const std::wstring path = std::wstring(folder ? folder : L"") + L"\\プリベックス.lnk";
    CoTaskMemFree(folder);
    return path;
}

// The shortcut's target as the shell reads it.
std::optional<std::wstring> ShortcutTarget(const std::wstring& link) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {};
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&shellLink))) &&
              SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
              SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    if (file) file->Release();
    if (shellLink) shellLink->Release();
    if (!ok) return std::nullopt;
    return std::wstring(target);
}

bool Registered() { return KeyExists(HKEY_CURRENT_USER, kProgId) || test::FileExists(Narrow(SendToShortcut())); }

std::optional<DWORD> RunToEnd(const std::vector<std::string>& args) {
    Program plivex(args);
    return plivex.Wait(kPatience);
}

// Whatever a test registers goes again; the user's own keys come back as they were.
class Explorer : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileW(SendToShortcut().c_str()); }
    void TearDown() override { DeleteFileW(SendToShortcut().c_str()); }

    test::SavedRegistryKey program_{HKEY_CURRENT_USER, kProgramKey};
    test::SavedRegistryKey extension_{HKEY_CURRENT_USER, kExtension};
    test::SavedRegistryKey progId_{HKEY_CURRENT_USER, kProgId};
    test::SavedRegistryKey userChoice_{HKEY_CURRENT_USER, kUserChoice};
    test::SavedRegistryKey encryptVerb_{HKEY_CURRENT_USER, kEncryptVerb};
    test::SavedRegistryKey folderVerb_{HKEY_CURRENT_USER, kFolderVerb};
};

TEST_F(Explorer, RegisteredFromTheCommandLineAndRemovedWithNothingElse) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kExtension.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgId.c_str());
    // What is not ours stays: another type's key, and a value of another program's under .pvx.
    test::SavedRegistryKey other(HKEY_CURRENT_USER, kClasses + L".plivex-test-other");
    SetDefault(HKEY_CURRENT_USER, kClasses + L".plivex-test-other", L"Other.File");

    ASSERT_EQ(RunToEnd({"/REG", "/Q"}), 0u);
    const std::wstring exe = Executable();
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kExtension), L"Plivex.Container");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId), L"プリベックス暗号化ファイル");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\DefaultIcon"), L"\"" + exe + L"\",-2");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\shell\\open\\command"), L"\"" + exe + L"\" \"%1\"");
    EXPECT_EQ(ShortcutTarget(SendToShortcut()), exe);
    // The right-click entries: melting is a container's default, encrypting everything else's.
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\shell"), L"open");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\shell\\open"), L"プリベックスで解凍");
    for (const std::wstring& verb : {kEncryptVerb, kFolderVerb}) {
        EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, verb), L"プリベックスで暗号化");
        EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, verb + L"\\command"), L"\"" + exe + L"\" \"%1\"");
    }
    wchar_t appliesTo[100] = {};
    DWORD size = sizeof appliesTo;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kEncryptVerb.c_str(), L"AppliesTo", RRF_RT_REG_SZ, nullptr, appliesTo,
                           &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(appliesTo, L"NOT System.FileExtension:=.pvx") << "containers melt, they are not encrypted again";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kExtension.c_str(), L"Content Type", REG_SZ, L"x", 4), ERROR_SUCCESS);

    // Moved since it registered: the next working copy points every command back at itself.
    SetDefault(HKEY_CURRENT_USER, kProgId + L"\\shell\\open\\command", L"\"C:\\old\\plivex.exe\" \"%1\"");
    SetDefault(HKEY_CURRENT_USER, kFolderVerb + L"\\command", L"\"C:\\old\\plivex.exe\" \"%1\"");
    ASSERT_EQ(RunToEnd({"/Q"}), 0u);
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\shell\\open\\command"), L"\"" + exe + L"\" \"%1\"");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kFolderVerb + L"\\command"), L"\"" + exe + L"\" \"%1\"");

    ASSERT_EQ(RunToEnd({"-unreg", "/q"}), 0u);
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kEncryptVerb));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFolderVerb));
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kExtension), std::nullopt);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kExtension)) << "another program's value went with ours";
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kClasses + L".plivex-test-other"), L"Other.File");

    // /RC leaves nothing behind; together with /REG it registers nothing.
    ASSERT_EQ(RunToEnd({"/REG", "/Q"}), 0u);
    ASSERT_TRUE(Registered());
    ASSERT_EQ(RunToEnd({"/RC", "/Q"}), 0u);
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProgramKey));
    ASSERT_EQ(RunToEnd({"/REG", "/RC", "/Q"}), 0u);
    EXPECT_FALSE(Registered());
}

// Another program's .pvx is taken over only on Yes (No is the default); the
// user's own choice in Windows wins over any registration, and the user is told.
TEST_F(Explorer, ForeignAssociationIsTakenOverOnlyWhenTheUserSaysSo) {
    SetDefault(HKEY_CURRENT_USER, kExtension, L"Other.Viewer");
    const auto answer = [](const wchar_t* button) {
        Program plivex({"/REG", "/Q"});
        const HWND box = WaitForMessageBox(plivex.id(), L"拡張子 .pvx は他のプログラムに関連づけられています。");
        EXPECT_TRUE(box) << Describe(plivex);
        if (!box) return;
        EXPECT_EQ(MessageTextOf(box),
                  L"拡張子 .pvx は他のプログラムに関連づけられています。\nプリベックスで開くように変更しますか？");
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON) << "Yes is the default";
        Click(ButtonOf(box, button));
        if (std::wstring(button) == L"はい(&Y)") {
            const HWND told = WaitForMessageBox(plivex.id(), L"拡張子 .pvx のファイルは、Windows の設定");
            EXPECT_TRUE(told) << "the user's own choice was not named; " << Describe(plivex);
            if (told) Click(GetDlgItem(told, IDOK));
        }
        EXPECT_EQ(plivex.Wait(kPatience), 0u);
    };
    answer(L"いいえ(&N)");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kExtension), L"Other.Viewer");
    EXPECT_TRUE(test::FileExists(Narrow(SendToShortcut()))) << "Send To is registered all the same";

    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (kUserChoice + L"\\UserChoice").c_str(), L"ProgId", REG_SZ,
                              L"Other.Viewer", 26),
              ERROR_SUCCESS);
    answer(L"はい(&Y)");
    EXPECT_EQ(DefaultOf(HKEY_CURRENT_USER, kExtension), L"Plivex.Container");
}

// A double-click: the shell starts the program on the container through the
// association, and the program asks for its password.
TEST_F(Explorer, OpeningAContainerThroughTheAssociationReachesThePasswordPrompt) {
    test::TempDir dir;
    const std::string container = LongPathOf(dir.path()) + "報告書.pvx";
    const auto bytes = CodecContainer("報告書.txt", "報告書.pvx", SampleContent("報告書", 3), "pw");
    ASSERT_TRUE(bytes && test::WriteAll(container, *bytes));
    ASSERT_EQ(RunToEnd({"/REG", "/Q"}), 0u);
    // This Wine's shell reads associations from the machine's classes only.
    test::SavedRegistryKey machineExtension(HKEY_LOCAL_MACHINE, kExtension);
    test::SavedRegistryKey machineProgId(HKEY_LOCAL_MACHINE, kProgId);
    SetDefault(HKEY_LOCAL_MACHINE, kExtension, *DefaultOf(HKEY_CURRENT_USER, kExtension));
    SetDefault(HKEY_LOCAL_MACHINE, kProgId + L"\\shell\\open\\command",
               *DefaultOf(HKEY_CURRENT_USER, kProgId + L"\\shell\\open\\command"));

    const std::wstring file = Widen(container);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&info)) << GetLastError();
    ASSERT_TRUE(info.hProcess) << "the shell started no process";
    const DWORD pid = GetProcessId(info.hProcess);
    const HWND prompt = WaitForWindow(pid, L"パスワード入力 - 解凍 -");
    EXPECT_TRUE(prompt) << Describe(pid);
    if (prompt) Click(ButtonOf(prompt, L"&C･ｷｬﾝｾﾙ"));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    EXPECT_TRUE(test::FileExists(container));
}

// /UNREG is the user's, not the running copy's: a second copy carries it out
// and hands nothing over.
TEST_F(Explorer, SecondCopyRegistersAndRemovesWhileAWorkingCopyRuns) {
    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    ASSERT_EQ(RunToEnd({"/REG", "/Q"}), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProgId));
    ASSERT_EQ(RunToEnd({"/UNREG", "/Q"}), 0u);
    EXPECT_FALSE(Registered());
    EXPECT_TRUE(test::RegistryValues(kSystemKey.c_str()).count("HWND"));
    EXPECT_EQ(test::RegistryValues(kSystemKey.c_str()).size(), 1u) << "something was handed over";
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

// Several files opened together (with the right-click entry "プリベックスで
// 暗号化"): Explorer starts one copy per file at the same moment, each with the
// entry's command. Every file is worked, with a prompt or two, and nothing waits.
struct Copies {
    bool workingCopyFirst;
    int files;
};
class ManyCopies : public Explorer, public ::testing::WithParamInterface<Copies> {};

TEST_P(ManyCopies, CopiesStartedTogetherLoseNoFile) {
    const bool workingCopyFirst = GetParam().workingCopyFirst;
    ASSERT_EQ(RunToEnd({"/REG", "/Q"}), 0u);
    // The command Explorer runs for each item: exactly the copies started below.
    ASSERT_EQ(DefaultOf(HKEY_CURRENT_USER, kEncryptVerb + L"\\command"), L"\"" + Executable() + L"\" \"%1\"");
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    std::vector<std::string> files;
    for (int i = 1; i <= GetParam().files; ++i) {
        files.push_back(folder + "書類" + std::to_string(i) + ".txt");
        ASSERT_TRUE(test::WriteAll(files.back(), SampleContent("書類", i)));
    }
    std::unique_ptr<Program> working;
    HWND main = nullptr;
    if (workingCopyFirst) {
        working = std::make_unique<Program>(std::vector<std::string>{});
        main = WaitForMainWindow(working->id());
        ASSERT_TRUE(main) << Describe(working->id());
    }
    std::vector<std::unique_ptr<Program>> copies;
    for (const auto& f : files) copies.push_back(std::make_unique<Program>(std::vector<std::string>{f}));

    // All but the working copy hand over and end; only then is the first prompt answered.
    const auto ended = [&] {
        return std::count_if(copies.begin(), copies.end(),
                             [](const auto& c) { return WaitForSingleObject(c->process(), 0) == WAIT_OBJECT_0; });
    };
    const long expectEnded = workingCopyFirst ? GetParam().files : GetParam().files - 1;
    ASSERT_TRUE(WaitFor([&] { return ended() >= expectEnded; }, 60000)) << ended() << " copies ended";
    EXPECT_EQ(ended(), expectEnded) << "more than one copy went on working";
    if (!working) {
        for (auto& c : copies)
            if (WaitForSingleObject(c->process(), 0) != WAIT_OBJECT_0) working = std::move(c);
        ASSERT_TRUE(working);
    }

    int prompts = 0;
    const auto allDone = [&] {
        return std::all_of(files.begin(), files.end(), [](const std::string& f) {
            return test::FileExists(f.substr(0, f.size() - 4) + ".pvx") && !test::FileExists(f);
        });
    };
    while (!allDone() && prompts < 4) {
        HWND prompt = nullptr;
        if (!WaitFor([&] {
                prompt = FindWindowOf(working->id(), [](HWND w) {
                    return TextOf(w) == L"パスワード入力 - 暗号化 -" && IsWindowVisible(w);
                });
                return prompt != nullptr || allDone();
            }))
            break;
        if (!prompt) break;
        ++prompts;
        EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
        WaitFor([&] { return !IsWindow(prompt); });
    }
    EXPECT_TRUE(allDone()) << Describe(working->id());
    EXPECT_GE(prompts, 1);
    EXPECT_LE(prompts, 2);
    if (main) EXPECT_EQ(CloseProgram(*working, main), 0u);
    else EXPECT_EQ(working->Wait(kPatience), 0u);  // files from its command line end the run
    const test::NamedValues left = test::RegistryValues(kSystemKey.c_str());
    EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](const auto& v) { return v.first.rfind("SendFile", 0) == 0; }));
}

// A copy whose file was renamed (as a browser does with a second download)
// still knows the working copy by its window's mark, and hands over at once.
TEST(HandOver, ARenamedCopyHandsOverToTheWorkingCopy) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string renamed = folder + "plivex (2).exe", file = folder + "書類.txt";
    ASSERT_TRUE(CopyFileW(Widen(PLIVEX_EXE).c_str(), Widen(renamed).c_str(), TRUE));
    ASSERT_TRUE(test::WriteAll(file, "本文"));
    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const ULONGLONG start = GetTickCount64();
    {
        test::Program copy(renamed, {file});
        ASSERT_TRUE(copy.started()) << copy.failure();
        EXPECT_EQ(copy.Wait(kPatience), 0u);
    }
    // Within the 5 s a copy waits for a window it does not know before working itself.
    EXPECT_LT(GetTickCount64() - start, 4000u);
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
    EXPECT_TRUE(WaitFor([&] { return test::FileExists(folder + "書類.pvx"); })) << Describe(plivex);
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

// A close during a batch is its Cancel: the pass says what it left, and a
// file handed over meanwhile waits for the next start instead of being lost.
TEST(HandOver, ACloseDuringABatchStopsItAndWhatArrivedWaits) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    std::vector<std::string> files;
    for (const char* name : {"一.bin", "二.bin", "三.bin"}) {
        files.push_back(folder + name);
        ASSERT_TRUE(test::WriteAll(files.back(), std::string(2u << 20, name[0])));
    }
    const std::string late = folder + "後から.txt";
    ASSERT_TRUE(test::WriteAll(late, "後から届いた"));
    test::EnvVar slow(L"PLIVEX_TEST_STEP_MS", "200");  // 8 steps a file: the batch lasts
    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    std::vector<std::wstring> dropped;
    for (const auto& f : files) dropped.push_back(Widen(f));
    ASSERT_TRUE(DropFiles(plivex.process(), main, dropped));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
    ASSERT_TRUE(WaitFor([&] {
        return FindWindowOf(plivex.id(), [](HWND w) { return ChildOfClass(w, PROGRESS_CLASSW) != nullptr; });
    })) << Describe(plivex);
    {
        test::Program copy(PLIVEX_EXE, {late});
        EXPECT_EQ(copy.Wait(kPatience), 0u) << "the second copy did not hand over";
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    const HWND left = WaitForMessageBox(plivex.id(), L"次のファイルは暗号化されていません");
    ASSERT_TRUE(left) << Describe(plivex);
    EXPECT_NE(MessageTextOf(left).find(Widen(files[2])), std::wstring::npos) << "the last file is named";
    Click(GetDlgItem(left, IDOK));
    ASSERT_EQ(plivex.Wait(kPatience), 0u) << Describe(plivex);
    EXPECT_TRUE(test::FileExists(files[2]));
    EXPECT_FALSE(test::FileExists(folder + "三.pvx"));
    // The file handed over is neither converted nor dropped: it waits in the registry.
    EXPECT_TRUE(test::FileExists(late));
    const test::NamedValues values = test::RegistryValues(kSystemKey.c_str());
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [&](const auto& v) {
        return v.first.rfind("SendFile", 0) == 0 && v.second == late;
    })) << "the handed-over file was lost";
}

// Older copies serialise their hand-overs with a lock; one that hangs holding
// it must not make copies started together wait, nor write over each other's
// files. While the working copy's prompt keeps a batch in hand, every file
// waits in the registry under a value of its own, and all are then worked.
TEST(HandOver, FiftyCopiesWhileAnotherProcessHoldsTheOldLockLoseNoFile) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    const HANDLE oldLock = CreateMutexW(nullptr, TRUE, L"PlivexHandOverMutex");
    ASSERT_TRUE(oldLock);
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        test::TempDir dir;
        const std::string folder = LongPathOf(dir.path());
        const std::string first = folder + "最初.txt";
        ASSERT_TRUE(test::WriteAll(first, "最初"));
        std::vector<std::string> files;
        for (int i = 1; i <= 50; ++i) {
            files.push_back(folder + "書類" + std::to_string(i) + ".txt");
            ASSERT_TRUE(test::WriteAll(files.back(), SampleContent("書類", i)));
        }
        Program plivex({first});
        const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
        ASSERT_TRUE(prompt) << Describe(plivex);
        {
            std::vector<std::unique_ptr<Program>> copies;
            for (const auto& f : files) copies.push_back(std::make_unique<Program>(std::vector<std::string>{f}));
            for (auto& c : copies) EXPECT_EQ(c->Wait(60000), 0u) << "a copy did not hand over";
        }
        std::vector<std::string> waiting;
        for (const auto& [name, path] : test::RegistryValues(kSystemKey.c_str()))
            if (name.rfind("SendFile", 0) == 0) waiting.push_back(path);
        std::sort(waiting.begin(), waiting.end());
        std::vector<std::string> expected = files;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(waiting, expected) << "a hand-over was lost or written over";

        EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
        EXPECT_EQ(plivex.Wait(60000), 0u) << Describe(plivex);  // files of its command line end the run
        const long encrypted = std::count_if(files.begin(), files.end(), [](const std::string& f) {
            return test::FileExists(f.substr(0, f.size() - 4) + ".pvx") && !test::FileExists(f);
        });
        EXPECT_EQ(encrypted, 50);
    }
    ReleaseMutex(oldLock);
    CloseHandle(oldLock);
}

INSTANTIATE_TEST_SUITE_P(Explorer, ManyCopies,
                         ::testing::Values(Copies{true, 8}, Copies{false, 8}, Copies{false, 20}),
                         [](const auto& info) {
                             return std::to_string(info.param.files) +
                                    (info.param.workingCopyFirst ? "WhileAWorkingCopyRuns" : "WithNoneRunning");
                         });

}  // namespace
}  // namespace plivex
