#include <gtest/gtest.h>

#include "options/options_record.h"

namespace plivex {
namespace {

TEST(Options, DefaultsOfAFirstStart) {
    const Options s;
    EXPECT_TRUE(s.ConDelUnrela && s.ConMeltFName && s.DelRawF && s.DelPvF && s.Reencode && s.UseMeltF && s.UseNN);
    EXPECT_FALSE(s.RecyclePW || s.SeePW || s.StayOnTop || s.UseManyMeltF);
    EXPECT_EQ(s.DlgPos, dpSCenter);
    EXPECT_EQ(s.FOverlap, foAddNum);
    EXPECT_EQ(static_cast<int>(foAddNum), 2);
    EXPECT_EQ(static_cast<int>(dpBeside), 1);
}

TEST(Options, CopiedWholeIncludingValuesOutsideTheEnumerations) {
    Options a;
    a.UseMeltF = false;
    a.UseManyMeltF = true;
    a.DlgPos = 7;
    a.FOverlap = 5;
    const Options b = a;
    EXPECT_EQ(b, a);
    EXPECT_EQ(b.DlgPos, 7);
    EXPECT_NE(b, Options());
}

}  // namespace
}  // namespace plivex
