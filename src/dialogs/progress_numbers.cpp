#include "dialogs/progress_numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plivex {

namespace {

constexpr std::uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;

// value / unit with three figures, cut: "1.23", "12.3", "123", "1234".
std::string ThreeFigures(std::uint64_t value, std::uint64_t unit) {
    const std::uint64_t whole = value / unit;
    const std::uint64_t hundredths = (value % unit) * 100 / unit;  // below unit * 100: no overflow
    std::string text = std::to_string(whole);
    if (whole < 10) {
        text += '.';
        text += static_cast<char>('0' + hundredths / 10);
        text += static_cast<char>('0' + hundredths % 10);
    } else if (whole < 100) {
        text += '.';
        text += static_cast<char>('0' + hundredths / 10);
    }
    return text;
}

}  // namespace

std::string PercentText(std::uint64_t done, std::uint64_t total) {
    std::uint64_t percent = 100;
    if (done < total) {
        constexpr std::uint64_t safe = std::numeric_limits<std::uint64_t>::max() / 100;
        // Beyond 10^17 bytes the hundredth of the total is near enough.
        percent = done <= safe ? done * 100 / total : done / (total / 100);
        if (percent > 99) percent = 99;
    }
    return std::to_string(percent) + "%";
}

std::string SizeText(std::uint64_t bytes) {
    if (bytes < kMB) {
        // A few bytes are still something: "1 KB", as the Explorer shows them.
        const std::uint64_t kb = bytes == 0 ? 0 : (bytes < kKB ? 1 : bytes / kKB);
        return std::to_string(kb) + " KB";
    }
    if (bytes < kGB) return ThreeFigures(bytes, kMB) + " MB";
    return ThreeFigures(bytes, kGB) + " GB";
}

std::string AmountText(std::uint64_t done, std::uint64_t total) { return SizeText(done) + " / " + SizeText(total); }

std::optional<std::uint64_t> SecondsLeft(std::uint64_t done, std::uint64_t total, std::uint64_t elapsedMs) {
    if (elapsedMs < kTimeLeftAfterMs || done == 0 || done >= total) return std::nullopt;
    const double seconds = static_cast<double>(elapsedMs) / 1000.0 * static_cast<double>(total - done) /
                           static_cast<double>(done);
    return static_cast<std::uint64_t>(std::ceil(seconds));
}

std::string TimeLeftText(std::uint64_t seconds) {
    const std::string head = "残り 約";
    if (seconds < 56) {
        const std::uint64_t fives = seconds <= 5 ? 5 : (seconds + 4) / 5 * 5;
        return head + std::to_string(fives) + "秒";
    }
    std::uint64_t minutes = (seconds + 30) / 60;
    if (minutes < 60) return head + std::to_string(minutes) + "分";
    const std::uint64_t hours = minutes / 60;
    minutes %= 60;
    return head + std::to_string(hours) + "時間" + (minutes ? std::to_string(minutes) + "分" : "");
}

std::uint64_t WorkTime::At(std::uint64_t nowMs) {
    if (nowMs > last_) worked_ += std::min(nowMs - last_, kLongestStepMs);
    last_ = std::max(last_, nowMs);
    return worked_;
}

std::string TimeLeftShown(std::uint64_t done, std::uint64_t total, std::uint64_t elapsedMs) {
    const auto seconds = SecondsLeft(done, total, elapsedMs);
    return seconds ? TimeLeftText(*seconds) : std::string();
}

}  // namespace plivex
