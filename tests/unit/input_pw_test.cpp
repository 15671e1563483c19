// The password dialog's rules: file text, checks on OK, tick and focus rules, layout.
#include <gtest/gtest.h>

#include "dialogs/input_pw.h"

namespace plivex {
namespace {

TEST(InputPW, FileTextIsTheFirstNameWithTheCountOfTheOthers) {
    EXPECT_EQ(InputPWFilesText({"C:\\doc\\a.txt", "C:\\doc\\b.txt", "C:\\x\\c.doc", "D:\\d.xls"}), "a.txt　他3個");
    EXPECT_EQ(InputPWFilesText({"C:\\doc\\報告書.doc"}), "報告書.doc");
    EXPECT_EQ(InputPWFilesText({"C:\\doc\\a.pvx", "C:\\doc\\b.pvx"}), "a.pvx　他1個");
    // Only the first entry's name counts; its folder never shows.
    EXPECT_EQ(InputPWFilesText({"C:/doc/sub/z.txt", "C:\\a.txt"}), "z.txt　他1個");
    std::vector<std::string> many(12, "C:\\f\\m.bin");
    EXPECT_EQ(InputPWFilesText(many), "m.bin　他11個");
}

// The messages as the user reads them.
constexpr std::string_view kEmpty = "パスワードを入力して下さい。";
constexpr std::string_view kConEmpty = "確認欄にもパスワードを入力して下さい。";
constexpr std::string_view kDiffer = "パスワードが異なっています。";
constexpr std::string_view kUnusable = "パスワードに使用できない文字が含まれています。";

TEST(InputPW, ChecksComeInTheirOrder) {
    // 1: an empty password wins over everything else.
    EXPECT_EQ(InputPWCheck("", true, ""), kEmpty);
    EXPECT_EQ(InputPWCheck("", true, "other"), kEmpty);
    EXPECT_EQ(InputPWCheck("", false, ""), kEmpty);
    // 2: an empty confirmation, when one is asked.
    EXPECT_EQ(InputPWCheck("secret", true, ""), kConEmpty);
    EXPECT_EQ(InputPWCheck("café", true, ""), kConEmpty);
    // 3: the two differ, byte for byte.
    EXPECT_EQ(InputPWCheck("secret", true, "Secret"), kDiffer);
    EXPECT_EQ(InputPWCheck("secret", true, "secret "), kDiffer);
    EXPECT_EQ(InputPWCheck("ｱｲｳ", true, "アイウ"), kDiffer);
    EXPECT_EQ(InputPWCheck("café", true, "cafe"), kDiffer);
    // 4: last, characters the key bytes cannot carry.
    EXPECT_EQ(InputPWCheck("café", true, "café"), kUnusable);
    EXPECT_EQ(InputPWCheck("鍵🔑", false, ""), kUnusable);
}

TEST(InputPW, CodePage932IsAskedOnlyOfPasswordsForTheCompatibleFormat) {
    TCustomSet options;
    EXPECT_TRUE(InputPWNeedsCp932(kModeEncrypt, options));
    EXPECT_FALSE(InputPWNeedsCp932(1, options));  // a decryption pass may hold strong containers
    options.StrongFormat = true;
    EXPECT_FALSE(InputPWNeedsCp932(kModeEncrypt, options));
    EXPECT_EQ(InputPWCheck("鍵🔑", true, "鍵🔑", false), std::nullopt);
    // The other checks stay.
    EXPECT_EQ(InputPWCheck("鍵🔑", true, "鍵", false), kDiffer);
    EXPECT_EQ(InputPWCheck("", false, "", false), kEmpty);
}

TEST(InputPW, AcceptedPasswords) {
    EXPECT_EQ(InputPWCheck("secret", true, "secret"), std::nullopt);
    // Only the empty text is refused: spaces are a password.
    EXPECT_EQ(InputPWCheck("   ", true, "   "), std::nullopt);
    EXPECT_EQ(InputPWCheck(" ", false, ""), std::nullopt);
    // Without the confirmation field its text does not matter.
    EXPECT_EQ(InputPWCheck("secret", false, "something else"), std::nullopt);
    // Japanese text of code page 932, half-width kana and NEC specials included.
    EXPECT_EQ(InputPWCheck("合言葉ﾊﾟｽ①", true, "合言葉ﾊﾟｽ①"), std::nullopt);
}

TEST(InputPW, ConfirmationIsAskedOnlyWhenEncryptingWithoutSeePW) {
    TCustomSet options;
    options.SeePW = false;
    EXPECT_FALSE(InputPWNoConfirmation(0, options));
    EXPECT_TRUE(InputPWNoConfirmation(1, options));
    EXPECT_TRUE(InputPWNoConfirmation(7, options));  // every non-zero mode decrypts
    options.SeePW = true;
    EXPECT_TRUE(InputPWNoConfirmation(0, options));
    EXPECT_TRUE(InputPWNoConfirmation(1, options));
}

TEST(InputPW, UseMeltedStartsTickedForOneContainerOrWithUseManyMeltF) {
    TCustomSet options;
    options.UseMeltF = true;
    options.UseManyMeltF = false;
    EXPECT_TRUE(InputPWInitialUseMelted(1, options, 1));
    EXPECT_FALSE(InputPWInitialUseMelted(1, options, 3));
    options.UseManyMeltF = true;
    EXPECT_TRUE(InputPWInitialUseMelted(1, options, 1));
    EXPECT_TRUE(InputPWInitialUseMelted(1, options, 3));
    options.UseMeltF = false;
    for (bool many : {false, true}) {
        options.UseManyMeltF = many;
        EXPECT_FALSE(InputPWInitialUseMelted(1, options, 1));
        EXPECT_FALSE(InputPWInitialUseMelted(1, options, 3));
    }
    // Encrypting never opens anything.
    options.UseMeltF = true;
    EXPECT_FALSE(InputPWInitialUseMelted(0, options, 1));
    EXPECT_FALSE(InputPWInitialUseMelted(0, options, 3));
}

TEST(InputPW, FocusStartsInTheConfirmationOnlyAfterARememberedPassword) {
    TCustomSet options;
    options.RecyclePW = true;
    EXPECT_TRUE(InputPWFocusConfirmation(true, options, "last"));
    EXPECT_FALSE(InputPWFocusConfirmation(true, options, ""));
    EXPECT_FALSE(InputPWFocusConfirmation(false, options, "last"));
    options.RecyclePW = false;
    EXPECT_FALSE(InputPWFocusConfirmation(true, options, "last"));
}

// Design geometry: password field 72 + 21, check box 104 + 17, buttons 168 + 25, client 206.
InputPWLayout Design(bool confirmationShown, bool checkBoxVisible) {
    return {confirmationShown, checkBoxVisible, 93, 121, 168, 25, 206};
}

TEST(InputPW, CompactionAtDesignSizes) {
    EXPECT_EQ(CompactInputPW(Design(true, false)), (InputPWCompaction{168, 206}));  // encrypt, confirmation
    EXPECT_EQ(CompactInputPW(Design(false, true)), (InputPWCompaction{137, 178}));  // decrypt
    EXPECT_EQ(CompactInputPW(Design(false, false)), (InputPWCompaction{109, 150}));  // encrypt with SeePW
}

TEST(InputPW, CompactionFollowsTheBottomsOfTheVisibleControls) {
    // Taller controls (another font) push the buttons down by the same amount.
    InputPWLayout layout{false, false, 100, 130, 168, 30, 206};
    EXPECT_EQ(CompactInputPW(layout), (InputPWCompaction{116, 162}));
    layout.checkBoxVisible = true;
    EXPECT_EQ(CompactInputPW(layout), (InputPWCompaction{146, 192}));
}

}  // namespace
}  // namespace plivex
