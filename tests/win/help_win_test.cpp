// Help and home page with a stand-in browser (test_browser.exe) registered in
// the test prefix: as the Netscape App Paths entry, as the program of ".htm"
// and of "https", and as a DDE server. Its records count its starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "app/help_win.h"
#include "codec/texts.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

constexpr const wchar_t* kAppPathKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe";

void SetDefault(const std::wstring& key, const std::string& value) {
    const std::wstring w = Widen(value);
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, w.c_str(),
                              static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

class HelpWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::WriteAll(helpFile, "<html></html>"));
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string& c, unsigned s) {
            shown.push_back(t + "|" + c + "|" + std::to_string(s));
            return MsgAnswer::kOk;
        });
    }
    void TearDown() override { ui::SetMsgBoxResponder(nullptr); }

    // A copy of the stand-in browser at dir/name.
    std::string Browser(const std::string& name) {
        const std::string path = dir / name;
        const size_t slash = path.find_last_of('\\');
        CreateDirectoryW(Widen(path.substr(0, slash)).c_str(), nullptr);
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring source = self;
        source = source.substr(0, source.find_last_of(L"\\/") + 1) + L"test_browser.exe";
        EXPECT_TRUE(CopyFileW(source.c_str(), Widen(path).c_str(), FALSE));
        return path;
    }
    void Associate(const std::string& browser, const std::string& args = "\"%1\"") {
        SetDefault(L"Software\\Classes\\.htm", "PlivexTest.Browser");
        SetDefault(L"Software\\Classes\\PlivexTest.Browser\\shell\\open\\command", "\"" + browser + "\" " + args);
    }

    std::vector<std::string> Records() {
        std::vector<std::string> lines;
        std::istringstream in(test::ReadAll(log).value_or(""));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The records once line is there and every browser started has ended
    // (a server within 15 s): nothing more can be recorded.
    std::vector<std::string> RecordsAfter(const std::string& line) {
        EXPECT_TRUE(WaitFor(line)) << line;
        EXPECT_TRUE(test::PumpUntil([&] { return test::ProcessesRunningFrom(dir.path()) == 0; }, 20000));
        return Records();
    }
    // Waits (handling messages) until a record equal to line is there.
    bool WaitFor(const std::string& line) {
        return test::PumpUntil([&] {
            const auto r = Records();
            return std::find(r.begin(), r.end(), line) != r.end();
        });
    }

    test::TempDir dir;
    const std::string helpFile = dir / "Plivex.htm";
    const std::string log = dir / "log.txt";
    test::EnvVar logVar{L"PLIVEX_TEST_BROWSER_LOG", log};
    test::SavedRegistryKey appPath{HKEY_LOCAL_MACHINE, kAppPathKey};
    test::SavedRegistryKey htm{HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm"};
    test::SavedRegistryKey progId{HKEY_LOCAL_MACHINE, L"Software\\Classes\\PlivexTest.Browser"};
    test::SavedRegistryKey https{HKEY_LOCAL_MACHINE, L"Software\\Classes\\https"};
    std::vector<std::string> shown;
};

TEST_F(HelpWin, NetscapeAppPathChosenOnlyWithTheOptionAndWhileTheKeyIsThere) {
    const std::string nn = Browser("nn.exe");
    const std::string assoc = Browser("assoc.exe");
    Associate(assoc);
    SetDefault(kAppPathKey, nn);

    // A browser that is not running is started once, with the page's address.
    EXPECT_TRUE(ShowHelp(helpFile, "Filetab", true));
    const std::string page = "arg " + help::FileAddress(helpFile, "Filetab");
    EXPECT_EQ(RecordsAfter(page), (std::vector<std::string>{"start " + nn, page}));

    help::WinHelpSystem system;
    std::optional<help::Browser> browser = help::FindBrowser(system, helpFile, false);
    ASSERT_TRUE(browser);
    EXPECT_EQ(test::LongPathOf(browser->path), test::LongPathOf(assoc));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathKey);
    browser = help::FindBrowser(system, helpFile, true);
    ASSERT_TRUE(browser);
    EXPECT_EQ(test::LongPathOf(browser->path), test::LongPathOf(assoc));
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWin, EmptyAppPathValueEndsInTheMessage) {
    Associate(Browser("assoc.exe"));
    SetDefault(kAppPathKey, "");
    help::WinHelpSystem system;
    const std::optional<help::Browser> browser = help::FindBrowser(system, helpFile, true);
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->path, "");
    EXPECT_FALSE(ShowHelp(helpFile, "Kihonsousa", true));
    EXPECT_EQ(shown, std::vector<std::string>{help::HelpNotShownText(helpFile, helpFile) + "|プリベックス|48"});
    // A browser started would be running or would have recorded its start.
    EXPECT_EQ(test::ProcessesRunningFrom(dir.path()), 0);
    EXPECT_TRUE(Records().empty());
}

TEST_F(HelpWin, NoAssociationAndNoHelpFileEndInTheMessage) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm");
    EXPECT_FALSE(ShowHelp("Plivex.htm", "Kihonsousa", false));  // also absent beside this test program
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("\n\"Plivex.htm\"\n"), std::string::npos) << shown[0];
    // Its last line says where the help file is: beside the program.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string us = Narrow(self);
    const std::string tail = "をご覧下さい。\n" + us.substr(0, us.find_last_of('\\') + 1) + "Plivex.htm|プリベックス|48";
    EXPECT_EQ(shown[0].substr(shown[0].size() - std::min(shown[0].size(), tail.size())), tail);

    EXPECT_FALSE(OpenHomePage(dir / "missing.htm"));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], help::HomePageNotOpenedText(dir / "missing.htm") + "|プリベックス|48");
}

TEST_F(HelpWin, RunningBrowserWithExploreInItsPathTakesThePageByDde) {
    const std::string ie = Browser("ExPlOrEr\\web.exe");
    SetDefault(kAppPathKey, ie);
    test::Program server(ie, {"--serve", "IExplore"});
    ASSERT_TRUE(WaitFor("serving"));

    EXPECT_TRUE(ShowHelp(helpFile, "Sonotatab", true));
    EXPECT_EQ(RecordsAfter("exit"),
              (std::vector<std::string>{"start " + ie, "serving", "dde " + helpFile + "#Sonotatab", "exit"}));
}

TEST_F(HelpWin, AssociationStartsTheBrowserOnceWithTheChapterOrTheShellOpensTheFile) {
    // Its switches kept, the address in the place of %1; nobody is started for DDE.
    const std::string web = Browser("web.exe");
    Associate(web, "-osint -url \"%1\"");
    EXPECT_TRUE(ShowHelp(helpFile, "Kihonsousa", false));
    const std::string page = "arg " + help::FileAddress(helpFile, "Kihonsousa");
    EXPECT_EQ(RecordsAfter(page), (std::vector<std::string>{"start " + web, "arg -osint", "arg -url", page}));

    // A command without a place for an address: the shell opens the file, once.
    DeleteFileW(Widen(log).c_str());
    Associate(web, "");
    EXPECT_TRUE(ShowHelp(helpFile, "Kihonsousa", false));
    const auto records = RecordsAfter("start " + web);
    EXPECT_EQ(std::count_if(records.begin(), records.end(), [](const std::string& r) { return r.starts_with("start "); }),
              1) << ::testing::PrintToString(records);
    for (const std::string& r : records) EXPECT_EQ(r.find('#'), std::string::npos) << r;
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWin, HomePageOpensOnceInTheBrowserOfItsAddress) {
    const std::string web = Browser("web.exe");
    SetDefault(L"Software\\Classes\\https", "URL:HyperText Transfer Protocol with Privacy");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https", L"URL Protocol", REG_SZ, L"", sizeof(wchar_t));
    SetDefault(L"Software\\Classes\\https\\shell\\open\\command", "\"" + web + "\" \"%1\"");
    EXPECT_TRUE(OpenHomePage(std::string(help::kHomePageAddress)));
    const std::string page = "arg " + std::string(help::kHomePageAddress);
    EXPECT_EQ(RecordsAfter(page), (std::vector<std::string>{"start " + web, page}));
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWin, MainWindowHelpButtonOpensTheBasicChapterAndSaysSo) {
    test::OptionsGuard options;
    OptionsInForce().UseNetscapeForHelp = true;
    MainWindow form;
    auto& ctl = form.ControlsForTest();
    SetDefault(kAppPathKey, "");
    ctl.SButtonHelp.OnClick();  // its handler: the window is hidden
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(ctl.SBar.SimpleText(), "");

    const std::string nn = Browser("nn.exe");
    SetDefault(kAppPathKey, nn);
    ctl.SButtonHelp.OnClick();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string besideUs = Narrow(self);
    besideUs = besideUs.substr(0, besideUs.find_last_of('\\') + 1) + "Plivex.htm";
    const std::string page = "arg " + help::FileAddress(besideUs, "Kihonsousa");
    EXPECT_EQ(RecordsAfter(page), (std::vector<std::string>{"start " + nn, page}));
    EXPECT_EQ(ctl.SBar.SimpleText(), "ヘルプを表示しました。");
}

TEST(HelpFile, BesideTheProgramWithItsChapters) {
    std::string exe = PLIVEX_EXE;
    const auto page = test::ReadAll(exe.substr(0, exe.find_last_of("\\/") + 1) + "Plivex.htm");
    ASSERT_TRUE(page.has_value());
    EXPECT_NE(page->find("charset=\"utf-8\""), std::string::npos);
    for (const char* anchor : {"Kihonsousa", "Filetab", "Sonotatab"})
        EXPECT_NE(page->find("id=\"" + std::string(anchor) + "\""), std::string::npos) << anchor;
}

}  // namespace
}  // namespace plivex
