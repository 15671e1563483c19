// The password dialog's rules: file text, checks on OK, tick and focus rules, layout.
#include <gtest/gtest.h>

#include "dialogs/password_dialog.h"

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
    // It names the characters, each once, and the way out.
    EXPECT_EQ(InputPWCheck("café", true, "café"),
              std::string(kUnusable) + "\n使用できない文字：é\n新しい形式（AES-256）ならどの文字も使えます。");
    EXPECT_EQ(InputPWCheck("鍵🔑ä🔑", false, ""),
              std::string(kUnusable) + "\n使用できない文字：🔑ä\n新しい形式（AES-256）ならどの文字も使えます。");
}

TEST(InputPW, CodePage932IsAskedOnlyOfPasswordsForTheCompatibleFormat) {
    EXPECT_TRUE(InputPWNeedsCp932(Direction::kEncrypt, false));
    EXPECT_FALSE(InputPWNeedsCp932(Direction::kMelt, false));  // a decryption pass may hold strong containers
    EXPECT_FALSE(InputPWNeedsCp932(Direction::kEncrypt, true));  // the format tick on
    EXPECT_TRUE(InputPWNeedsCp932(Direction::kUpgrade, false));  // every container converted is compatible
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
    Options options;
    options.ShowPassword = false;
    EXPECT_FALSE(InputPWNoConfirmation(Direction::kEncrypt, options));
    EXPECT_TRUE(InputPWNoConfirmation(Direction::kMelt, options));
    EXPECT_TRUE(InputPWNoConfirmation(Direction::kUpgrade, options));  // converting asks once too
    options.ShowPassword = true;
    EXPECT_TRUE(InputPWNoConfirmation(Direction::kEncrypt, options));
    EXPECT_TRUE(InputPWNoConfirmation(Direction::kMelt, options));
}

TEST(InputPW, UseMeltedStartsTickedForOneContainerOrWithUseManyMeltF) {
    Options options;
    options.OpenMeltedFile = true;
    options.OpenManyMeltedFiles = false;
    EXPECT_TRUE(InputPWInitialUseMelted(Direction::kMelt, options, 1));
    EXPECT_FALSE(InputPWInitialUseMelted(Direction::kUpgrade, options, 1));  // nothing to open
    EXPECT_FALSE(InputPWInitialUseMelted(Direction::kMelt, options, 3));
    options.OpenManyMeltedFiles = true;
    EXPECT_TRUE(InputPWInitialUseMelted(Direction::kMelt, options, 1));
    EXPECT_TRUE(InputPWInitialUseMelted(Direction::kMelt, options, 3));
    options.OpenMeltedFile = false;
    for (bool many : {false, true}) {
        options.OpenManyMeltedFiles = many;
        EXPECT_FALSE(InputPWInitialUseMelted(Direction::kMelt, options, 1));
        EXPECT_FALSE(InputPWInitialUseMelted(Direction::kMelt, options, 3));
    }
    // Encrypting never opens anything.
    options.OpenMeltedFile = true;
    EXPECT_FALSE(InputPWInitialUseMelted(Direction::kEncrypt, options, 1));
    EXPECT_FALSE(InputPWInitialUseMelted(Direction::kEncrypt, options, 3));
}

TEST(InputPW, FocusStartsInTheConfirmationOnlyAfterARememberedPassword) {
    Options options;
    options.RememberPassword = true;
    EXPECT_TRUE(InputPWFocusConfirmation(true, options, "last"));
    EXPECT_FALSE(InputPWFocusConfirmation(true, options, ""));
    EXPECT_FALSE(InputPWFocusConfirmation(false, options, "last"));
    options.RememberPassword = false;
    EXPECT_FALSE(InputPWFocusConfirmation(true, options, "last"));
}

// Design geometry: password field 72 + 21, check box 104 + 17, confirmation
// field 133 + 21, format tick 17 high, buttons 168 + 25, client 206.
InputPWLayout Design(bool confirmationShown, bool checkBoxVisible, bool tick) {
    return {confirmationShown, checkBoxVisible, tick, 93, 104, 121, 154, 17, 168, 25, 206};
}

TEST(InputPW, CompactionAtDesignSizes) {
    // Encrypting: the tick under the confirmation field, or where the check box stands without it.
    EXPECT_EQ(CompactInputPW(Design(true, false, true)), (InputPWCompaction{162, 195, 236}));
    EXPECT_EQ(CompactInputPW(Design(false, false, true)), (InputPWCompaction{104, 137, 178}));  // ShowPassword
    EXPECT_EQ(CompactInputPW(Design(false, true, false)).buttonTop, 137);                        // decrypt
    EXPECT_EQ(CompactInputPW(Design(false, true, false)).clientHeight, 178);
    EXPECT_EQ(CompactInputPW(Design(true, false, false)), (InputPWCompaction{104, 168, 206}));  // nothing moves
}

TEST(InputPW, CompactionFollowsTheBottomsOfTheVisibleControls) {
    // Taller controls (another font) push the buttons down by the same amount.
    InputPWLayout layout{false, false, false, 100, 112, 130, 170, 20, 168, 30, 206};
    EXPECT_EQ(CompactInputPW(layout).buttonTop, 116);
    EXPECT_EQ(CompactInputPW(layout).clientHeight, 162);
    layout.checkBoxVisible = true;
    EXPECT_EQ(CompactInputPW(layout).buttonTop, 146);
    layout.confirmationShown = layout.formatTickShown = true;
    EXPECT_EQ(CompactInputPW(layout), (InputPWCompaction{178, 214, 260}));
}

}  // namespace
}  // namespace plivex
