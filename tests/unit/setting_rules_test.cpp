// The options dialog's rules: record <-> control states, radio groups, enabling.
#include <gtest/gtest.h>

#include "app/setting_rules.h"

namespace plivex {
namespace {

// A record whose eleven ticks follow the bits of mask, in field order.
TCustomSet WithTicks(unsigned mask, std::int32_t dlgPos, std::int32_t fOverlap) {
    TCustomSet r;
    bool* fields[] = {&r.ConDelUnrela, &r.ConMeltFName, &r.DelRawF, &r.DelPvF,       &r.RecyclePW, &r.Reencode,
                      &r.SeePW,        &r.StayOnTop,    &r.UseMeltF, &r.UseManyMeltF, &r.UseNN};
    for (unsigned i = 0; i < 11; ++i) *fields[i] = (mask >> i) & 1u;
    r.DlgPos = dlgPos;
    r.FOverlap = fOverlap;
    return r;
}

TEST(SettingRules, EveryTickTravelsToItsOwnFieldAndBack) {
    for (unsigned bit = 0; bit < 11; ++bit) {
        for (const unsigned mask : {1u << bit, 0x7FFu & ~(1u << bit)}) {
            const TCustomSet shown = WithTicks(mask, dpBeside, foAskUser);
            // The previous record differs in every field: all must come from the controls.
            const TCustomSet previous = WithTicks(~mask & 0x7FFu, dpSCenter, foAddNum);
            EXPECT_EQ(RecordFromView(ViewFromRecord(shown), previous), shown) << "mask " << mask;
        }
    }
    const SettingView view = ViewFromRecord(TCustomSet{});
    EXPECT_TRUE(view.UseMeltF && view.Reencode && view.DelPvF && view.ConDelUnrela && view.UseNN);
    EXPECT_FALSE(view.UseManyMeltF || view.SeePW || view.RecyclePW || view.StayOnTop);
    EXPECT_TRUE(view.FOAddNum && view.DPSCenter);
    EXPECT_FALSE(view.FOAskUser || view.DPBeside);
}

TEST(SettingRules, RadioGroupsSelectOnlyTheirOwnValuesAndKeepOthers) {
    const auto fo = [](std::int32_t v) {
        const SettingView s = ViewFromRecord(WithTicks(0, dpSCenter, v));
        return std::pair{s.FOAskUser, s.FOAddNum};
    };
    const auto dp = [](std::int32_t v) {
        const SettingView s = ViewFromRecord(WithTicks(0, v, foAddNum));
        return std::pair{s.DPSCenter, s.DPBeside};
    };
    EXPECT_EQ(fo(0), std::pair(true, false));
    EXPECT_EQ(fo(2), std::pair(false, true));
    for (const std::int32_t other : {1, 5, -1}) EXPECT_EQ(fo(other), std::pair(false, false)) << other;
    EXPECT_EQ(dp(0), std::pair(true, false));
    EXPECT_EQ(dp(1), std::pair(false, true));
    for (const std::int32_t other : {2, 7, -3}) EXPECT_EQ(dp(other), std::pair(false, false)) << other;

    // Nothing selected: the stored values survive a confirmation unchanged.
    const TCustomSet odd = WithTicks(0x155, 7, 5);
    EXPECT_EQ(RecordFromView(ViewFromRecord(odd), odd), odd);
    // Nothing selected on an export from the defaults leaves the defaults.
    const TCustomSet exported = RecordFromView(ViewFromRecord(odd), TCustomSet{});
    EXPECT_EQ(exported.DlgPos, dpSCenter);
    EXPECT_EQ(exported.FOverlap, foAddNum);
    // A picked radio button replaces the odd value.
    SettingView picked = ViewFromRecord(odd);
    picked.FOAskUser = true;
    picked.DPBeside = true;
    const TCustomSet chosen = RecordFromView(picked, odd);
    EXPECT_EQ(chosen.FOverlap, foAskUser);
    EXPECT_EQ(chosen.DlgPos, dpBeside);
}

TEST(SettingRules, DependantsAreEnabledOnlyWithTheirOptionAndKeepTheirTicks) {
    SettingView v = ViewFromRecord(TCustomSet{});
    EXPECT_EQ(EnablingFor(v), (SettingEnabling{true, true, true}));
    v.UseMeltF = false;
    v.UseManyMeltF = true;
    EXPECT_EQ(EnablingFor(v), (SettingEnabling{false, false, true}));
    v.DelPvF = false;
    EXPECT_EQ(EnablingFor(v), (SettingEnabling{false, false, false}));
    v.UseMeltF = true;
    EXPECT_EQ(EnablingFor(v), (SettingEnabling{true, true, false}));
    // Greyed ticks are still stored.
    v.UseMeltF = false;
    const TCustomSet stored = RecordFromView(v, TCustomSet{});
    EXPECT_TRUE(stored.UseManyMeltF && stored.Reencode && stored.ConDelUnrela);
    EXPECT_FALSE(stored.UseMeltF || stored.DelPvF);
}

}  // namespace
}  // namespace plivex
