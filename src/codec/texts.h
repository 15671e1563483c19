// The codec's own messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/direction.h"
#include "base/texts.h"

namespace plivex {
namespace text {

inline constexpr std::string_view kSizeFailed = "サイズ取得失敗";
inline constexpr std::string_view kPasswordUnusableChar = "パスワードに使用できない文字が含まれています。";
inline constexpr std::string_view kWrongPassword = "パスワードが間違っています。正しいパスワードを入力して下さい。";
inline constexpr std::string_view kCreateFailed =
    "解凍ファイルの作成に失敗しました。\nパスワードが合っているか確認して下さい。";

inline std::string UnknownFormat() {
    return "未知のファイル形式です。\n" + std::string(kAppTitle) +
           "が暗号化したファイルか、パスワードが合っているか確認して下さい。";
}
inline std::string ConfirmMeltName(std::string_view plain) {
    return "解凍ファイル名は " + Quoted(plain) + " で合っていますか？";
}
// Added under the name question when the melted name is unlike the container's.
inline std::string NameUnlikeContainer(std::string_view containerStem) {
    return "暗号化ファイルの名前（" + std::string(containerStem) + "）と違います。パスワードが間違っている可能性があります。";
}
// The deletion question after a melt whose name was unlike the container's, for a type that has an application.
inline std::string ConfirmDeleteContainer(std::string_view container) {
    return "暗号化ファイル " + Quoted(container) + " を削除してよろしいですか？";
}
// Before a compatible container is converted whose name inside is unlike its own.
inline std::string ConfirmUpgradeUnlike(std::string_view container, std::string_view name) {
    return "暗号化ファイル " + Quoted(container) + " の中のファイル名は " + Quoted(name) +
           " です。パスワードが間違っている可能性があります。このファイルを変換しますか？";
}
inline std::string ConfirmDeleteUnrelated(std::string_view plain, std::string_view container) {
    return "解凍したファイル " + Quoted(plain) + " は関連づけられていません。\n暗号化ファイル " + Quoted(container) +
           " を削除してよろしいですか？";
}
inline std::string NameTooLong(std::string_view path) {
    return "ファイル名が長すぎるため暗号化できません。\n" + Quoted(path);
}
inline std::string NameNotEncodable(std::string_view path) {
    return "ファイル名に暗号化できない文字が含まれています。\n" + Quoted(path);
}
// A name that a container could store but not give back as it is.
inline std::string NameUnusable(std::string_view path) {
    return "この名前は Windows のファイル名に使えないため、暗号化できません。\n" + Quoted(path);
}
inline std::string FileTooLarge(std::string_view path) {
    return "ファイルが大きすぎるため暗号化できません。\n" + Quoted(path);
}
// A strong container whose chunk did not authenticate.
inline std::string WrongPasswordOrDamaged(std::string_view container) {
    return "パスワードが違うか、ファイルが壊れています。\n" + std::string(container);
}
inline std::string PasswordNotForOldFormat(std::string_view container) {
    return "従来の形式の暗号化ファイルには使えない文字がパスワードに含まれています。\n" + Quoted(container);
}
inline std::string RandomFailed(std::string_view path) {
    return "乱数を取得できなかったため暗号化できません。\n" + Quoted(path);
}
inline std::string CryptoFailed(std::string_view path) {
    return "暗号処理に失敗しました。\n" + Quoted(path);
}
// A temporary output that could not be removed after a failure; it may hold plain bytes.
inline std::string TempNotRemoved(std::string_view path) {
    return "作業用の一時ファイルを削除できませんでした。手動で削除して下さい。\n" + Quoted(path);
}
// What stays safe when a conversion fails: said under the failure, before the system's reason.
inline constexpr std::string_view kSourceKept = "元のファイルはそのままです。";
inline constexpr std::string_view kContainerKept = "暗号化ファイルはそのままです。";
inline constexpr std::string_view kStrongHasNoLimit = "新しい形式（AES-256）なら暗号化できます。";
inline constexpr std::string_view kReadOnly = "読み取り専用のファイルです。";
inline std::string ReadFailed(std::string_view path) { return "ファイルの読み込みに失敗しました。\n" + Quoted(path); }
inline std::string WriteFailed(std::string_view path) { return "ファイルの書き込みに失敗しました。\n" + Quoted(path); }
// Files that could not be deleted (read-only, held open), and the system's
// reasons, each once.
struct UndeletedFiles {
    std::vector<std::string> paths;
    std::vector<std::string> reasons;
    Direction of = Direction::kEncrypt;  // sources of an encryption, or containers of a melt
    bool readOnly = false;   // one of them is read-only
    bool empty() const { return paths.empty(); }
};

// One full path a line (each line begun with a line end), at most ten, then how many more.
inline std::string ListedPaths(const std::vector<std::string>& paths) {
    constexpr std::size_t kListed = 10;
    std::string text;
    for (std::size_t i = 0; i < paths.size() && i < kListed; ++i) text += "\n" + paths[i];
    if (paths.size() > kListed) text += "\n…他" + std::to_string(paths.size() - kListed) + "個";
    return text;
}

// The reasons last.
inline std::string NotDeleted(const UndeletedFiles& files) {
    std::string text = files.of == Direction::kEncrypt ? "暗号化ファイルは作成しましたが、次の元のファイルを削除できませんでした。"
                                         "暗号化されていないファイルが残っています。"
                                       : "解凍しましたが、次の暗号化ファイルを削除できませんでした。";
    text += ListedPaths(files.paths);
    if (files.readOnly) text += "\n" + std::string(kReadOnly);
    for (const std::string& reason : files.reasons) text += "\n" + reason;
    return text;
}

// The files of a pass of total that were left as they were.
inline std::string NotConverted(Direction pass, const std::vector<std::string>& left, std::size_t total) {
    const std::string n = std::to_string(total), m = std::to_string(total - left.size());
    const std::string_view verb = pass == Direction::kEncrypt ? "暗号化" : pass == Direction::kMelt ? "解凍" : "変換";
    return "次のファイルは" + std::string(verb) + "されていません（" + n + " 個中 " + m + " 個を" + std::string(verb) +
           "しました）。" + ListedPaths(left);
}

// What an upgrade of old containers did, in one message.
inline std::string UpgradeSummary(std::size_t converted, std::size_t alreadyStrong) {
    std::string text = std::to_string(converted) + " 個のファイルを新しい形式に変換しました。";
    if (alreadyStrong) text += "\n" + std::to_string(alreadyStrong) + " 個はすでに新しい形式でした。";
    return text;
}

}  // namespace text
}  // namespace plivex
