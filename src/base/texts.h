// The words every part of the program shares: the title, the message-box
// styles and answers, the captions of failure messages, quoting a path.
#pragma once

#include <string>
#include <string_view>

namespace plivex {

inline constexpr std::string_view kAppTitle = "プリベックス";

// Message-box styles and the buttons that answer them (the platform's values).
inline constexpr unsigned kStyleExclamation = 48;  // OK, exclamation mark
inline constexpr unsigned kStyleInformation = 64;  // OK, information mark
inline constexpr unsigned kStyleYesNo = 36;        // Yes/No, question mark
inline constexpr unsigned kStyleYesNoCancel = 35;  // Yes/No/Cancel, question mark
inline constexpr unsigned kStyleYesNoWarn = 52;    // Yes/No, exclamation mark
// Added to a style: the second button ("No") is the default, so Enter pressed
// in a hurry never deletes or replaces anything.
inline constexpr unsigned kDefaultNo = 256;
// kNone: the box could not be shown.
enum class MsgAnswer : int { kNone = 0, kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

namespace text {

inline constexpr std::string_view kCaptionOpenFailed = "オープン失敗";
inline constexpr std::string_view kCaptionErrorReport = "プリベックスエラー報告";
inline constexpr std::string_view kCaptionInternalError = "内部エラー";

// Messages that embed a path put it between double quotes.
inline std::string Quoted(std::string_view path) {
    std::string q;
    q.reserve(path.size() + 2);
    q += '"';
    q += path;
    q += '"';
    return q;
}

}  // namespace text
}  // namespace plivex
