#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dialogs/progress_numbers.h"

namespace plivex {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024, kGB = kMB * 1024;

TEST(ProgressNumbers, PercentNeverReadsAllBeforeEverythingIsDone) {
    EXPECT_EQ(PercentText(0, 200), "0%");
    EXPECT_EQ(PercentText(80, 200), "40%");
    EXPECT_EQ(PercentText(199, 200), "99%");
    EXPECT_EQ(PercentText(200, 200), "100%");
    EXPECT_EQ(PercentText(0, 0), "100%");
    // Sizes whose hundredfold does not fit in 64 bits.
    EXPECT_EQ(PercentText(1'000'000'000'000'000'000, 2'000'000'000'000'000'000), "50%");
    EXPECT_EQ(PercentText(UINT64_MAX - 1, UINT64_MAX), "99%");
}

TEST(ProgressNumbers, SizesInKilobytesMegabytesAndGigabytesCutToThreeFigures) {
    EXPECT_EQ(SizeText(0), "0 KB");
    EXPECT_EQ(SizeText(1), "1 KB");
    EXPECT_EQ(SizeText(2047), "1 KB");
    EXPECT_EQ(SizeText(kMB - 1), "1023 KB");
    EXPECT_EQ(SizeText(kMB), "1.00 MB");
    EXPECT_EQ(SizeText(kMB * 123 / 100 + kMB / 200), "1.23 MB");  // 1.235: cut, not rounded
    EXPECT_EQ(SizeText(10 * kMB - 1), "9.99 MB");
    EXPECT_EQ(SizeText(12 * kMB + kMB * 3 / 10 + 1), "12.3 MB");
    EXPECT_EQ(SizeText(123 * kMB + kMB - 1), "123 MB");
    EXPECT_EQ(SizeText(kGB - 1), "1023 MB");
    EXPECT_EQ(SizeText(3 * kGB + kGB / 2), "3.50 GB");
    EXPECT_EQ(SizeText(2048 * kGB), "2048 GB");
    EXPECT_EQ(AmountText(40 * kMB, 8 * kGB), "40.0 MB / 8.00 GB");
}

TEST(ProgressNumbers, TimeLeftAtThePassSpeedOnlyAfterThreeSeconds) {
    EXPECT_EQ(SecondsLeft(10, 100, 2999), std::nullopt);
    EXPECT_EQ(SecondsLeft(0, 100, 60000), std::nullopt);
    EXPECT_EQ(SecondsLeft(100, 100, 60000), std::nullopt);
    EXPECT_EQ(SecondsLeft(30, 100, 3000), 7u);         // 3 s for 30: 7 s for the other 70
    EXPECT_EQ(SecondsLeft(1, 3, 3000), 6u);
    EXPECT_EQ(SecondsLeft(40 * kGB, 50 * kGB, 4000 * 1000), 1000u);
    EXPECT_EQ(TimeLeftShown(30, 100, 3000), "残り 約10秒");
    EXPECT_EQ(TimeLeftShown(30, 100, 2000), "");
}

TEST(ProgressNumbers, TimeLeftTextInStepsAUserCanRead) {
    for (const auto& [seconds, text] : std::initializer_list<std::pair<std::uint64_t, const char*>>{
             {1, "残り 約5秒"},        {5, "残り 約5秒"},         {6, "残り 約10秒"},
             {18, "残り 約20秒"},      {55, "残り 約55秒"},       {56, "残り 約1分"},
             {89, "残り 約1分"},       {90, "残り 約2分"},        {3569, "残り 約59分"},
             {3570, "残り 約1時間"},   {3900, "残り 約1時間5分"}, {36000 + 59 * 60, "残り 約10時間59分"}})
        EXPECT_EQ(TimeLeftText(seconds), text) << seconds;
}

TEST(ProgressNumbers, APauseForAQuestionCountsNoLongerThanALongStep) {
    WorkTime work(1000);
    EXPECT_EQ(work.At(1100), 100u);
    EXPECT_EQ(work.At(1100 + 60000), 100u + WorkTime::kLongestStepMs);  // a minute on a question
    EXPECT_EQ(work.At(1100 + 60000 + 500), 600u + WorkTime::kLongestStepMs);
    EXPECT_EQ(work.At(1000), 600u + WorkTime::kLongestStepMs);  // an older time changes nothing
}

}  // namespace
}  // namespace plivex
