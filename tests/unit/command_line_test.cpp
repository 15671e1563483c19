#include <gtest/gtest.h>

#include "app/command_line.h"

namespace plivex {
namespace {

using Args = std::vector<std::string>;

const std::string kMalformed = "オプションの記述形式が不正です。\n";
const std::string kUnknown = "このオプションは指定できません。\n";

TEST(CommandLine, NoArgumentsDoNothing) {
    CommandLineFlags p;
    const auto r = ParseCommandLine({}, p);
    EXPECT_TRUE(r.files.empty());
    EXPECT_TRUE(r.messages.empty());
    EXPECT_FALSE(p.Quit);
    EXPECT_FALSE(p.RegClear);
}

TEST(CommandLine, OptionsInAnyCaseWithEitherSwitch) {
    for (const std::string q : {"/Q", "/q", "-Q", "-q"}) {
        CommandLineFlags p;
        EXPECT_TRUE(ParseCommandLine({q}, p).messages.empty()) << q;
        EXPECT_TRUE(p.Quit) << q;
        EXPECT_FALSE(p.RegClear) << q;
    }
    for (const std::string rc : {"/RC", "/rc", "-Rc", "-rC", "/RCX", "/rc=1", "-rcanything"}) {
        CommandLineFlags p;
        EXPECT_TRUE(ParseCommandLine({rc}, p).messages.empty()) << rc;
        EXPECT_TRUE(p.RegClear) << rc;
        EXPECT_FALSE(p.Quit) << rc;
    }
    CommandLineFlags p;
    EXPECT_TRUE(ParseCommandLine({"/RC", "/Q"}, p).messages.empty());
    EXPECT_TRUE(p.Quit && p.RegClear);
}

TEST(CommandLine, MalformedAndUnknownOptionsAreReportedAndIgnored) {
    CommandLineFlags p;
    const auto r = ParseCommandLine({"/=", "-=abc", "/=5", "/", "-", "/QX", "/Q=1", "/R", "/X", "/Ｑ"}, p);
    EXPECT_EQ(r.messages, (Args{kMalformed + "/=", kMalformed + "-=abc", kMalformed + "/=5", kUnknown + "/",
                                kUnknown + "-", kUnknown + "/QX", kUnknown + "/Q=1", kUnknown + "/R", kUnknown + "/X",
                                kUnknown + "/Ｑ"}));
    EXPECT_FALSE(p.Quit);
    EXPECT_FALSE(p.RegClear);
    EXPECT_TRUE(r.files.empty());
}

TEST(CommandLine, ExplorerOptionsAreMatchedWholeAndRegClearRegistersNothing) {
    CommandLineFlags p;
    const auto r = ParseCommandLine({"/REG", "-unreg", "/Reg", "/REGX", "/UNREGISTER", "/RE"}, p);
    EXPECT_EQ(r.messages, (Args{kUnknown + "/REGX", kUnknown + "/UNREGISTER", kUnknown + "/RE"}));
    EXPECT_FALSE(p.Quit || p.RegClear);
    EXPECT_EQ(ExplorerRequestOf({"C:\\a.txt", "/q"}), ExplorerRequest::None);
    EXPECT_EQ(ExplorerRequestOf({"-reg", "/Q"}), ExplorerRequest::Register);
    EXPECT_EQ(ExplorerRequestOf({"/REG", "/UnReg"}), ExplorerRequest::Unregister);  // the last one counts
    EXPECT_EQ(ExplorerRequestOf({"/UNREG", "/REG"}), ExplorerRequest::Register);
    EXPECT_EQ(ExplorerRequestOf({"/REGX", "/REG=1"}), ExplorerRequest::None);
    EXPECT_EQ(ExplorerRequestOf({"/REG", "/RCX"}), ExplorerRequest::None);
    EXPECT_EQ(ExplorerRequestOf({"/RC", "/UNREG"}), ExplorerRequest::Unregister);
}

TEST(CommandLine, FilesKeepTheirOrderWhereverOptionsStand) {
    CommandLineFlags p;
    const auto r = ParseCommandLine({"C:\\a b\\報告.doc", "/X", "", "rel\\x.pvx", "-q", "C:\\PROGRA~1\\n.txt"}, p);
    // An empty argument is a name like any other; the batch reports it as missing.
    EXPECT_EQ(r.files, (Args{"C:\\a b\\報告.doc", "", "rel\\x.pvx", "C:\\PROGRA~1\\n.txt"}));
    EXPECT_EQ(r.messages, (Args{kUnknown + "/X"}));  // reported before the batch runs
    EXPECT_TRUE(p.Quit);
    // A second instance hands over the same names and drops its options.
    EXPECT_EQ(FileArguments({"/Q", "C:\\one.txt", "-rc", "", "two.txt"}), (Args{"C:\\one.txt", "", "two.txt"}));
    EXPECT_TRUE(FileArguments({"/Q", "-RC"}).empty());
}

// As the shell writes command lines: a backslash before a quote is no escape.
TEST(CommandLine, SplitsAtBlanksOutsideQuotesAndKeepsBackslashes) {
    const std::pair<std::string, Args> cases[] = {
        {R"("C:\Program Files\plivex.exe" "D:\" /Q)", {R"(C:\Program Files\plivex.exe)", R"(D:\)", "/Q"}},
        {R"(plivex.exe "C:\新しい フォルダー\" -rc)", {"plivex.exe", R"(C:\新しい フォルダー\)", "-rc"}},
        {"p \t a\tb  c \t", {"p", "a", "b", "c"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},
        {R"(p "abc)", {"p", "abc"}},
        {R"(p "a b)", {"p", "a b"}},
        {R"(p "" x "")", {"p", "", "x", ""}},
        {R"(p ""a""b"")", {"p", "ab"}},
        {R"(p a\\"b c")", {"p", R"(a\\b c)"}},
        {R"(p \"x\")", {"p", R"(\x\)"}},
        {"", {}},
        {" \t ", {}},
        {"\"", {""}},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

}  // namespace
}  // namespace plivex
