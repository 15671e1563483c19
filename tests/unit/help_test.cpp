#include <gtest/gtest.h>

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
    bool ddeAccepts = false;
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
    bool DdeExecute(std::string_view service, const std::string& browser, const std::string& command) override {
        calls.push_back("dde " + std::string(service) + " " + browser + " " + command);
        return ddeAccepts;
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

TEST(Help, AcceptedDdeCommandEndsIt) {
    FakeSystem sys;
    sys.appPath = "C:\\Web\\Explorer\\b.exe";
    sys.ddeAccepts = true;
    EXPECT_TRUE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", true));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{
                             "appPath",
                             "dde IExplore C:\\Web\\Explorer\\b.exe about:",
                             "dde IExplore C:\\Web\\Explorer\\b.exe C:\\Prog\\Plivex.htm#Kihonsousa",
                         }));
}

TEST(Help, RefusedDdeStartsTheBrowserWithTheFullPath) {
    FakeSystem sys;
    sys.association = "C:\\nn\\netscape.exe";
    EXPECT_TRUE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "", false));
    ASSERT_EQ(sys.calls.size(), 4u);
    EXPECT_EQ(sys.calls[2], "dde NSShell C:\\nn\\netscape.exe C:\\Prog\\Plivex.htm");
    EXPECT_EQ(sys.calls[3], "open C:\\nn\\netscape.exe \"C:\\Prog\\Plivex.htm\"");

    sys.calls.clear();
    sys.shellStarts = false;
    EXPECT_FALSE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Filetab", false));
    EXPECT_EQ(sys.calls.back(), kHelpMsg);
}

TEST(Help, FailuresEndInTheMessage) {
    FakeSystem sys;  // no browser at all
    EXPECT_FALSE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", false));
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"assoc C:\\Prog\\Plivex.htm", kHelpMsg}));

    // An empty App Paths value: nothing can be started, so the shell is not asked.
    sys.calls.clear();
    sys.appPath = "";
    EXPECT_FALSE(ShowHelp(sys, "C:\\Prog", "Plivex.htm", "Kihonsousa", true));
    ASSERT_EQ(sys.calls.size(), 4u);
    EXPECT_EQ(sys.calls[1], "dde NSShell  about:");
    EXPECT_EQ(sys.calls[3], kHelpMsg);

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
