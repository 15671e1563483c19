// What the black-box tests share besides the window driver: sample files, the
// reference containers the codec makes of them, answering the password prompt,
// and the registry values a user's earlier runs would have left.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "mem_files.h"
#include "options/options_record.h"
#include "scripted_ui.h"
#include "sys/cp932.h"
#include "sys/text_win.h"
#include "window_driver.h"

namespace plivex::e2e {

inline constexpr wchar_t kProgramKey[] = L"Software\\QUORVA\\Plivex";

// Some bytes of every value after a Japanese line, so a codec fault anywhere shows.
inline std::string SampleContent(const std::string& line, int salt) {
    std::string content = line + "\r\n";
    for (int i = 0; i < 3000; ++i) content += static_cast<char>((i * 7 + salt) % 256);
    return content;
}

// What the codec writes when it encrypts content stored as `name` (a bare
// file name) into `containerName` with the password: the reference bytes.
inline std::optional<std::string> CodecContainer(const std::string& name, const std::string& containerName,
                                                 const std::string& content, const std::string& password) {
    test::MemFiles files;
    test::ScriptedUi ui;
    const Options defaults;
    const std::string source = "C:\\d\\" + name, container = "C:\\d\\" + containerName;
    files.files[source] = content;
    Codec codec(files, ui, defaults);
    const std::optional<std::string> passwordBytes = Utf8ToCp932(password);
    if (!passwordBytes || codec.Encode(source, container, CodecResult::kNoClash, 1, MakeKeyString(*passwordBytes)).result !=
                                 CodecResult::kNoClash ||
        !files.Has(container))
        return std::nullopt;
    return files.At(container);
}

// Files compared byte for byte, without printing binary contents on failure.
inline testing::AssertionResult SameBytes(const std::optional<std::string>& actual,
                                          const std::optional<std::string>& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    auto describe = [](const std::optional<std::string>& f) {
        return f ? std::to_string(f->size()) + " bytes" : std::string("no file");
    };
    return testing::AssertionFailure() << describe(actual) << " where " << describe(expected)
                                       << " of other content were expected";
}

// Waits for the password prompt of a pass ("暗号化" or "解凍") and answers it.
inline int AnswerPasswordPrompt(DWORD pid, const std::string& pass, const std::string& password) {
    const HWND dialog = WaitForWindow(pid, Widen("パスワード入力 - " + pass + " -"));
    return dialog ? AnswerPassword(dialog, password) : 0;
}

// Encrypts one file as the command line does (/Q) with the options in the
// registry; true once the program has ended well.
inline testing::AssertionResult EncryptWithProgram(const std::string& plain, const std::string& password) {
    Program plivex({plain, "/Q"});
    if (AnswerPasswordPrompt(plivex.id(), "暗号化", password) != 2)
        return testing::AssertionFailure() << "no encryption prompt; " << Describe(plivex);
    if (plivex.Wait(20000) != 0u) return testing::AssertionFailure() << "did not end well; " << Describe(plivex);
    return testing::AssertionSuccess();
}

// The stored name and body of a strong container melted with the password, or nothing.
inline std::optional<std::pair<std::string, std::string>> StrongContents(const std::string& container,
                                                                         const std::string& password) {
    test::MemFiles files;
    test::ScriptedUi ui;
    Options options;
    options.DeleteContainerAfterMelt = false;
    files.files["C:\\d\\x.pvx"] = container;
    Codec codec(files, ui, options);
    PassKeys keys = PassKeys::FromPassword(password);
    std::string plain;
    int version = 0;
    const CodecOutcome outcome = codec.Melt("C:\\d\\x.pvx", plain, CodecResult::kNoClash, version, keys);
    if (outcome.result != CodecResult::kNoClash || !outcome.written || version != 2) return std::nullopt;
    return std::make_pair(plain.substr(5), files.At(plain));
}

// The options as an earlier run saved them: all thirteen values (or the
// program ignores the section and starts from its defaults), and StrongFormat.
inline void WritePreferences(const Options& o) {
    const std::pair<const wchar_t*, DWORD> values[] = {
        {L"ConMeltFName", o.ConfirmMeltedName}, {L"UseMeltF", o.OpenMeltedFile},   {L"UseManyMeltF", o.OpenManyMeltedFiles},
        {L"Reencode", o.ReencryptAfterUse},         {L"DelRawF", o.DeleteSourceAfterEncrypt},     {L"DelPvF", o.DeleteContainerAfterMelt},
        {L"ConDelUnrela", o.AskBeforeDeletingUnassociated}, {L"FOverlap", DWORD(o.OnNameClash)}, {L"SeePW", o.ShowPassword},
        {L"RecyclePW", o.RememberPassword},       {L"StayOnTop", o.StayOnTop}, {L"DlgPos", DWORD(o.DialogPlacement)},
        {L"UseNN", o.UseNetscapeForHelp},               {L"StrongFormat", o.StrongFormat}};
    const std::wstring key = std::wstring(kProgramKey) + L"\\Preference";
    for (const auto& [name, value] : values)
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

// The test application's window showing the document at path, once the
// program has opened it there; null when none does within the patience.
inline HWND WaitForDocumentWindow(const std::string& path) {
    HWND app = nullptr;
    WaitFor([&] {
        for (HWND w : test::TestAppWindows())
            if (TextOf(w).find(Widen(path)) != std::wstring::npos) app = w;
        return app != nullptr;
    });
    return app;
}

// The control whose top-left corner lies at (left, top) of the parent's client area.
inline HWND ChildAt(HWND parent, int left, int top) {
    for (HWND c : Children(parent)) {
        RECT r;
        GetWindowRect(c, &r);
        POINT p{r.left, r.top};
        ScreenToClient(parent, &p);
        if (GetParent(c) == parent && p.x == left && p.y == top) return c;
    }
    return nullptr;
}

// The state an earlier run leaves on exit, so that the next one's file
// selection dialog opens in folder (and its window at the screen's corner).
inline void SaveExitStateIn(const std::string& folder) {
    const std::wstring exitState = std::wstring(kProgramKey) + L"\\ExitState", start = Widen(folder);
    const DWORD zero = 0;
    for (const wchar_t* edge : {L"MWLeft", L"MWTop"})
        RegSetKeyValueW(HKEY_CURRENT_USER, exitState.c_str(), edge, REG_DWORD, &zero, sizeof zero);
    for (const wchar_t* path : {L"SelFolder", L"EHFolder"})
        RegSetKeyValueW(HKEY_CURRENT_USER, exitState.c_str(), path, REG_SZ, start.c_str(),
                        static_cast<DWORD>((start.size() + 1) * sizeof(wchar_t)));
}

// Presses the main window's Browse button; the file selection dialog it opens, or null.
inline HWND OpenFileSelection(Program& plivex, HWND main) {
    if (!Click(ButtonOf(main, L"&R･参照"))) return nullptr;
    return WaitForWindow(plivex.id(), L"ファイルの選択");
}

// Presses the main window's settings tool button; the options dialog it opens, or null.
inline HWND OpenOptions(Program& plivex, HWND main) {
    if (!Click(ChildAt(main, 8, 40))) return nullptr;
    return WaitForWindow(plivex.id(), L"プリベックスの設定");
}

// Whether the file selection dialog's list shows the name.
inline bool Listed(HWND chooser, const std::string& name) {
    DWORD_PTR at = static_cast<DWORD_PTR>(LB_ERR);
    SendMessageTimeoutW(ChildOfClass(chooser, L"ListBox"), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(Widen(name).c_str()), SMTO_ABORTIFHUNG, kSendTimeout, &at);
    return static_cast<LRESULT>(at) != LB_ERR;
}

// Closes the main window as a user would and waits for the program to end.
inline std::optional<DWORD> CloseProgram(Program& plivex, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    return plivex.Wait(10000);
}

// Waits until the main window's status bar shows what the predicate accepts; the text last seen.
template <class Accept>
std::wstring WaitForStatus(HANDLE process, HWND main, Accept accept) {
    const HWND bar = ChildOfClass(main, STATUSCLASSNAMEW);
    std::wstring status;
    WaitFor([&] { return accept(status = StatusTextOf(process, bar)); });
    return status;
}

}  // namespace plivex::e2e
