// The password dialog's rules on plain values: what it shows, how it shrinks
// when no confirmation is asked, and what it refuses on OK.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/direction.h"
#include "codec/texts.h"
#include "options/options_record.h"

namespace plivex {

namespace text {
inline constexpr std::string_view kInputPWCaption = "パスワード入力";
inline constexpr std::string_view kInputPWEncryptSuffix = " - 暗号化 -";
inline constexpr std::string_view kInputPWDecryptSuffix = " - 解凍 -";
inline constexpr std::string_view kInputPWUpgradeSuffix = " - 変換 -";
inline constexpr std::string_view kEnterPassword = "パスワードを入力して下さい。";
inline constexpr std::string_view kEnterConfirmation = "確認欄にもパスワードを入力して下さい。";
inline constexpr std::string_view kPasswordsDiffer = "パスワードが異なっています。";
inline constexpr std::string_view kPasswordAgain = "パスワードが違います。もう一度入力して下さい。";
inline constexpr std::string_view kStrongFormatTick = "&K・新しい形式（AES-256）で暗号化する";
// On the options dialog's other page: Alt+V is the password tick's there already.
inline constexpr std::string_view kUpgradeButton = "&U・従来の形式のファイルを新しい形式に変換...";
// What each format means for the user, on the tick here and on the options page.
inline constexpr std::string_view kStrongFormatHint =
    "新しい形式（AES-256）: パスワードが違えば分かり、ファイルの改変も検出します。以前のバージョンでは開けません。\n"
    "従来の形式: 暗号化ファイルからパスワードを割り出されるおそれがあります。";
}  // namespace text

// Name part of the first file, plus "　他" N−1 "個" for N > 1 files.
std::string InputPWFilesText(const std::vector<std::string>& files);

// The password is asked only once: always when decrypting, with ShowPassword when encrypting.
bool InputPWNoConfirmation(Direction mode, const Options& options);

// Whether "open the decrypted files" starts ticked; only when melting.
bool InputPWInitialUseMelted(Direction mode, const Options& options, std::size_t fileCount);

// Focus starts in the confirmation field only when the remembered password
// pre-fills the first one and a confirmation is asked.
bool InputPWFocusConfirmation(bool confirmationShown, const Options& options, std::string_view remembered);

// Only the compatible format keys with the password's code page 932 bytes:
// encrypting into it (the format tick off) and converting from it are the
// cases where the password must have that form (a decryption pass may meet
// strong containers, which take any password).
bool InputPWNeedsCp932(Direction mode, bool strongFormat);

// The checks of OK in their order: the message of the first that fails, or
// nullopt. The last one, when asked for, refuses characters that the key
// bytes (code page 932) cannot carry.
std::optional<std::string> InputPWCheck(std::string_view password, bool confirmationInUse,
                                        std::string_view confirmation, bool cp932Needed = true);


// Where the format tick and OK/Cancel sit and how tall the client area is.
// The tick (encrypting only) stands 8 pixels under the confirmation field, or
// where the open-at-once check box stands when no confirmation is asked. The
// buttons go 16 pixels under the lowest visible control (the tick, else the
// check box when shown, else the password field) and the client area ends 16
// pixels under them. With the confirmation field and no tick nothing moves.
struct InputPWLayout {
    bool confirmationShown;
    bool checkBoxVisible;
    bool formatTickShown;
    int editPWBottom;
    int checkBoxTop;
    int checkBoxBottom;
    int editPWConBottom;
    int tickHeight;
    int buttonTop;
    int buttonHeight;
    int clientHeight;
};
struct InputPWCompaction {
    int tickTop;
    int buttonTop;
    int clientHeight;
    friend bool operator==(const InputPWCompaction&, const InputPWCompaction&) = default;
};
InputPWCompaction CompactInputPW(const InputPWLayout& layout);

}  // namespace plivex
