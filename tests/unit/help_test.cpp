#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/help.h"

namespace plivex::help {
namespace {

// Records every call; each answer is set by the test.
class FakeSystem : public HelpSystem {
public:
    std::optional<std::string> appPath;
    std::optional<std::string> association;
    std::optional<std::string> command;
    bool ddeAccepts = false;
    bool programStarts = true;
    bool shellStarts = true;
    bool throwOnAssociation = false;
    std::vector<std::string> calls;

    std::optional<std::string> NetscapeAppPath() override {
        calls.push_back("appPath");
        return appPath;
    }
    std::optional<std::string> AssociatedProgram(const std::string& file) override {
        calls.push_back("assoc " + file);
        if (throwOnAssociation) throw std::runtime_error("no memory");
        return association;
    }
    bool DdeExecute(std::string_view service, const std::string& text) override {
        calls.push_back("dde " + std::string(service) + " " + text);
        return ddeAccepts;
    }
    std::optional<std::string> AssociationCommand(const std::string& file) override {
        calls.push_back("command " + file);
        return command;
    }
    bool StartProgram(const std::string& line) override {
        calls.push_back("start " + line);
        return programStarts;
    }
    bool ShellOpen(const std::string& file, const std::string& params) override {
        calls.push_back("open " + file + " " + params);
        return shellStarts;
    }
    void ShowMessage(const std::string& text) override { calls.push_back("msg " + text); }
};

const std::string kHelpMsg = "msg " + HelpNotShownText("Plivex.htm", "C:\\Prog\\Plivex.htm");

TEST(Help, PathsSuffixesAndServices) {
    EXPECT_EQ(HelpFullPath("Plivex.htm", "C:\\Prog"), "C:\\Prog\\Plivex.htm");
    EXPECT_EQ(HelpFullPath("Plivex.htm", "C:\\"), "C:\\Plivex.htm");
    for (const char* withFolder : {"D:\\doc\\Plivex.htm", "sub/Plivex.htm", "C:Plivex.htm"})
        EXPECT_EQ(HelpFullPath(withFolder, "C:\\Prog"), withFolder);
    EXPECT_EQ(AnchorSuffix("Filetab"), "#Filetab");
    EXPECT_EQ(AnchorSuffix(""), "");
    for (const char* ie : {"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE", "c:\\eXpLoReR\\b.exe", "x\\explore"})
        EXPECT_EQ(DdeServiceFor(ie), "IExplore") << ie;
    for (const char* other : {"C:\\Netscape\\netscape.exe", "C:\\expl\\ore.exe", ""})
        EXPECT_EQ(DdeServiceFor(other), "NSShell") << other;
}

TEST(Help, MessagesQuoteTheNameAsGiven) {
    // The help file's full path is the last line: where to look for it without the program's help.
    EXPECT_EQ(HelpNotShownText("Plivex.htm", "C:\\Prog\\Plivex.htm"),
              "ヘルプを表示できません。\nＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で\n\"Plivex.htm\"\nをご覧下さい。\n"
              "C:\\Prog\\Plivex.htm");
    EXPECT_EQ(HomePageNotOpenedText(kHomePageAddress),
              "作者のホームページに接続できません。\nＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で\n"
              "\"https://plivex.example/\"\nをご覧下さい。");
}

TEST(Help, FileAddressesAndAssociationCommands) {
    EXPECT_EQ(FileAddress("C:\\Prog\\Plivex.htm", "Filetab"), "file:///C:/Prog/Plivex.htm#Filetab");
    EXPECT_EQ(FileAddress("\\\\?\\C:\\Prog\\Plivex.htm", ""), "file:///C:/Prog/Plivex.htm");
    EXPECT_EQ(FileAddress("\\\\srv\\share\\Plivex.htm", ""), "file://srv/share/Plivex.htm");
    EXPECT_EQ(FileAddress("\\\\?\\UNC\\srv\\share\\Plivex.htm", "Kihonsousa"),
              "file://srv/share/Plivex.htm#Kihonsousa");
    // Blanks, "#", "%" and Japanese would otherwise break the address or its command line.
    EXPECT_EQ(FileAddress("D:\\ツール 1\\#2\\100%\\Plivex.htm", "Sonotatab"),
              "file:///D:/%E3%83%84%E3%83%BC%E3%83%AB%201/%232/100%25/Plivex.htm#Sonotatab");

    const std::string a = "file:///C:/P/Plivex.htm#Filetab";
    EXPECT_EQ(CommandWithAddress("\"C:\\Web\\b.exe\" -osint -url \"%1\"", a),
              "\"C:\\Web\\b.exe\" -osint -url \"" + a + "\"");
    EXPECT_EQ(CommandWithAddress("C:\\Web\\b.exe --single-argument %L %*", a),
              "C:\\Web\\b.exe --single-argument " + a + " ");
    EXPECT_EQ(CommandWithAddress("b.exe \"%l\" %2 100%%", a), "b.exe \"" + a + "\"  100%");
    for (const char* shellOnly : {"b.exe", "b.exe %I", "b.exe \"%1\" %", "b.exe %SystemRoot% %1", ""})
        EXPECT_EQ(CommandWithAddress(shellOnly, a), std::nullopt) << shellOnly;
}

TEST(Help, RunningBrowserTakesThePageByDdeAndNothingIsStarted) {
    FakeSystem sys;
    sys.appPath = "C:\\Web\\Explorer\\b.exe";
    sys.ddeAccepts = true;
    EXPECT_TRUE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", true));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"appPath", "dde IExplore C:\\Prog\\Plivex.htm#Kihonsousa"}));
}

TEST(Help, WithoutARunningBrowserOneProgramGetsTheAddress) {
    // The association's command line, with its switches, gets the address.
    FakeSystem sys;
    sys.association = "C:\\Web\\web.exe";
    sys.command = "\"C:\\Web\\web.exe\" -url \"%1\"";
    EXPECT_TRUE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Filetab", false));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{
                             "assoc C:\\Prog\\Plivex.htm",
                             "dde NSShell C:\\Prog\\Plivex.htm#Filetab",
                             "command C:\\Prog\\Plivex.htm",
                             "start \"C:\\Web\\web.exe\" -url \"file:///C:/Prog/Plivex.htm#Filetab\"",
                         }));

    // An association without a place for it, or whose program does not start:
    // the shell opens the file itself.
    for (const bool noPlace : {true, false}) {
        sys.calls.clear();
        sys.command = noPlace ? "\"C:\\Web\\web.exe\"" : "\"C:\\Web\\web.exe\" %1";
        sys.programStarts = noPlace;
        EXPECT_TRUE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Filetab", false));
        EXPECT_EQ(sys.calls.back(), "open C:\\Prog\\Plivex.htm ");
        EXPECT_EQ(std::count_if(sys.calls.begin(), sys.calls.end(),
                                [](const std::string& c) { return c.starts_with("start "); }),
                  noPlace ? 0 : 1);
    }

    // The App Paths browser itself is started with the address; the association is not asked.
    FakeSystem nn;
    nn.appPath = "C:\\nn\\netscape.exe";
    nn.association = "C:\\Web\\web.exe";
    EXPECT_TRUE(ShowHelp(nn, "C:\\Prog", "Plivex.htm", "", true));
    EXPECT_EQ(nn.calls, (std::vector<std::string>{"appPath", "dde NSShell C:\\Prog\\Plivex.htm",
                                                  "open C:\\nn\\netscape.exe \"file:///C:/Prog/Plivex.htm\""}));
}

TEST(Help, FailuresEndInTheMessage) {
    FakeSystem sys;  // no browser at all
    EXPECT_FALSE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", false));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"assoc C:\\Prog\\Plivex.htm", kHelpMsg}));

    // An empty App Paths value: nothing can be started, so the shell is not asked.
    sys.calls.clear();
    sys.appPath = "";
    EXPECT_FALSE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", true));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"appPath", "dde NSShell C:\\Prog\\Plivex.htm#Kihonsousa",
                                                   kHelpMsg}));

    // Neither the association's program nor the shell starts.
    FakeSystem none;
    none.association = "C:\\Web\\web.exe";
    none.command = "web.exe %1";
    none.programStarts = none.shellStarts = false;
    EXPECT_FALSE(ShowHelp(none, "C:\\Prog", "Plivex.htm", "Filetab", false));
    EXPECT_EQ(none.calls.back(), kHelpMsg);

    FakeSystem throwing;
    throwing.throwOnAssociation = true;
    EXPECT_FALSE(ShowHelp(throwing, "C:\\Prog", "Plivex.htm", "", false));
    EXPECT_EQ(throwing.calls.back(), kHelpMsg);
}

TEST(Help, HomePage) {
    FakeSystem sys;
    EXPECT_TRUE(OpenHomePage(sys, std::string(kHomePageAddress)));
    EXPECT_EQ(sys.calls, std::vector<std::string>{"open https://plivex.example/ "});
    sys.shellStarts = false;
    EXPECT_FALSE(OpenHomePage(sys, "x"));
    EXPECT_EQ(sys.calls.back(), "msg " + HomePageNotOpenedText("x"));
}

}  // namespace
}  // namespace plivex::help
