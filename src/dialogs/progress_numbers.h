// The numbers of the progress window as text: how much of the pass is done,
// in per cent and in sizes, and about how long the rest will take.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace plivex {

// The time left is guessed only after this much work: earlier guesses jump about.
inline constexpr std::uint64_t kTimeLeftAfterMs = 3000;

// "40%", rounded down: 100% only once everything is done (an empty pass is done).
std::string PercentText(std::uint64_t done, std::uint64_t total);

// A size in units of 1024: "0 KB", "1 KB" up to "1023 KB", then "1.23 MB",
// "12.3 MB", "123 MB", and GB alike; three figures, cut rather than rounded
// so that a part never reads as the whole.
std::string SizeText(std::uint64_t bytes);

// "12.3 MB / 30.7 MB".
std::string AmountText(std::uint64_t done, std::uint64_t total);

// Seconds still to go at the pass's speed so far (rounded up); nothing before
// kTimeLeftAfterMs, before the first byte, or once everything is done.
std::optional<std::uint64_t> SecondsLeft(std::uint64_t done, std::uint64_t total, std::uint64_t elapsedMs);

// "残り 約20秒" (seconds in steps of five), "残り 約3分", "残り 約1時間5分".
std::string TimeLeftText(std::uint64_t seconds);

// The time worked on a pass, from the times at which its steps report: a
// pause longer than any step takes (a question waiting for its answer) counts
// as no more than that, so it does not make the rest look slow.
class WorkTime {
public:
    static constexpr std::uint64_t kLongestStepMs = 2000;
    explicit WorkTime(std::uint64_t startMs) : last_(startMs) {}
    // The time worked up to nowMs (a clock that never goes back).
    std::uint64_t At(std::uint64_t nowMs);

private:
    std::uint64_t last_;
    std::uint64_t worked_ = 0;
};

// The time left as shown: TimeLeftText of SecondsLeft, or "" while there is no guess.
std::string TimeLeftShown(std::uint64_t done, std::uint64_t total, std::uint64_t elapsedMs);

}  // namespace plivex
