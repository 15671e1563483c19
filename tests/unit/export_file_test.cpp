#include <gtest/gtest.h>

#include "options/export_file.h"

namespace plivex {
namespace {

// Every field away from its default, enumerations outside their ranges.
Options Unusual() {
    Options s;
    s.AskBeforeDeletingUnassociated = false;
    s.DeleteContainerAfterMelt = false;
    s.RememberPassword = true;
    s.ShowPassword = true;
    s.OpenMeltedFile = false;
    s.OpenManyMeltedFiles = true;
    s.UseNetscapeForHelp = false;
    s.DialogPlacement = 7;
    s.OnNameClash = -5;
    s.StrongFormat = true;
    return s;
}

TEST(ExportFile, DefaultsAreWrittenByteForByte) {
    EXPECT_EQ(ExportText(Options()),
              "PlivexIE$2\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n0\r\n2\r\n0\r\n");
}

TEST(ExportFile, StrongFormatIsAFifteenthLineTakenOnlyWhenPresent) {
    // Written by a copy that knows nothing of it: the starting value stays.
    const std::string fourteen = "PlivexIE$2\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n0\r\n2\r\n";
    for (bool start : {false, true}) {
        Options s;
        s.StrongFormat = start;
        ASSERT_EQ(ParseExportText(fourteen, s), ExportRead::kRead);
        EXPECT_EQ(s.StrongFormat, start);
        ASSERT_EQ(ParseExportText(fourteen + "1\r\n", s), ExportRead::kRead);
        EXPECT_TRUE(s.StrongFormat);
    }
    // The older version has no such line: what follows its last value is not ours.
    const std::string older = "PlivexIE$1\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n2\r\n1\r\n";
    Options s;
    ASSERT_EQ(ParseExportText(older, s), ExportRead::kRead);
    EXPECT_FALSE(s.StrongFormat);
}

TEST(ExportFile, WrittenRecordReadsBackOverAnyStartingRecord) {
    for (const Options& written : {Options(), Unusual()}) {
        for (Options start : {Options(), Unusual()}) {
            ASSERT_EQ(ParseExportText(ExportText(written), start), ExportRead::kRead);
            EXPECT_EQ(start, written);
        }
    }
    EXPECT_NE(ExportText(Unusual()).find("\r\n7\r\n-5\r\n"), std::string::npos);
}

TEST(ExportFile, OlderVersionKeepsUseNNFromTheStartingRecord) {
    // Mixed line ends: CR LF, lone LF and lone CR all end a line.
    const std::string older = "PlivexIE$1\r\n0\n0\r1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n1\r\n0\r\n";
    Options s;
    ASSERT_EQ(ParseExportText(older, s), ExportRead::kRead);
    EXPECT_TRUE(s.UseNetscapeForHelp);
    EXPECT_FALSE(s.AskBeforeDeletingUnassociated || s.ConfirmMeltedName || s.OpenMeltedFile);
    EXPECT_TRUE(s.RememberPassword && s.ShowPassword && s.StayOnTop && s.OpenManyMeltedFiles);
    EXPECT_EQ(s.DialogPlacement, 1);
    EXPECT_EQ(s.OnNameClash, 0);

    Options off;
    off.UseNetscapeForHelp = false;
    ASSERT_EQ(ParseExportText(older, off), ExportRead::kRead);
    EXPECT_FALSE(off.UseNetscapeForHelp);
}

TEST(ExportFile, UnknownFirstLineOrNoLineAtAllIsRefusedLeavingTheRecord) {
    const std::string body = "\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n1\r\n0\r\n1\r\n0\r\n";
    for (const char* first : {"PlivexIE$2 ", "plivexie$2", "PlivexIE$3", " PlivexIE$1", ""}) {
        Options s;
        EXPECT_EQ(ParseExportText(first + body, s), ExportRead::kNotExport) << first;
        EXPECT_EQ(s, Options()) << first;
    }
    Options s = Unusual();
    EXPECT_EQ(ParseExportText("", s), ExportRead::kNoLines);
    EXPECT_EQ(s, Unusual());
}

TEST(ExportFile, ReadingStopsAtTheFirstMissingOrBadLineAndStillSucceeds) {
    const std::string full = ExportText(Unusual());
    // Cut after the sixth line: AskBeforeDeletingUnassociated to RememberPassword come from the file.
    std::size_t cut = 0;
    for (int i = 0; i < 6; ++i) cut = full.find("\r\n", cut) + 2;
    Options s;
    ASSERT_EQ(ParseExportText(full.substr(0, cut), s), ExportRead::kRead);
    Options expected;
    expected.AskBeforeDeletingUnassociated = false;
    expected.DeleteContainerAfterMelt = false;
    expected.RememberPassword = true;
    EXPECT_EQ(s, expected);

    // A word, a bare sign or a number beyond 32 bits stops the reading there; lines after it are ignored.
    for (const char* bad : {"yes", "-", "2147483648", "1 ", "0x1"}) {
        Options t;
        const std::string text = "PlivexIE$2\r\n0\r\n+0\r\n-1\r\n" + std::string(bad) + "\r\n1\r\n0\r\n";
        ASSERT_EQ(ParseExportText(text, t), ExportRead::kRead) << bad;
        Options want;
        want.AskBeforeDeletingUnassociated = false;
        want.ConfirmMeltedName = false;
        EXPECT_EQ(t, want) << bad;
    }

    // The extremes of 32 bits convert; lines after the last value are ignored.
    Options t;
    ASSERT_EQ(ParseExportText("PlivexIE$1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n-2147483648\n2147483647\nextra\n", t),
              ExportRead::kRead);
    EXPECT_EQ(t.DialogPlacement, INT32_MIN);
    EXPECT_EQ(t.OnNameClash, INT32_MAX);
}

}  // namespace
}  // namespace plivex
