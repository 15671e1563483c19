// The texts of watching opened files: opening them, and closing the program
// while they are still in use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/texts.h"
#include "codec/texts.h"

namespace plivex::text {

inline std::string NotAssociated(std::string_view plain) {
    return "ファイル " + Quoted(plain) + " は関連づけられていません。\nパスワードが間違っている可能性もあります。";
}
inline std::string CannotOpenWith(std::string_view plain, std::string_view app) {
    return "ファイル " + Quoted(plain) + " は開けません。\n " + Quoted(app) + " が壊れている可能性があります。";
}
inline constexpr std::string_view kReencryptLabel = "再暗号化：";
inline std::string ReencryptionStopped(std::string_view path) {
    return "再暗号化を中止しました。次のファイルは暗号化されていません。\n" + std::string(path);
}
// The files still open, listed under the question.
inline std::string ConfirmCloseWhileInUse(const std::vector<std::string>& open) {
    return "再暗号化すべきファイルが他のアプリケーションによって使われています。\n今" + std::string(kAppTitle) +
           "を終了すると再暗号化できなくなります。\n終了してよろしいですか？" + ListedPaths(open);
}
// Told at the next start: the files a close left plain.
inline std::string LeftUnprotected(const std::vector<std::string>& files) {
    return "前回の終了時に、次のファイルは暗号化されないまま残りました。" + ListedPaths(files);
}
// A failed re-encryption is told as one, above the failure itself.
inline constexpr std::string_view kReencryptFailed = "再暗号化できませんでした。";

}  // namespace plivex::text
